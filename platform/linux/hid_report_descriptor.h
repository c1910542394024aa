// Reading a HID report descriptor into the capabilities of its top-level
// collections, the way the Windows HID parser reports them. Standard library
// only: the descriptor comes from a device and is treated as untrusted input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/hid/hid.h"

namespace vexaro::hid::hidraw {

// Bounds that keep a malformed descriptor from costing memory or time. They
// match or undercut the kernel's own (4096 descriptor bytes, 256-bit fields,
// 16 KiB reports), so no descriptor the kernel accepts for a keyboard is lost.
inline constexpr std::size_t kMaxDescriptorBytes = 4096;
inline constexpr std::size_t kMaxCollectionDepth = 32;
inline constexpr std::size_t kMaxGlobalStackDepth = 16;
inline constexpr std::size_t kMaxLocalUsages = 1024;
inline constexpr std::uint32_t kMaxReportSizeBits = 256;
inline constexpr std::uint32_t kMaxReportCount = 12288;
inline constexpr std::uint32_t kMaxReportBytes = 16384;
inline constexpr std::size_t kMaxItemCaps = 4096;
inline constexpr std::size_t kMaxTopCollections = 64;

enum class DescriptorStatus {
  kOk,
  kTooLong,        // more than kMaxDescriptorBytes
  kTruncatedItem,  // an item's data runs past the end
  kUnbalanced,     // End Collection without Collection, or one left open
  kTooDeep,        // nesting or Push beyond the bounds
  kBadReportId,    // Report ID 0 or above 255
  kFieldTooLarge,  // report size, count or total report length out of bounds
  kTooManyItems,   // usages, capabilities or collections beyond the bounds
};

struct ReportDescriptor {
  std::vector<Caps> collections;  // one per top-level collection, in order
  // The device sends input reports with a report ID byte first. Without
  // numbered input reports hidraw gives the bare report data.
  bool numberedInput = false;
};

DescriptorStatus ParseReportDescriptor(const std::uint8_t* data, std::size_t length,
                                       ReportDescriptor& result);

}  // namespace vexaro::hid::hidraw
