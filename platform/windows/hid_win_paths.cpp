// Reading device interface paths out of system records, lengths checked first.
#include "platform/windows/hid_win_paths.h"

#include <windows.h>
#include <dbt.h>
#include <setupapi.h>

#include <cstddef>
#include <cstring>

namespace vexaro::hid::win {
namespace {

// No device interface path comes near this; a record claiming more is damaged.
constexpr std::size_t kMaxPathRecord = 32 * 1024;

bool HexDigits(std::string_view text, std::size_t count, std::uint32_t& value) {
  if (text.size() < count) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[i];
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
    else return false;
    value = value * 16 + digit;
  }
  return true;
}

// The hex number of count digits right after marker, when the path has one.
std::optional<std::uint32_t> NumberAfter(std::string_view path, std::string_view marker,
                                         std::size_t count) {
  const std::size_t at = path.find(marker);
  std::uint32_t value = 0;
  if (at == std::string_view::npos || !HexDigits(path.substr(at + marker.size()), count, value))
    return std::nullopt;
  return value;
}

// The terminated text at the start of bytes, or nothing when no NUL is there.
bool TerminatedText(const char* bytes, std::size_t size, std::string& text) {
  const void* end = std::memchr(bytes, 0, size);
  if (end == nullptr || end == bytes) return false;
  text.assign(bytes, static_cast<const char*>(end));
  return true;
}

}  // namespace

std::string NormalizeInterfacePath(std::string_view path) {
  std::string lower(path);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool PathFromInterfaceDetail(const void* record, std::size_t size, std::string& path) {
  constexpr std::size_t offset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
  if (record == nullptr || size <= offset || size > kMaxPathRecord) return false;
  return TerminatedText(static_cast<const char*>(record) + offset, size - offset, path);
}

bool PathFromInterfaceBroadcast(const void* record, std::string& path) {
  constexpr std::size_t offset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name);
  if (record == nullptr) return false;
  DEV_BROADCAST_HDR header;
  std::memcpy(&header, record, sizeof header);
  if (header.dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE || header.dbch_size <= offset ||
      header.dbch_size > kMaxPathRecord)
    return false;
  return TerminatedText(static_cast<const char*>(record) + offset, header.dbch_size - offset, path);
}

bool ParseInterfaceIds(std::string_view path, InterfaceIds& ids) {
  const std::string lower = NormalizeInterfacePath(path);
  const std::size_t at = lower.find("vid_");
  std::uint32_t vid = 0;
  std::uint32_t pid = 0;
  const std::string_view rest = std::string_view(lower).substr(at == std::string::npos ? 0 : at);
  if (at == std::string::npos || !HexDigits(rest.substr(4), 4, vid) ||
      rest.substr(8, 5) != "&pid_" || !HexDigits(rest.substr(13), 4, pid))
    return false;
  ids = {};
  ids.vendorId = static_cast<std::uint16_t>(vid);
  ids.productId = static_cast<std::uint16_t>(pid);
  // The interface and collection parts belong to the same path segment.
  const std::string_view segment = rest.substr(0, rest.find('#'));
  if (auto mi = NumberAfter(segment, "&mi_", 2)) ids.interfaceNumber = static_cast<std::uint8_t>(*mi);
  if (auto col = NumberAfter(segment, "&col", 2)) ids.collection = static_cast<std::uint8_t>(*col);
  return true;
}

}  // namespace vexaro::hid::win
