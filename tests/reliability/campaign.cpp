#include "tests/reliability/campaign.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "isp/engine.h"
#include "platform/hid/hid.h"
#include "platform/sys/sys.h"
#include "sim/checksum.h"
#include "sim/demo_keyboard.h"
#include "sim/loader_protocol.h"
#include "sim/state_file.h"
#include "tests/support/temp_path.h"
#include "tools/vexaro-flash/flash_run.h"
#include "tools/vexaro-pack/packer.h"

namespace vexaro::reliability {
namespace {

constexpr std::uint32_t kDemoApInterface = 1;
constexpr std::uint8_t kErasedByte = 0xFF;

// ---- Windows of the design, in program milliseconds -------------------------
// vexaro-flash waits up to 12 s for the channel's version read at start-up.
constexpr std::uint64_t kStartUpMs = 15'000;
// Count-downs of 120 counted seconds; each tick sleeps 1000 ms and looks once.
constexpr std::uint64_t kCountDownMs = 125'000;
// The longest reply window of one loader command (a transfer's acknowledgements).
constexpr std::uint64_t kCommandMs = 6'000;
// The application's restart into the loader, two count-downs, six information
// items and two version-record reads, and the pause after "Connect Fail!!!".
constexpr std::uint64_t kConnectionMs = 2 * kCountDownMs + 2'000 + 8 * kCommandMs + 2'000;
// A stage thread is given up after 1000 polls of 10 ms while the channel is
// closed; the thread then stops after the report in hand.
constexpr std::uint64_t kStageThreadMs = 10'000 + kCommandMs;
// Finish: the loader's restart request, 3 s after closing.
constexpr std::uint64_t kFinishMs = kCommandMs + 3'000;

struct StageWindow {
  const char* stage;
  std::uint64_t ms;
};
// The worker's stages in their order with the longest each may take.
constexpr StageWindow kStageWindows[] = {
    {"erase external", 10'000},       {"program external", kStageThreadMs},
    {"verify external", kStageThreadMs}, {"erase", 2 * 10'000},
    {"reset", kCommandMs + 2'000},      {"reconnect", kCountDownMs + kCommandMs},
    {"program", 1'000 + kStageThreadMs}, {"verify", kStageThreadMs},
    {"digest", kCommandMs},             {"version", 2 * kCommandMs},
    {"start application", kCommandMs + kCountDownMs + 1'000},
    // vexaro-flash waits up to 15 s for the new version after a success.
    {"read back", 15'000},
};

// Runs that must succeed (the reference, the second run) go slower: a
// transfer is given up after 10 s of program time while the report channel
// is closed, which at 10 times is a second of real time for the image's 61
// reports, enough on a machine loaded many times over its cores, also with
// the sanitizers (a report costs well under a millisecond there).
constexpr double kSureRunClockScale = 10;

class SlowerClock {
 public:
  SlowerClock() : saved_(sys::ClockScale()) { sys::SetClockScale(std::min(saved_, kSureRunClockScale)); }
  ~SlowerClock() { sys::SetClockScale(saved_); }
  SlowerClock(const SlowerClock&) = delete;
  SlowerClock& operator=(const SlowerClock&) = delete;

 private:
  double saved_;
};

std::vector<std::uint8_t> Pattern(std::uint32_t length, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(length);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + seed);
  if (!bytes.empty()) bytes[0] = 0x00;  // an application's first word is never erased flash
  return bytes;
}

package::PackageContents Contents(const sim::KeyboardConfig& keyboard, const std::vector<std::uint8_t>& image,
                               const std::vector<std::uint8_t>& external) {
  package::PackageContents c;
  c.internalImage = image;
  c.externalImage = external;
  c.externalStart = kExternalStart;
  c.apVendorId = keyboard.apVendorId;
  c.apProductId = keyboard.apProductId;
  c.apInterfaceIndex = kDemoApInterface;
  c.iapVendorId = keyboard.iapVendorId;
  c.iapProductId = keyboard.iapProductId;
  c.updateVersion = kPackageVersion;
  c.windowTitle = "Reliability";
  c.companyName = "Vexaro Peripherals";
  c.productName = "Campaign Keyboard";
  c.digestValue = {0x12, 0x34};
  c.crcKey = keyboard.crcKey;
  c.key = kPackageKey;
  return c;
}

sim::KeyboardConfig KeyboardFor(const Setup& setup) {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.loaderKind = setup.loader;
  config.timing = sim::Timing::Zero();
  return config;
}

}  // namespace

std::string SetupName(const Setup& setup) {
  return std::string(setup.loader == sim::LoaderKind::kIap ? "Iap" : "Isp") +
         (setup.external ? "External" : "Internal");
}

Campaign::Campaign(const Setup& setup, std::string tag) : setup_(setup) {
  const std::string base = "vexaro-reliability-" + tag + "-" + SetupName(setup);
  packageFile_ = test_support::ProcessTempPath(base, ".pkg");
  stateFile_ = test_support::ProcessTempPath(base, ".state");
  traceFile_ = test_support::ProcessTempPath(base, ".trace");
  image_ = Pattern(kImageLength, 3);
  if (setup.external) externalImage_ = Pattern(kExternalLength, 0x5A);
  const auto bytes = package::BuildPackage(Contents(KeyboardFor(setup), image_, externalImage_));
  std::ofstream(packageFile_, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Campaign::~Campaign() {
  StopKeyboard();
  for (const auto& f : {packageFile_, stateFile_, traceFile_}) std::filesystem::remove(f);
}

std::vector<std::uint8_t> Campaign::OldImage() { return Pattern(0x1000, 9); }

std::vector<std::uint8_t> Campaign::PackageBytes() const {
  std::ifstream in(packageFile_, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Campaign::ReplacePackage(const std::vector<std::uint8_t>& bytes) const {
  std::ofstream(packageFile_, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool Campaign::StartKeyboard(const std::string& faults, const std::string& trace) {
  return CreateKeyboard(faults, trace) && keyboard_->PlugIn();
}

bool Campaign::CreateKeyboard(const std::string& faults, const std::string& trace) {
  sim::KeyboardConfig config = KeyboardFor(setup_);
  config.stateFile = stateFile_;
  config.traceFile = trace;
  std::string error;
  if (!sim::ParseFaults(faults, config.faults, error)) return false;
  keyboard_ = sim::SimKeyboard::Create(config, error);
  return keyboard_ != nullptr;
}

// Takes the keyboard off the bus; its destructor writes the state file.
void Campaign::StopKeyboard() {
  if (!keyboard_) return;
  keyboard_->Unplug();
  keyboard_.reset();
}

RunResult Campaign::RunFlashOnce() {
  flash::FlashOptions options;
  options.packageFile = packageFile_;
  // Every run is a whole update, also of a keyboard that a run before (or
  // one cut short after its version record) left carrying the version.
  options.reinstall = true;
  RunResult result;
  RunFlashWith(options, flash::OutputStyle::kPlain, result, result.output);
  return result;
}

int Campaign::RunList(std::string& output) {
  flash::FlashOptions options;
  options.packageFile = packageFile_;
  options.list = true;
  RunResult result;
  return RunFlashWith(options, flash::OutputStyle::kJson, result, output);
}

int Campaign::RunFlashWith(const flash::FlashOptions& options, flash::OutputStyle style, RunResult& result,
                           std::string& output) {
  isp::ResetEngine();  // each run is a new program
  std::FILE* out = std::tmpfile();
  if (out == nullptr) return result.exitCode;
  {
    flash::FlashView view(out, style);
    const std::uint64_t start = sys::NowMs();
    result.exitCode = flash::RunFlash(options, view);
    result.elapsedMs = sys::NowMs() - start;
    if (const auto outcome = view.Outcome()) {
      result.success = outcome->success;
      result.text = outcome->success ? outcome->lastStatusText : outcome->failureText;
      if (result.text.empty()) result.text = "(at \"" + outcome->lastStatusText + "\")";
    } else {
      result.text = "(no update)";
    }
  }
  std::rewind(out);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) output.append(buffer, n);
  std::fclose(out);
  return result.exitCode;
}

std::vector<Write> Campaign::Reference() {
  StopKeyboard();
  std::filesystem::remove(stateFile_);
  if (!CreateKeyboard("", traceFile_) || !keyboard_->InstallFirmware(OldImage(), kStartVersion) ||
      !keyboard_->PlugIn()) {
    return {};
  }
  SlowerClock slower;
  const RunResult run = RunFlashOnce();
  StopKeyboard();
  if (run.exitCode != 0) return {};
  return StagesOfTrace(traceFile_, setup_);
}

RunResult Campaign::RunFresh(const std::string& faults) {
  StopKeyboard();
  std::filesystem::remove(stateFile_);
  if (!CreateKeyboard("", "") || !keyboard_->InstallFirmware(OldImage(), kStartVersion)) return {};
  keyboard_.reset();  // the fresh keyboard's flash, in its state file
  if (!StartKeyboard(faults, "")) return {};
  return RunFlashOnce();
}

// A keyboard that the fault took off the bus is plugged in again by the
// user: it powers up and starts what its flash makes it start.
RunResult Campaign::RunAgain(const std::string& faults) {
  const bool replug = keyboard_ && !keyboard_->IsPlugged();
  const sim::Mode powerOn = keyboard_ ? keyboard_->PowerOnMode() : sim::Mode::kLoader;
  StopKeyboard();
  if (replug) {
    sim::SavedState state;
    bool exists = false;
    std::string error;
    if (sim::LoadStateFile(stateFile_, KeyboardFor(setup_).flashSize, state, exists, error) && exists) {
      state.inLoader = powerOn == sim::Mode::kLoader;
      sim::SaveStateFile(stateFile_, state, error);
    }
  }
  if (!StartKeyboard(faults, "")) return {};
  SlowerClock slower;
  return RunFlashOnce();
}

bool Campaign::KeyboardUpdated(bool running, std::string& why) const {
  if (!keyboard_) {
    why = "no keyboard";
    return false;
  }
  if (running && (!keyboard_->IsPlugged() || keyboard_->CurrentMode() != sim::Mode::kApplication)) {
    why = "the keyboard does not run its application";
    return false;
  }
  if (keyboard_->ReadFlash(keyboard_->ApplicationStart(), kImageLength) != image_) {
    why = "the application area does not hold the package's image";
    return false;
  }
  const std::string version = kPackageVersion;
  std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(version.size()), 0, 0, 0};
  record.insert(record.end(), version.begin(), version.end());
  if (keyboard_->ReadFlash(sim::kDemoVersionRecordAddress, static_cast<std::uint32_t>(record.size())) != record) {
    why = "the version record does not hold the package's version";
    return false;
  }
  if (!externalImage_.empty() && keyboard_->ReadFlash(kExternalStart, kExternalLength) != externalImage_) {
    why = "the external image is not in the flash";
    return false;
  }
  return true;
}

// ---- Stages of a trace ----------------------------------------------------

namespace {

using namespace sim::protocol;
constexpr std::size_t kReportBytes = 65;

std::uint32_t WordAt(const std::vector<std::uint8_t>& r, std::size_t at) {
  return r[at] | r[at + 1] << 8 | r[at + 2] << 16 | static_cast<std::uint32_t>(r[at + 3]) << 24;
}

// Follows the update's phases over the reports in their order.
class StageReader {
 public:
  explicit StageReader(const Setup& setup) : setup_(setup), key_(KeyboardFor(setup).crcKey) {}

  // The stage of one output report; empty for a ready probe, which belongs
  // to the command after it.
  std::string Stage(const std::vector<std::uint8_t>& r, bool loader, bool& restart) {
    restart = false;
    if (!loader) return ApplicationStage(r, restart);
    if (!sim::CommandChecksumValid(r.data(), &key_)) return "";
    const std::uint32_t a = WordAt(r, kFirstAddressAt);
    const bool external = setup_.external && a >= kExternalStart;
    const std::uint8_t command = r[kCommandAt], sub = r[kSubCommandAt];
    if (command == kErase) return erased_ = true, external ? "erase external" : "erase";
    if (command == kFlash && (sub == kProgram || sub == kVerify)) {
      if (a == sim::kDemoVersionRecordAddress) return "version";
      const char* what = sub == kProgram ? "program" : "verify";
      return external ? std::string(what) + " external" : what;
    }
    if (command == kChecksum) return "digest";
    if (command == kRestart && sub == kRestartLoader) {
      restart = true;
      if (erased_ && !reset_) return reset_ = true, "reset";
      return erased_ ? "finish" : "connect";
    }
    if ((command == kRestart && sub == kRestartApplication) || command == kExit) {
      restart = started_ = true;
      return "start application";
    }
    // Information, reads and whatever else the connection sends.
    return reset_ ? "reconnect" : "connect";
  }

 private:
  std::string ApplicationStage(const std::vector<std::uint8_t>& r, bool& restart) {
    if (started_) return "read back";
    if (sim::CommandChecksumValid(r.data(), nullptr) && r[kCommandAt] == kRestart && r[kSubCommandAt] == kRestartLoader) {
      restart = true;
      return "connect";
    }
    return "start-up";
  }

  Setup setup_;
  std::vector<std::uint8_t> key_;
  bool erased_ = false, reset_ = false, started_ = false;
};

bool ParseReport(std::istringstream& fields, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  std::string hex;
  while (fields >> hex) bytes.push_back(static_cast<std::uint8_t>(std::strtoul(hex.c_str(), nullptr, 16)));
  return bytes.size() >= kReportBytes;
}

}  // namespace

std::vector<Write> StagesOfTrace(const std::string& traceFile, const Setup& setup) {
  std::ifstream in(traceFile);
  std::vector<Write> writes;
  std::size_t unassigned = 0;  // probes waiting for the command they prepare
  StageReader reader(setup);
  bool loader = false;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string ms, kind, what;
    fields >> ms >> kind >> what;
    if (kind == "EVENT" && (what == "plug" || what == "restart")) {
      std::string mode;
      fields >> mode;
      loader = mode == "loader";
    }
    if (kind != "OUT") continue;
    Write w;
    w.index = static_cast<std::uint32_t>(writes.size() + 1);
    std::vector<std::uint8_t> bytes;
    if (ParseReport(fields, bytes)) w.stage = reader.Stage(bytes, loader, w.restart);
    else w.stage = loader ? "" : "start-up";  // the boot keyboard's own reports
    writes.push_back(w);
    if (w.stage.empty()) continue;
    for (; unassigned < writes.size(); ++unassigned) {
      if (writes[unassigned].stage.empty()) writes[unassigned].stage = w.stage;
    }
  }
  for (; unassigned < writes.size(); ++unassigned) {
    if (writes[unassigned].stage.empty()) writes[unassigned].stage = "read back";
  }
  return writes;
}

std::uint64_t WindowOfStage(const std::string& stage) {
  std::uint64_t window = kStartUpMs + kConnectionMs + kFinishMs;
  if (stage == "start-up" || stage == "connect") return window;
  for (const StageWindow& s : kStageWindows) {
    window += s.ms;
    if (stage == s.stage) return window;
  }
  return window;
}

}  // namespace vexaro::reliability
