// Paths of simulated interfaces. They follow the shape of Windows HID device
// paths, so code that looks for "vid_xxxx&pid_xxxx" in a path works unchanged.
#include <cstdio>
#include <string_view>

#include "platform/sim/sim_bus.h"

namespace vexaro::simbus {

std::string InterfacePath(int port, const hid::Attributes& attributes, std::size_t collection,
                          std::size_t collectionCount) {
  char text[128];
  if (collectionCount > 1) {
    std::snprintf(text, sizeof text,
                  "\\\\?\\hid#vid_%04x&pid_%04x&col%02u#sim&%d#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  attributes.vendorId, attributes.productId,
                  static_cast<unsigned>(collection + 1), port);
  } else {
    std::snprintf(text, sizeof text,
                  "\\\\?\\hid#vid_%04x&pid_%04x#sim&%d#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                  attributes.vendorId, attributes.productId, port);
  }
  return text;
}

std::string PortOfPath(const std::string& path) {
  static constexpr std::string_view kMark = "#sim&";
  const std::size_t mark = path.find(kMark);
  if (mark == std::string::npos) return {};
  const std::size_t first = mark + kMark.size();
  std::size_t end = first;
  while (end < path.size() && path[end] >= '0' && path[end] <= '9') ++end;
  if (end == first || end - first > 9 || end >= path.size() || path[end] != '#') return {};
  return path.substr(first, end - first);
}

}  // namespace vexaro::simbus
