#include "updater/loader_reading.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "isp/isp_api.h"
#include "updater/loader_values.h"

namespace vexaro::updater {
namespace {

// A version record that was never written reads as erased flash.
constexpr std::uint32_t kVersionNeverWritten = 0xFFFFFFFF;
constexpr std::uint32_t kVersionLengthWordEnd = 3;  // the record's text starts at base + 4

std::optional<std::string> Information(std::uint32_t item) {
  std::array<char, 64> buffer{};
  int32_t length = 0;
  if (ISP_GetInformation(item, buffer.data(), &length) != ISP_OK) return std::nullopt;
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

bool NumberItem(std::uint32_t item, std::uint32_t& value) {
  const std::optional<std::string> text = Information(item);
  if (!text) return false;
  value = DecimalValue(*text);
  return true;
}

bool KnownKind(const std::string& kind) { return kind == "IAP" || kind == "ISP"; }

}  // namespace

std::uint32_t DecimalValue(const std::string& text) {
  std::uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  return value;
}

bool ReadLoaderItems(LoaderInfo& info, LoaderTexts& texts) {
  texts.chip = Information(ISP_INFO_CHIP);
  texts.kind = Information(ISP_INFO_LOADER_KIND);
  bool ok = texts.chip && texts.kind;
  if (texts.kind) {
    info.LoaderKind = texts.kind->substr(0, 3);
    ok = KnownKind(info.LoaderKind) && ok;
  }
  ok = NumberItem(ISP_INFO_FLASH_SIZE, info.FlashSize) && ok;
  ok = NumberItem(ISP_INFO_FIRST_SIZE_FACTOR, info.InfoItem2) && ok;
  ok = NumberItem(ISP_INFO_USER_START, info.ApStart) && ok;
  ok = NumberItem(ISP_INFO_VERSION_RECORD, info.VersionBase) && ok;
  return ok;
}

bool ReadLoaderVersion(LoaderInfo& info, std::string& version) {
  info.VersionEnd = info.VersionBase + kVersionLengthWordEnd;
  std::array<std::uint8_t, 4> word{};
  if (ISP_ReadData(info.VersionBase, info.VersionEnd, word.data()) != ISP_OK) return false;
  info.VersionLength = static_cast<std::uint32_t>(word[0]) | static_cast<std::uint32_t>(word[1]) << 8 |
                       static_cast<std::uint32_t>(word[2]) << 16 | static_cast<std::uint32_t>(word[3]) << 24;
  if (info.VersionLength == kVersionNeverWritten) {
    info.VersionLength = kVersionTextMax;
    info.VersionEnd = info.VersionBase + kVersionTextMax + kVersionLengthWordEnd;
    version = "NA";
    return true;
  }
  info.VersionLength = std::min(info.VersionLength, kVersionTextMax);
  info.VersionEnd = info.VersionBase + info.VersionLength + kVersionLengthWordEnd;
  // The engine reads ranges of at least two bytes; texts of 0 and 1 bytes
  // are read as two and cut to their length.
  const std::uint32_t first = info.VersionBase + kVersionLengthWordEnd + 1;
  const std::uint32_t last = std::max(info.VersionEnd, first + 1);
  std::array<std::uint8_t, kVersionTextMax + 1> text{};
  if (ISP_ReadData(first, last, text.data()) != ISP_OK) return false;
  version.assign(reinterpret_cast<const char*>(text.data()), info.VersionLength);
  return true;
}

}  // namespace vexaro::updater
