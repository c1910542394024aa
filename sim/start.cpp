#include "sim/start.h"

#include "platform/hid/hid.h"
#include "sim/demo_firmware.h"
#include "sim/demo_keyboard.h"

namespace vexaro::sim {

std::shared_ptr<SimKeyboard> StartSimulatedKeyboard(KeyboardConfig config,
                                                    const std::vector<std::uint8_t>& image,
                                                    std::string_view version, std::string& error,
                                                    bool* stateInUse) {
  if (!hid::SelectBackend(hid::BackendKind::kSimulated)) {
    error = "the native HID backend is already in use; the simulation must be chosen at start-up";
    return nullptr;
  }
  if (!ApplyEnvironment(config, error)) return nullptr;
  return StartConfiguredKeyboard(std::move(config), image, version, error, stateInUse);
}

std::shared_ptr<SimKeyboard> StartConfiguredKeyboard(KeyboardConfig config, const std::vector<std::uint8_t>& image,
                                                     std::string_view version, std::string& error,
                                                     bool* stateInUse) {
  auto keyboard = SimKeyboard::Create(std::move(config), error, stateInUse);
  if (!keyboard) return nullptr;
  const auto first = keyboard->ReadFlash(keyboard->ApplicationStart(), 4);
  const bool blank = first.size() == 4 && first[0] == 0xFF && first[1] == 0xFF && first[2] == 0xFF &&
                     first[3] == 0xFF;
  if (blank && !image.empty() && !keyboard->InstallFirmware(image, version)) {
    error = "keyboard: the firmware image does not fit in the user area";
    return nullptr;
  }
  if (!keyboard->PlugIn()) {
    error = "keyboard: could not be plugged into the simulated bus";
    return nullptr;
  }
  return keyboard;
}

std::shared_ptr<SimKeyboard> StartDemoKeyboard(DemoFirmware firmware, std::string& error, bool* stateInUse) {
  if (firmware == DemoFirmware::kNone) return StartSimulatedKeyboard(DemoKeyboardConfig(), {}, "", error, stateInUse);
  return StartSimulatedKeyboard(DemoKeyboardConfig(), DemoInternalImage(kDemoStartVersion), kDemoStartVersion, error,
                                stateInUse);
}

}  // namespace vexaro::sim
