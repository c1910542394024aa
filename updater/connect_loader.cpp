// Bringing the keyboard from its application into the loader, connecting to
// the loader and reading what the worker needs to know about it.
#include <algorithm>
#include <array>
#include <cstring>

#include "isp/isp_api.h"
#include "platform/sys/sys.h"
#include "updater/controller.h"
#include "updater/count_down.h"
#include "updater/loader_values.h"
#include "updater/package_ids.h"

namespace vexaro::updater {
namespace {

// The application restarts into its loader and re-enumerates under the
// loader's identity; that takes the system about this long.
constexpr std::uint32_t kLoaderRestartMs = 2000;
// A loader that has just appeared gets a moment before the first command.
constexpr std::uint32_t kLoaderSettleMs = 100;
// Leaves "Connect Fail!!!" readable before the caller's own text replaces it.
constexpr std::uint32_t kConnectFailPauseMs = 2000;
// The loader restart request needs this long before the loader is reachable again.
constexpr std::uint32_t kLoaderResetPauseMs = 1000;

// Information items of the loader, in the order they are read.
constexpr std::uint32_t kInfoChip = 0, kInfoFlashSize = 1, kInfoItem2 = 2, kInfoKind = 4,
                        kInfoApStart = 6, kInfoVersionBase = 8;
// A version record that was never written reads as erased flash.
constexpr std::uint32_t kVersionNeverWritten = 0xFFFFFFFF;
constexpr std::uint32_t kVersionLengthWordEnd = 3;  // the record's text starts at base + 4
// Restart request addressed to the running application.
constexpr int32_t kResetApplicationToLoader = 0;

// Leading decimal digits as a 32-bit number (wrapping, like the loader's own texts).
std::uint32_t DecimalValue(const char* text) {
  std::uint32_t value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + static_cast<std::uint32_t>(*text - '0');
  return value;
}

// One information item; false when the loader did not give it.
bool Information(std::uint32_t item, std::string& text) {
  std::array<char, 64> buffer{};
  int32_t length = 0;
  if (ISP_GetInformation(item, buffer.data(), &length) != ISP_OK) return false;
  text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
  return true;
}

bool NumberItem(std::uint32_t item, std::uint32_t& value) {
  std::string text;
  if (!Information(item, text)) return false;
  value = DecimalValue(text.c_str());
  return true;
}

}  // namespace

void UpdateController::ApplicationPhase() {
  view_.SetStatusText("Starting IAP mode....");
  for (CountDown count(kKeyboardWaitSeconds); count.Running(); count.Tick()) {
    if (ApplicationFound()) {
      keyboardSeen_ = true;
      ISP_ResetToIAP(kResetApplicationToLoader);
      ISP_CloseSerialPortConnect();
      sys::SleepMs(kLoaderRestartMs);
      return;
    }
    if (LoaderFound()) {
      view_.SetStatusText("Connected IAP....");
      ISP_CloseSerialPortConnect();
      return;
    }
  }
}

void UpdateController::LoaderPhase() {
  view_.SetStatusText("Connecting....");
  for (CountDown count(kKeyboardWaitSeconds); count.Running(); count.Tick()) {
    if (LoaderFound()) {
      sys::SleepMs(kLoaderSettleMs);
      return;
    }
  }
}

bool UpdateController::ReadLoaderInformation(LoaderInfo& info, std::string& deviceText) {
  bool ok = true;
  std::string text;
  if (Information(kInfoChip, text)) deviceText = "USB, " + text;
  else ok = false;
  if (Information(kInfoKind, text)) {
    deviceText += ", " + text;
    info.LoaderKind = text.substr(0, 3);
    if (info.LoaderKind != "IAP" && info.LoaderKind != "ISP") ok = false;
  } else {
    ok = false;
  }
  ok = NumberItem(kInfoFlashSize, info.FlashSize) && ok;
  ok = NumberItem(kInfoItem2, info.InfoItem2) && ok;
  ok = NumberItem(kInfoApStart, info.ApStart) && ok;
  ok = NumberItem(kInfoVersionBase, info.VersionBase) && ok;
  return ok;
}

bool UpdateController::ReadVersionRecord(LoaderInfo& info) {
  info.VersionEnd = info.VersionBase + kVersionLengthWordEnd;
  std::array<std::uint8_t, 4> word{};
  if (ISP_ReadData(info.VersionBase, info.VersionEnd, word.data()) != ISP_OK) return false;
  info.VersionLength = static_cast<std::uint32_t>(word[0]) | static_cast<std::uint32_t>(word[1]) << 8 |
                       static_cast<std::uint32_t>(word[2]) << 16 | static_cast<std::uint32_t>(word[3]) << 24;
  if (info.VersionLength == kVersionNeverWritten) {
    info.VersionLength = kVersionTextMax;
    info.VersionEnd = info.VersionBase + kVersionTextMax + kVersionLengthWordEnd;
    view_.SetCurrentVersionText("NA");
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
  view_.SetCurrentVersionText(std::string(reinterpret_cast<const char*>(text.data()), info.VersionLength));
  return true;
}

bool UpdateController::ConnectLoader() {
  keyboardSeen_ = false;
  if (HasApplicationIds()) ApplicationPhase();
  LoaderPhase();
  if (!LoaderFound()) {
    connection_ = keyboardSeen_ ? ConnectionResult::LoaderUnreachable : ConnectionResult::NoKeyboard;
    view_.SetStatusText("Connect Fail!!!");
    sys::SleepMs(kConnectFailPauseMs);
    ISP_CloseSerialPortConnect();
    return false;
  }
  ISP_SendAuthentication();
  LoaderInfo info = Loader();
  std::string deviceText;
  bool ok = ReadLoaderInformation(info, deviceText);
  ok = ReadVersionRecord(info) && ok;
  {
    std::lock_guard lock(mutex_);
    loader_ = info;
    deviceText_ = deviceText;
  }
  if (ok) {
    view_.SetStatusText("Connected");
    view_.SetConnectionText(deviceText);
    return true;
  }
  connection_ = ConnectionResult::Refused;
  ISP_ResetToIAP(kResetToLoaderKeyed);
  ISP_CloseSerialPortConnect();
  sys::SleepMs(kLoaderResetPauseMs);
  return false;
}

}  // namespace vexaro::updater
