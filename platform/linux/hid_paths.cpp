// Writing and reading the backend's interface paths.
#include "platform/linux/hid_paths.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace vexaro::hid::hidraw {
namespace {

constexpr std::string_view kDevPrefix = "/dev/hidraw";
constexpr std::size_t kMaxCollectionNumber = 99;  // two digits in the path
constexpr int kMaxInterfaceNumber = 255;          // bInterfaceNumber is one byte

// Reads "name_<hex or decimal digits>" at the start of text, up to '&' or the end.
bool TakeField(std::string_view& text, std::string_view name, int base, unsigned& value) {
  if (text.substr(0, name.size()) != name) return false;
  text.remove_prefix(name.size());
  const std::size_t end = std::min(text.find('&'), text.size());
  if (end == 0 || end > 4) return false;
  const char* first = text.data();
  auto [ptr, ec] = std::from_chars(first, first + end, value, base);
  if (ec != std::errc{} || ptr != first + end) return false;
  text.remove_prefix(end);
  if (!text.empty()) text.remove_prefix(1);
  return true;
}

bool ParseQuery(std::string_view query, InterfacePathParts& parts) {
  unsigned vid = 0, pid = 0, mi = 0, col = 0;
  if (!TakeField(query, "vid_", 16, vid) || !TakeField(query, "pid_", 16, pid)) return false;
  if (vid > 0xFFFF || pid > 0xFFFF) return false;
  parts.vendorId = static_cast<std::uint16_t>(vid);
  parts.productId = static_cast<std::uint16_t>(pid);
  if (query.substr(0, 3) == "mi_") {
    if (!TakeField(query, "mi_", 16, mi) || mi > kMaxInterfaceNumber) return false;
    parts.interfaceNumber = static_cast<int>(mi);
  }
  if (query.substr(0, 3) == "col") {
    if (!TakeField(query, "col", 10, col) || col == 0 || col > kMaxCollectionNumber) return false;
    parts.collection = col - 1;
  }
  return query.empty();
}

}  // namespace

std::string FormatInterfacePath(const InterfacePathParts& parts, std::size_t collectionCount) {
  char query[64];
  int n = std::snprintf(query, sizeof query, "?vid_%04x&pid_%04x", parts.vendorId, parts.productId);
  if (parts.interfaceNumber != kNoInterfaceNumber) {
    n += std::snprintf(query + n, sizeof query - static_cast<std::size_t>(n), "&mi_%02x",
                       static_cast<unsigned>(parts.interfaceNumber));
  }
  if (collectionCount > 1) {
    std::snprintf(query + n, sizeof query - static_cast<std::size_t>(n), "&col%02u",
                  static_cast<unsigned>(parts.collection + 1));
  }
  return parts.devnode + query;
}

bool ParseInterfacePath(const std::string& path, InterfacePathParts& parts) {
  parts = InterfacePathParts{};
  const std::size_t mark = path.find('?');
  if (mark == std::string::npos || path.compare(0, kDevPrefix.size(), kDevPrefix) != 0)
    return false;
  parts.devnode = path.substr(0, mark);
  const std::string_view number = std::string_view(parts.devnode).substr(kDevPrefix.size());
  if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
    return false;
  return ParseQuery(std::string_view(path).substr(mark + 1), parts);
}

}  // namespace vexaro::hid::hidraw
