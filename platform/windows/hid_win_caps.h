// Capabilities of a Windows HID collection: the arrays the HID parser gives for
// input, output and feature reports, read with their counts checked, and turned
// into the platform's Caps.
#pragma once

#include <vector>

#include "platform/hid/hid.h"
#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win {

// What HidP_GetCaps and the HidP_GetSpecific*Caps calls tell of a collection;
// index 0 input, 1 output, 2 feature.
struct ParsedCaps {
  HIDP_CAPS caps{};
  std::vector<HIDP_BUTTON_CAPS> buttons[3];
  std::vector<HIDP_VALUE_CAPS> values[3];
};

// Reads every array of the preparsed data. False when a call fails or answers
// with more entries than the caps announced.
bool ReadParsedCaps(const WinHidApi& api, PHIDP_PREPARSED_DATA preparsed, ParsedCaps& parsed);

// The platform's view: usage, report lengths, then for each kind in order the
// button capabilities and the value capabilities.
Caps ToPlatformCaps(const ParsedCaps& parsed);

}  // namespace vexaro::hid::win
