// Bringing the keyboard from its application into the loader, connecting to
// the loader and reading what the worker needs to know about it.
#include "isp/isp_api.h"
#include "platform/sys/sys.h"
#include "updater/controller.h"
#include "updater/count_down.h"
#include "updater/loader_reading.h"
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

}  // namespace

void UpdateController::ApplicationPhase() {
  view_.SetStatusText("Starting IAP mode....");
  for (CountDown count(kKeyboardWaitSeconds); count.Running() && !StopRequested(); count.Tick()) {
    if (ApplicationFound()) {
      keyboardSeen_ = true;
      ISP_ResetToIAP(ISP_RESET_UNKEYED);
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
  for (CountDown count(kKeyboardWaitSeconds); count.Running() && !StopRequested(); count.Tick()) {
    if (LoaderFound()) {
      sys::SleepMs(kLoaderSettleMs);
      return;
    }
  }
}

bool UpdateController::ReadLoaderInformation(LoaderInfo& info, std::string& deviceText) {
  LoaderTexts texts;
  const bool ok = ReadLoaderItems(info, texts);
  if (texts.chip) deviceText = "USB, " + *texts.chip;
  if (texts.kind) deviceText += ", " + *texts.kind;
  return ok;
}

bool UpdateController::ReadVersionRecord(LoaderInfo& info) {
  std::string version;
  if (!ReadLoaderVersion(info, version)) return false;
  view_.SetCurrentVersionText(version);
  return true;
}

bool UpdateController::ConnectLoader() {
  keyboardSeen_ = false;
  if (HasApplicationIds()) ApplicationPhase();
  LoaderPhase();
  if (StopRequested()) {
    // Nothing was written: a keyboard already in its loader is sent back to
    // its firmware rather than left there, unable to type.
    connection_ = ConnectionResult::Stopped;
    if (LoaderFound()) ISP_Execute();
    ISP_CloseSerialPortConnect();
    return false;
  }
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
  ISP_ResetToIAP(ISP_RESET_KEYED);
  ISP_CloseSerialPortConnect();
  sys::SleepMs(kLoaderResetPauseMs);
  return false;
}

}  // namespace vexaro::updater
