// The keyboard that the demo firmware package is made for: the simulated
// keyboard with the demo package's identities and checksum key block.
#pragma once

#include "sim/keyboard.h"

namespace vexaro::sim {

KeyboardConfig DemoKeyboardConfig();

}  // namespace vexaro::sim
