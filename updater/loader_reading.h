// Reading what the keyboard's loader says about itself: its information
// items and its version record. The connection step and vexaro-flash's
// --list both read them here, so the two never take a loader differently.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "updater/controller.h"

namespace vexaro::updater {

// The loader's texts about its chip and its kind ("IAP V100"); empty when
// the loader did not give the item.
struct LoaderTexts {
  std::optional<std::string> chip;
  std::optional<std::string> kind;
};

// Leading decimal digits as a 32-bit number, wrapping like the loader's own
// texts; 0 without a digit.
std::uint32_t DecimalValue(const std::string& text);

// Reads the loader's items into info (kind, flash size, item 2, application
// start, version record address) and texts. An item the loader does not give
// leaves its field as it was. True when every item came and the kind is IAP
// or ISP.
bool ReadLoaderItems(LoaderInfo& info, LoaderTexts& texts);

// Reads the version record at info.VersionBase, setting info's VersionLength
// and VersionEnd, and its text into version ("NA" for a record never
// written). False when a read failed; version is then left as it was.
bool ReadLoaderVersion(LoaderInfo& info, std::string& version);

}  // namespace vexaro::updater
