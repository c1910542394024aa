#include "sim/keyboard_set.h"

#include <cstdlib>

#include "platform/hid/hid.h"
#include "sim/demo_firmware.h"
#include "sim/demo_keyboard.h"

namespace vexaro::sim {
namespace {

std::string EnvironmentText(const std::string& name) {
  const char* v = std::getenv(name.c_str());
  return v == nullptr ? std::string{} : std::string(v);
}

}  // namespace

bool ReadKeyboardCount(int& count, std::string& error) {
  const std::string text = EnvironmentText("VEXARO_SIM_KEYBOARDS");
  count = 1;
  if (text.empty()) return true;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9' || n > kMaxSimKeyboards) {
      n = -1;
      break;
    }
    n = n * 10 + (c - '0');
  }
  if (n < 1 || n > kMaxSimKeyboards) {
    error = "VEXARO_SIM_KEYBOARDS must be a number from 1 to " + std::to_string(kMaxSimKeyboards) + ", not \"" +
            text + "\"";
    return false;
  }
  count = n;
  return true;
}

bool ApplyKeyboardSlot(KeyboardConfig& config, int k, int count, std::string& error) {
  config.port = k;
  std::string suffix(1, '.');
  suffix.append(std::to_string(k));
  if (count > 1 && !config.stateFile.empty()) config.stateFile += suffix;
  if (count > 1 && !config.traceFile.empty()) config.traceFile += suffix;
  std::string name = "VEXARO_SIM_FAULTS_";
  name.append(std::to_string(k));
  const std::string aimed = EnvironmentText(name);
  if (!aimed.empty() && !ParseFaults(aimed, config.faults, error)) {
    error = name + ": " + error;
    return false;
  }
  return true;
}

std::vector<std::shared_ptr<SimKeyboard>> StartDemoKeyboards(DemoFirmware firmware, const std::string& onlyPort,
                                                             std::string& error, bool* stateInUse) {
  std::vector<std::shared_ptr<SimKeyboard>> keyboards;
  int count = 1;
  if (!ReadKeyboardCount(count, error)) return {};
  if (!hid::SelectBackend(hid::BackendKind::kSimulated)) {
    error = "the native HID backend is already in use; the simulation must be chosen at start-up";
    return {};
  }
  const bool withFirmware = firmware == DemoFirmware::kStartVersion;
  for (int k = 1; k <= count; ++k) {
    if (!onlyPort.empty() && onlyPort != std::to_string(k)) continue;
    KeyboardConfig config = DemoKeyboardConfig();
    if (!ApplyEnvironment(config, error) || !ApplyKeyboardSlot(config, k, count, error)) return {};
    auto keyboard = StartConfiguredKeyboard(std::move(config),
                                            withFirmware ? DemoInternalImage(kDemoStartVersion)
                                                         : std::vector<std::uint8_t>{},
                                            withFirmware ? kDemoStartVersion : std::string_view{}, error, stateInUse);
    if (!keyboard) return {};
    keyboards.push_back(std::move(keyboard));
  }
  return keyboards;
}

}  // namespace vexaro::sim
