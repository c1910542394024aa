// The keyboard that the demo firmware package is made for: the simulated
// keyboard with the demo package's identities and checksum key block.
#pragma once

#include <string_view>

#include "sim/keyboard.h"

namespace vexaro::sim {

// The version record: a 4-byte length, then the text from 0x2800 on.
inline constexpr std::uint32_t kDemoVersionRecordAddress = 0x27FC;
// The version a fresh demo keyboard starts with (front ends pass it to
// StartSimulatedKeyboard): older than the demo package's, same layout mark.
inline constexpr std::string_view kDemoStartVersion = "V2.05";

KeyboardConfig DemoKeyboardConfig();

}  // namespace vexaro::sim
