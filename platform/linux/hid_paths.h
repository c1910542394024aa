// Interface paths of the hidraw backend. A path opens its interface and looks
// up like a Windows device path for "vid_xxxx&pid_xxxx":
//   /dev/hidraw3?vid_3c9a&pid_0a21&mi_01&col02
// mi_ is the USB interface number (absent off USB); col is the top-level
// collection, counted from 01, present only when the node has several.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexaro::hid::hidraw {

inline constexpr int kNoInterfaceNumber = -1;

struct InterfacePathParts {
  std::string devnode;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  int interfaceNumber = kNoInterfaceNumber;
  std::size_t collection = 0;  // 0-based
};

// collectionCount decides whether "&colNN" is written.
std::string FormatInterfacePath(const InterfacePathParts& parts, std::size_t collectionCount);
// False for anything this backend did not write.
bool ParseInterfacePath(const std::string& path, InterfacePathParts& parts);

}  // namespace vexaro::hid::hidraw
