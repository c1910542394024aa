// For front ends: switch the process to the simulated bus and plug in a
// simulated keyboard, optionally carrying a firmware image on first use; the
// demo keyboard the programs start with their simulation option.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/keyboard.h"

namespace vexaro::sim {

// Selects the simulated HID backend, applies the VEXARO_SIM_* environment
// settings to config, creates the keyboard (loading its state file) and plugs
// it in. When its flash holds no application yet and image is not empty, the
// image and a version record with version are installed first, so a fresh
// keyboard starts into that firmware. Null with error naming what was wrong;
// *stateInUse is set when another updater holds the keyboard's state file.
std::shared_ptr<SimKeyboard> StartSimulatedKeyboard(KeyboardConfig config,
                                                    const std::vector<std::uint8_t>& image,
                                                    std::string_view version, std::string& error,
                                                    bool* stateInUse = nullptr);

// What a fresh demo keyboard (one whose state file holds no application yet)
// carries: nothing, so it sits in its loader (libvexaro-isp), or the demo
// firmware at kDemoStartVersion, one step older than the demo package, so the
// package is an update for it (vexaro-updater --sim, vexaro-flash --sim).
enum class DemoFirmware { kNone, kStartVersion };

// StartSimulatedKeyboard for a config whose environment settings are
// applied already.
std::shared_ptr<SimKeyboard> StartConfiguredKeyboard(KeyboardConfig config, const std::vector<std::uint8_t>& image,
                                                     std::string_view version, std::string& error,
                                                     bool* stateInUse = nullptr);

// StartSimulatedKeyboard with DemoKeyboardConfig().
std::shared_ptr<SimKeyboard> StartDemoKeyboard(DemoFirmware firmware, std::string& error, bool* stateInUse = nullptr);

}  // namespace vexaro::sim
