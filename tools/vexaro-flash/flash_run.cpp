#include "tools/vexaro-flash/flash_run.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "isp/isp_api.h"
#include "package/package.h"
#include "platform/gui/window.h"
#include "platform/hid/hid.h"
#include "platform/sys/stop_requests.h"
#include "platform/sys/sys.h"
#include "tools/vexaro-flash/flash_ports.h"
#include "updater/access_problem.h"
#include "updater/controller.h"
#include "updater/keyboard_lock.h"
#include "updater/loader_reading.h"
#include "updater/package_ids.h"
#include "updater/package_loader.h"
#include "updater/update_host.h"

namespace vexaro::flash {
namespace {

using updater::UpdateController;
using updater::UpdateHost;
using updater::UpdateState;

// The channel reads the version (up to 3 s) and waits for the keyboard to
// report ready (up to 15 half seconds) before the check can run.
constexpr std::uint64_t kPresenceWaitMs = 12000;
// Pause between version reads that failed.
constexpr std::uint32_t kVersionRetryMs = 100;
// After the update the keyboard re-enumerates, installation settles and the
// channel reads the new version.
constexpr std::uint64_t kReadBackWaitMs = 15000;
// The message loop idles this long between rounds of pending messages.
constexpr std::uint32_t kPumpIdleMs = 5;

constexpr const char* kDoNotUnplugText =
    "Do not unplug the keyboard or close this program until the update has finished.";

// Handles the thread's messages until done() or, with a limit, until that
// much program time has passed.
template <typename Done>
bool PumpUntil(Done done, std::uint64_t limitMs = 0) {
  const std::uint64_t end = sys::NowMs() + limitMs;
  while (!done()) {
    if (limitMs != 0 && sys::NowMs() >= end) return false;
    gui::PumpPendingMessages();
    sys::SleepMs(kPumpIdleMs);
  }
  return true;
}

// The version record of a keyboard in loader mode, read as the connection
// reads it; empty when it could not be read.
std::string LoaderVersion(std::string& detail) {
  ISP_SendAuthentication();
  updater::LoaderInfo info;
  updater::LoaderTexts texts;
  updater::ReadLoaderItems(info, texts);
  detail = texts.chip.value_or("") + ", " + texts.kind.value_or("");
  std::string version;
  updater::ReadLoaderVersion(info, version);
  return version;
}

// With --verbose: what the loader told about itself once connected.
void DescribeLoader(UpdateController& controller, FlashView& view) {
  const updater::LoaderInfo info = controller.Loader();
  char text[160];
  std::snprintf(text, sizeof text,
                "Loader: %s, flash %u bytes, application from 0x%08X, version record 0x%08X..0x%08X",
                info.LoaderKind.c_str(), info.FlashSize, info.ApStart, info.VersionBase, info.VersionEnd);
  view.Detail(text);
}

int ListKeyboards(UpdateHost& host, FlashView& view) {
  const package::PackageInfo& p = package::ThePackageInfo();
  int found = 0;
  if (updater::ApplicationFound()) {
    ISP_CloseSerialPortConnect();
    view.Keyboard("application", p.ApVendorId, p.ApProductId, "", host.Controller().Channel().Version(),
                  hid::FollowedPort());
    ++found;
  }
  if (updater::LoaderFound()) {
    std::string detail;
    const std::string version = LoaderVersion(detail);
    ISP_CloseSerialPortConnect();
    view.Keyboard("loader", p.IapVendorId, p.IapProductId, detail, version, hid::FollowedPort());
    ++found;
  }
  // A node that refuses this user is a keyboard all the same.
  const hid::Error refusal = host.Controller().AccessError();
  if (found == 0 && updater::IsAccessRefusal(refusal)) {
    const bool loader = hid::PathNamesDevice(refusal.path, static_cast<std::uint16_t>(p.IapVendorId),
                                             static_cast<std::uint16_t>(p.IapProductId));
    view.Keyboard(loader ? "loader" : "application", loader ? p.IapVendorId : p.ApVendorId,
                  loader ? p.IapProductId : p.ApProductId, "found without permission: " + hid::Describe(refusal), "",
                  hid::FollowedPort());
    view.Result(false, kExitNoAccess, updater::AccessProblemText(refusal));
    return kExitNoAccess;
  }
  if (found == 0) {
    view.Result(false, kExitNoKeyboard, "No keyboard found");
    return kExitNoKeyboard;
  }
  view.Result(true, kExitSuccess, std::to_string(found) + (found == 1 ? " keyboard" : " keyboards") + " found");
  return kExitSuccess;
}

// Waits for the channel to announce the keyboard, which reads its version
// once. After a lost or late reply the version stays empty, and the check
// would take the keyboard for one of another layout; the read is tried again
// within the same wait. False when the version could not be read.
bool AwaitVersion(UpdateHost& host) {
  updater::ReportChannel& channel = host.Controller().Channel();
  if (!channel.IsOpen()) return true;
  const std::uint64_t end = sys::NowMs() + kPresenceWaitMs;
  PumpUntil([&host] { return host.PresenceMessages() > 0 || sys::StopRequests() > 0; }, kPresenceWaitMs);
  while (channel.IsOpen() && channel.Version().empty() && sys::StopRequests() == 0) {
    if (sys::NowMs() >= end) return false;
    if (channel.ReadVersion()) {
      host.Controller().OnKeyboardPresence(true);  // the status wait and the check, as on arrival
      return true;
    }
    sys::SleepMs(kVersionRetryMs);
  }
  return true;
}

// Why the check refused the package, for the result line.
std::string RefusalText(UpdateController& controller, bool versionRead) {
  if (!versionRead || !controller.Channel().IsOpen()) return "The keyboard's firmware version could not be read";
  if (controller.LastCheck() == updater::CheckVerdict::LayoutError) return "Firmware Update Layout Error!";
  return "The keyboard carries version " + controller.Channel().Version() + ", newer than the package's " +
         package::ThePackageInfo().UpdateVersion + " (see --allow-any-version)";
}

// The exit code and text of an update that has ended.
int UpdateResult(const std::optional<updater::UpdateOutcome>& outcome, FlashView& view) {
  if (outcome && outcome->stopped) {
    if (updater::LeavesKeyboardInUpdateMode(*outcome)) view.Note(updater::kStaysInUpdateModeText);
    view.Result(false, kExitStopped,
                "Update stopped by request before the " + std::string(UpdateStageName(outcome->stage)) + " stage ended");
    return kExitStopped;
  }
  if (!outcome || !outcome->success) {
    std::string text = outcome && !outcome->failureText.empty() ? outcome->failureText
                       : outcome && outcome->packageUnreadable ? std::string("Image format invalid!")
                       : "Firmware Update Failed! (at the " +
                             std::string(UpdateStageName(outcome ? outcome->stage : updater::UpdateStage::Package)) +
                             ")";
    if (outcome && updater::LeavesKeyboardInUpdateMode(*outcome)) view.Note(updater::kStaysInUpdateModeText);
    view.Result(false, kExitUpdateFailed, text);
    return kExitUpdateFailed;
  }
  if (!PumpUntil([&] { return !view.Version().empty(); }, kReadBackWaitMs)) {
    view.Note("The keyboard's new version could not be read back");
  }
  view.Result(true, kExitSuccess, "Firmware Update Success! The keyboard carries version " +
                                      (view.Version().empty() ? std::string("(unknown)") : view.Version()));
  return kExitSuccess;
}

int Update(UpdateHost& host, FlashView& view) {
  UpdateController& controller = host.Controller();
  view.Remark(kDoNotUnplugText);
  controller.ConnectAndStart();
  switch (controller.LastConnection()) {
    case updater::ConnectionResult::Connected: break;
    case updater::ConnectionResult::Stopped:
      view.Result(false, kExitStopped, "Stopped by request before the update began; nothing was written");
      return kExitStopped;
    case updater::ConnectionResult::NoKeyboard:
    case updater::ConnectionResult::LoaderUnreachable:
      view.Result(false, kExitNoKeyboard, "Cannot connect to chip!");
      return kExitNoKeyboard;
    default:
      view.Result(false, kExitUpdateFailed, "Cannot connect to chip!");
      return kExitUpdateFailed;
  }
  DescribeLoader(controller, view);
  bool told = false;
  PumpUntil([&] {
    if (!told && sys::StopRequests() > 0) {
      told = true;
      view.Note("Stopping: the running step finishes and the update ends at the next safe point (a second stop "
                "request ends the program at once, in the middle of a write)");
    }
    return !controller.WorkerRunning();
  });
  controller.JoinWorker();
  if (const auto outcome = controller.LastUpdate()) {
    view.Detail("Last stage: " + std::string(UpdateStageName(outcome->stage)));
  }
  return UpdateResult(controller.LastUpdate(), view);
}

// The keyboard already runs the package's firmware: nothing to write.
bool AlreadyUpToDate(UpdateController& controller, const FlashOptions& options) {
  if (options.reinstall || controller.Presence() != updater::KeyboardPresence::Application) return false;
  const std::string& current = controller.Channel().Version();
  return !current.empty() && current == package::ThePackageInfo().UpdateVersion;
}

// The versions before and after, and the answer of a person at a terminal.
// A refusal here leaves the keyboard as it was: nothing has been sent that
// writes.
std::optional<int> ConfirmUpdate(UpdateController& controller, const FlashOptions& options,
                                 const AnswerSource& answers, FlashView& view) {
  const std::string current = controller.Presence() == updater::KeyboardPresence::Loader
                                  ? std::string("(unknown: the keyboard is in update mode)")
                                  : controller.Channel().Version();
  return AskBeforeWriting("the keyboard from " + current + " to " + package::ThePackageInfo().UpdateVersion, options,
                          answers, view);
}

int RefuseLoad(const FlashOptions& options, const updater::PackageLoad& load, FlashView& view) {
  // Without FILE the package would be this program's own; a program that
  // carries none cannot tell which keyboards to look for.
  if (options.list && options.packageFile.empty()) {
    view.Result(false, kExitUsage,
                "--list needs FILE, a firmware package or an updater program carrying one, to know which "
                "keyboards to look for: this program carries no firmware package");
    return kExitUsage;
  }
  // A mistyped path or a missing right is for the user to fix, a damaged
  // package for whoever made it: scripts tell the two apart by the code.
  if (load.fileProblem) {
    view.Result(false, kExitFileUnreadable, "Cannot read the package file! " + load.problem);
    return kExitFileUnreadable;
  }
  view.Result(false, kExitBadPackage, "Image format invalid! " + load.problem);
  return kExitBadPackage;
}

// --list with several keyboards: each in turn, the process following its
// port, as a run with --device lists it; the exit status is the worst.
int ListEachKeyboard(const FlashOptions& options, FlashView& view, const std::vector<std::string>& ports) {
  std::vector<int> codes;
  for (const std::string& port : ports) {
    FlashOptions one = options;
    one.device = port;
    one.packageShown = true;
    codes.push_back(RunFlash(one, view));
  }
  return WorstExitCode(codes);
}

}  // namespace

std::optional<int> AskBeforeWriting(const std::string& change, const FlashOptions& options, const AnswerSource& answers,
                                    FlashView& view) {
  if (options.yes || options.json || !answers.terminal) {
    view.Remark("Updating " + change);
    return std::nullopt;
  }
  view.Ask("Update " + change + "? [y/N] ");
  switch (AwaitAnswer(answers, [] { return sys::StopRequests() > 0; })) {
    case Answer::kYes: return std::nullopt;
    case Answer::kStopped:
      view.Result(false, kExitStopped, "Stopped by request before the update began; nothing was written");
      return kExitStopped;
    case Answer::kEndOfInput: view.EndQuestion(); [[fallthrough]];
    case Answer::kNo: break;
  }
  view.Result(false, kExitNotConfirmed, "The update was not confirmed; nothing was written");
  return kExitNotConfirmed;
}

namespace {

int RunFlashOnTheBus(const FlashOptions& options, FlashView& view, const AnswerSource& answers) {
  view.SetVerbosity(options.quiet ? Verbosity::kQuiet : options.verbose ? Verbosity::kVerbose : Verbosity::kNormal);
  const updater::PackageLoad load = updater::LoadPackage(options.packageFile);
  if (!load.ok) return RefuseLoad(options, load, view);
  view.Detail("Package file: " + package::LoadPackageFile().path +
              (load.hasDigest ? " (SHA-256 digest verified)" : " (no digest)"));
  if (!load.hasDigest) view.Note("The package carries no digest: damage to it cannot be detected");
  if (!options.packageShown) view.Package(package::ThePackageInfo(), package::LoadPackageFile().demo);
  if (const std::string demo = updater::DemoPackageRefusal(); !demo.empty() && !options.list) {
    view.Result(false, kExitRefused, demo + " (--sim installs it on the simulated keyboard)");
    return kExitRefused;
  }
  std::vector<std::string> ports;
  if (const int refused = ChooseKeyboards(options, view, ports); refused >= 0) return refused;
  if (ports.size() > 1) return ListEachKeyboard(options, view, ports);
  // Taken before the first report and held until the end: even a --list
  // would put its commands between another updater's.
  updater::KeyboardLock lock;
  const sys::FileLock::Result locked = lock.AcquireForPackage();
  if (locked == sys::FileLock::Result::kHeld) {
    view.Result(false, kExitInUse, updater::kKeyboardInUseText);
    return kExitInUse;
  }
  if (locked == sys::FileLock::Result::kFailed) {
    view.Note("The keyboard's lock " + lock.Path() + " cannot be taken: another updater would not be kept away");
  }
  if (!lock.Path().empty()) view.Detail("Keyboard lock: " + lock.Path());
  UpdateHost host(view);
  host.Controller().SetDebugMode(options.allowAnyVersion);
  host.Controller().SetStopSource([] { return sys::StopRequests() > 0; });
  const bool versionRead = AwaitVersion(host);
  if (sys::StopRequests() > 0) {
    view.Result(false, kExitStopped, "Stopped by request before the update began; nothing was written");
    return kExitStopped;
  }
  host.Controller().RefreshDeviceState();
  if (options.list) return ListKeyboards(host, view);
  if (host.Controller().Presence() == updater::KeyboardPresence::NoAccess) {
    view.Result(false, kExitNoAccess, updater::AccessProblemText(host.Controller().AccessError()));
    return kExitNoAccess;
  }
  if (host.Controller().Presence() == updater::KeyboardPresence::None) {
    view.Result(false, kExitNoKeyboard, "No keyboard found");
    return kExitNoKeyboard;
  }
  view.Detail(host.Controller().Presence() == updater::KeyboardPresence::Loader
                  ? "Keyboard found in loader mode (update mode)"
                  : "Keyboard found in application mode, carrying version " + host.Controller().Channel().Version());
  if (!host.Controller().UpdateAllowed()) {
    view.Result(false, kExitRefused, RefusalText(host.Controller(), versionRead));
    return kExitRefused;
  }
  if (AlreadyUpToDate(host.Controller(), options)) {
    view.Result(true, kExitSuccess, "The keyboard already carries version " + host.Controller().Channel().Version() +
                                        "; nothing was written (--reinstall installs it again)");
    return kExitSuccess;
  }
  if (const auto refused = ConfirmUpdate(host.Controller(), options, answers, view)) return *refused;
  return Update(host, view);
}

}  // namespace

int RunFlash(const FlashOptions& options, FlashView& view, const AnswerSource& answers) {
  // A run follows the port of the keyboard it chose only while it lasts:
  // the next run (a --list of several keyboards, a test) chooses again.
  const std::string followed = hid::FollowedPort();
  const int code = RunFlashOnTheBus(options, view, answers);
  hid::FollowPort(followed);
  return code;
}

}  // namespace vexaro::flash
