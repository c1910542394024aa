#include "updater/keyboard_ports.h"

#include <algorithm>
#include <cstdint>

#include "package/package.h"
#include "platform/hid/hid.h"

namespace vexaro::updater {
namespace {

bool NamesPackageKeyboard(const std::string& path) {
  const package::PackageInfo& p = package::ThePackageInfo();
  auto names = [&path](std::uint32_t vendor, std::uint32_t product) {
    return vendor != 0 && product != 0 && vendor <= 0xFFFF && product <= 0xFFFF &&
           hid::PathNamesDevice(path, static_cast<std::uint16_t>(vendor), static_cast<std::uint16_t>(product));
  };
  return names(p.ApVendorId, p.ApProductId) || names(p.IapVendorId, p.IapProductId);
}

}  // namespace

std::vector<std::string> KeyboardPorts() {
  std::vector<std::string> ports;
  for (const std::string& path : hid::EnumerateInterfaces()) {
    if (!NamesPackageKeyboard(path)) continue;
    std::string port = hid::PortOf(path);
    if (std::find(ports.begin(), ports.end(), port) == ports.end()) ports.push_back(std::move(port));
  }
  return ports;
}

std::string PortToDrive() {
  std::string followed = hid::FollowedPort();
  if (!followed.empty()) return followed;
  const std::vector<std::string> ports = KeyboardPorts();
  return ports.size() == 1 ? ports.front() : std::string{};
}

}  // namespace vexaro::updater
