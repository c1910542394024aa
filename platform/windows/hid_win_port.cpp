#include "platform/windows/hid_win_port.h"

#include <windows.h>
// windows.h first: cfgmgr32.h relies on its types.
#include <cfgmgr32.h>

#include <vector>

namespace vexaro::hid::win {
namespace {

// DEVPKEY_Device_LocationPaths, spelled out so that no GUID library is needed.
const DEVPROPKEY kLocationPathsKey = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}},
                                      37};
// A HID collection sits two or three nodes below its USB device (collection,
// interface, composite device); a few more cover hubs that report none.
constexpr int kMaxParents = 6;
// Location paths are short; a longer answer is taken as damaged.
constexpr ULONG kMaxLocationBytes = 4096;

// The first string of the node's location paths, in ASCII (the paths are
// made of letters, digits and punctuation); empty when it has none.
std::string FirstLocationPath(DEVINST node) {
  DEVPROPTYPE type = 0;
  ULONG size = 0;
  if (CM_Get_DevNode_PropertyW(node, &kLocationPathsKey, &type, nullptr, &size, 0) != CR_BUFFER_SMALL ||
      size == 0 || size > kMaxLocationBytes || type != DEVPROP_TYPE_STRING_LIST) {
    return {};
  }
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (CM_Get_DevNode_PropertyW(node, &kLocationPathsKey, &type, reinterpret_cast<PBYTE>(text.data()), &size, 0) !=
      CR_SUCCESS) {
    return {};
  }
  std::string ascii;
  for (std::size_t i = 0; i < text.size() && text[i] != L'\0'; ++i) {
    ascii.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
  }
  return ascii;
}

}  // namespace

std::string InstanceIdOfInterfacePath(std::string_view path) {
  constexpr std::string_view kPrefix = "\\\\?\\";
  if (path.substr(0, kPrefix.size()) != kPrefix) return {};
  path.remove_prefix(kPrefix.size());
  const std::size_t classPart = path.rfind("#{");
  if (classPart == std::string_view::npos || classPart == 0) return {};
  std::string id(path.substr(0, classPart));
  for (char& c : id) {
    if (c == '#') c = '\\';
  }
  return id;
}

std::string UsbDeviceLocation(std::string_view locationPath) {
  const std::size_t last = locationPath.rfind('#');
  if (last != std::string_view::npos && locationPath.substr(last + 1, 6) == "USBMI(") {
    locationPath = locationPath.substr(0, last);
  }
  return std::string(locationPath);
}

std::string PortOfInterface(const std::string& path) {
  std::string id = InstanceIdOfInterfacePath(path);
  if (id.empty()) return {};
  DEVINST node = 0;
  if (CM_Locate_DevNodeA(&node, id.data(), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) return {};
  for (int up = 0; up < kMaxParents; ++up) {
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, node, 0) != CR_SUCCESS) return {};
    node = parent;
    const std::string location = FirstLocationPath(node);
    if (!location.empty()) return UsbDeviceLocation(location);
  }
  return {};
}

}  // namespace vexaro::hid::win
