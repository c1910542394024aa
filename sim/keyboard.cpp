// The simulated keyboard as a device on the bus: its collections in each
// mode, the timing of its replies, fault injection on writes and statuses,
// restarts with re-enumeration, and its state file.
#include "sim/keyboard.h"

#include <algorithm>
#include <cstring>

#include "platform/sys/file_lock.h"
#include "platform/sys/sys.h"
#include "sim/report_words.h"
#include "sim/state_file.h"

namespace vexaro::sim {
namespace {

// Spends ms of the program's clock, as a transfer on the bus does, and
// returns when the transfer started. Sleeping once is not enough: on Windows
// the MinGW runtime sleeps whole real milliseconds, rounded down, so on a fast
// clock a frame would take no time.
//
// The end is a deadline on the clock's whole milliseconds, the bus's frame
// grid: a transfer that starts late within a frame still ends at that frame's
// deadline, so the wake-up latency of one sleep is not carried into the next
// transfer and a run of reports takes one frame each, not a frame plus the
// system's sleep overshoot each.
//
// A zero-time transfer does not yield: on a busy machine a yield hands the
// core to whatever else is runnable for its whole time slice, a millisecond
// or more per report, which at a fast clock made a test's transfer of a few
// hundred reports outlast the updater's stage window.
std::uint64_t Spend(std::uint32_t ms) {
  if (ms == 0) return 0;
  const std::uint64_t start = sys::NowMs();
  sys::SleepUntilMs(start + ms);
  return start;
}

hid::Caps VendorCollection() {
  hid::Caps caps;
  caps.usagePage = 0xFF00;
  caps.usage = 0x01;
  caps.inputReportByteLength = kProtocolReportBytes;
  caps.outputReportByteLength = kProtocolReportBytes;
  for (hid::ReportKind kind : {hid::ReportKind::kInput, hid::ReportKind::kOutput}) {
    hid::ItemCaps item;
    item.kind = kind;
    item.usagePage = 0xFF00;
    item.usageMin = item.usageMax = 0x01;
    item.bitSize = 8;
    item.reportCount = 64;
    caps.items.push_back(item);
  }
  return caps;
}

hid::Caps BootKeyboardCollection() {
  hid::Caps caps;
  caps.usagePage = 0x01;
  caps.usage = 0x06;
  caps.inputReportByteLength = 9;
  caps.outputReportByteLength = 2;
  hid::ItemCaps modifiers{hid::ReportKind::kInput, true, 0, 0x07, 0, true, 0xE0, 0xE7, 1, 8};
  hid::ItemCaps keys{hid::ReportKind::kInput, true, 0, 0x07, 0, true, 0x00, 0xFF, 8, 6};
  hid::ItemCaps leds{hid::ReportKind::kOutput, true, 0, 0x08, 0, true, 0x01, 0x05, 1, 5};
  caps.items = {modifiers, keys, leds};
  return caps;
}

}  // namespace

std::shared_ptr<SimKeyboard> SimKeyboard::Create(KeyboardConfig config, std::string& error, bool* stateInUse) {
  if (config.pageSize == 0 || config.flashSize == 0 || config.flashSize % config.pageSize != 0 ||
      config.flashSize > 16u * 1024 * 1024) {
    error = "keyboard: flash size must be a whole number of pages, at most 16 MiB";
    return nullptr;
  }
  if (config.userStart % config.pageSize != 0 || config.userStart + 4 > config.flashSize) {
    error = "keyboard: user area start must be page-aligned and inside the flash";
    return nullptr;
  }
  const std::uint32_t apStart = config.applicationStart == 0 ? config.userStart : config.applicationStart;
  if (apStart < config.userStart || apStart % config.pageSize != 0 || apStart + 4 > config.flashSize) {
    error = "keyboard: application start must be page-aligned, in the user area and inside the flash";
    return nullptr;
  }
  if (config.crcKey.size() > 64 || config.versionRecordAddress >= config.flashSize) {
    error = "keyboard: key block above 64 bytes or version record outside the flash";
    return nullptr;
  }
  // Two updaters on one state file would overwrite each other's flash, as two
  // hosts driving one keyboard would: the state file is this keyboard's own
  // for its whole life, locked before anything of it is read.
  auto stateLock = std::make_unique<sys::FileLock>();
  if (!config.stateFile.empty()) {
    const sys::FileLock::Result locked = stateLock->TryAcquire(config.stateFile + ".lock");
    if (locked != sys::FileLock::Result::kAcquired) {
      if (stateInUse) *stateInUse = locked == sys::FileLock::Result::kHeld;
      error = locked == sys::FileLock::Result::kHeld
                  ? "the simulated keyboard " + config.stateFile + " is in use by another updater"
                  : config.stateFile + ".lock: the state file's lock cannot be made";
      return nullptr;
    }
  }
  std::shared_ptr<SimKeyboard> keyboard(new SimKeyboard(std::move(config)));
  keyboard->stateLock_ = std::move(stateLock);
  const KeyboardConfig& c = keyboard->config_;
  if (!c.stateFile.empty()) {
    SavedState state;
    bool exists = false;
    if (!LoadStateFile(c.stateFile, c.flashSize, state, exists, error)) return nullptr;
    if (exists) {
      std::memcpy(keyboard->flash_.MutableData(), state.flash.data(), state.flash.size());
      keyboard->mode_ = state.inLoader ? Mode::kLoader : Mode::kApplication;
    }
  }
  if (!c.traceFile.empty() && !keyboard->trace_.Open(c.traceFile)) {
    error = c.traceFile + ": trace file cannot be created";
    return nullptr;
  }
  // Without an application the keyboard can only start its loader.
  if (keyboard->mode_ == Mode::kApplication && !keyboard->HasApplication()) keyboard->mode_ = Mode::kLoader;
  return keyboard;
}

SimKeyboard::SimKeyboard(KeyboardConfig config)
    : config_(std::move(config)),
      port_(config_.port > 0 && simbus::TheBus().ReservePort(config_.port) ? config_.port
                                                                            : simbus::TheBus().NewPort()),
      flash_(config_.flashSize, config_.pageSize),
      mode_(config_.initialMode) {
  if (config_.faults.noPermission) {
    simbus::TheBus().SetOpenRefusal(port_, hid::Reason::kPermissionDenied);
  }
}

SimKeyboard::~SimKeyboard() {
  std::string error;
  if (!config_.stateFile.empty() && !SaveState(error)) sys::DebugOutput("sim: " + error + "\n");
}

simbus::DeviceDescriptor SimKeyboard::DescriptorFor(Mode mode) const {
  simbus::DeviceDescriptor d;
  if (mode == Mode::kLoader) {
    d.attributes = {config_.iapVendorId, config_.iapProductId, config_.iapVersion};
    d.collections = {VendorCollection()};
  } else {
    d.attributes = {config_.apVendorId, config_.apProductId, config_.apVersion};
    d.collections = {BootKeyboardCollection(), VendorCollection()};
  }
  return d;
}

std::size_t SimKeyboard::ProtocolCollection() const { return mode_ == Mode::kLoader ? 0 : 1; }

bool SimKeyboard::PlugIn() {
  simbus::DeviceDescriptor descriptor;
  {
    std::lock_guard lock(mutex_);
    if (plugged_ || gone_) return false;
    plugged_ = true;
    ++plugGeneration_;
    statuses_.clear();
    descriptor = DescriptorFor(mode_);
    trace_.Event(mode_ == Mode::kLoader ? "plug loader" : "plug application");
  }
  return simbus::TheBus().Plug(port_, std::move(descriptor), shared_from_this());
}

void SimKeyboard::Unplug() {
  {
    std::lock_guard lock(mutex_);
    plugged_ = false;
    ++plugGeneration_;
    trace_.Event("unplug");
  }
  simbus::TheBus().Unplug(port_);
}

bool SimKeyboard::IsPlugged() const {
  std::lock_guard lock(mutex_);
  return plugged_;
}

Mode SimKeyboard::CurrentMode() const {
  std::lock_guard lock(mutex_);
  return mode_;
}

std::vector<std::uint8_t> SimKeyboard::ReadFlash(std::uint32_t address, std::uint32_t count) const {
  std::lock_guard lock(mutex_);
  if (count == 0 || !flash_.Contains(address, static_cast<std::uint64_t>(address) + count - 1)) return {};
  return std::vector<std::uint8_t>(flash_.Data() + address, flash_.Data() + address + count);
}

bool SimKeyboard::WriteFlash(std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  if (bytes.empty() || !flash_.Contains(address, static_cast<std::uint64_t>(address) + bytes.size() - 1)) {
    return false;
  }
  std::memcpy(flash_.MutableData() + address, bytes.data(), bytes.size());
  return true;
}

bool SimKeyboard::InstallFirmware(const std::vector<std::uint8_t>& image, std::string_view version) {
  std::vector<std::uint8_t> record(4 + version.size());
  const auto n = static_cast<std::uint32_t>(version.size());
  for (int i = 0; i < 4; ++i) record[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  std::memcpy(record.data() + 4, version.data(), version.size());
  if (!WriteFlash(ApplicationStart(), image) || !WriteFlash(config_.versionRecordAddress, record)) return false;
  std::lock_guard lock(mutex_);
  if (!plugged_) mode_ = Mode::kApplication;
  return true;
}

bool SimKeyboard::SaveState(std::string& error) const {
  SavedState state;
  {
    std::lock_guard lock(mutex_);
    state.inLoader = mode_ == Mode::kLoader;
    state.flash.assign(flash_.Data(), flash_.Data() + flash_.Size());
  }
  return SaveStateFile(config_.stateFile, state, error);
}

std::uint32_t SimKeyboard::OutputReports() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

bool SimKeyboard::OnOutputReport(int port, std::size_t collection, const std::uint8_t* data,
                                 std::size_t length) {
  After action = After::kNothing;
  {
    std::lock_guard lock(mutex_);
    if (!plugged_ || port != port_) return false;
    const std::uint64_t now = sys::NowMs();
    ++writes_;
    trace_.Report("OUT", collection, data, length, now);
    if (config_.faults.failWrite == writes_) {
      trace_.Event("fault write-failed");
      return false;
    }
    if (config_.faults.powerLossAt == writes_) {
      PowerLoss(collection, data, length);
      action = After::kVanish;
    } else if (collection == ProtocolCollection() && length >= kProtocolReportBytes) {
      if (RefusedByFault(data)) return false;
      busyUntilMs_ = std::max(busyUntilMs_, now + Scaled(config_.timing.frameMs));
      ArmReplyFault();
      action = RestartFault(mode_ == Mode::kLoader ? LoaderReport(data) : ApplicationReport(data));
    }
    replyFault_ = StatusFault::kNone;
    if (config_.faults.vanishAfter != 0 && writes_ >= config_.faults.vanishAfter) {
      trace_.Event("fault vanish");
      action = After::kVanish;
    }
  }
  SpendTransfer(Scaled(config_.timing.frameMs));
  Carry(action);
  return true;
}

bool SimKeyboard::OnGetInputReport(int port, std::size_t collection, std::uint8_t* data,
                                   std::size_t length) {
  const std::uint32_t getMs = Scaled(config_.timing.getReportMs);
  // A host polls for a status until it comes; with zero-time requests the
  // yield keeps that loop from holding the core the keyboard's own threads
  // (re-enumeration, delayed starts) need.
  if (getMs == 0) sys::SleepMs(0);
  SpendTransfer(getMs);
  std::lock_guard lock(mutex_);
  if (!plugged_ || port != port_ || collection != ProtocolCollection()) return false;
  if (mode_ == Mode::kApplication && ApplicationStatus(data, length)) {
    trace_.Report("GET", collection, data, length, sys::NowMs());
    return true;
  }
  if (!TakeStatus(data, length)) {
    trace_.Refused(collection);
    return false;
  }
  trace_.Report("GET", collection, data, length, sys::NowMs());
  return true;
}

// One transfer's time on the bus; a start after the previous transfer's end
// leaves the bus idle for the difference (see TakeBusIdleMs).
void SimKeyboard::SpendTransfer(std::uint32_t ms) {
  const std::uint64_t start = Spend(ms);
  if (ms == 0) return;
  const std::uint64_t previousEnd = transferEndMs_.exchange(start + ms, std::memory_order_relaxed);
  if (previousEnd != 0 && start > previousEnd) busIdleMs_.fetch_add(start - previousEnd, std::memory_order_relaxed);
}

std::uint64_t SimKeyboard::TakeBusIdleMs() {
  transferEndMs_.store(0, std::memory_order_relaxed);
  return busIdleMs_.exchange(0, std::memory_order_relaxed);
}

// ---- Replies --------------------------------------------------------------

void SimKeyboard::Busy(std::uint32_t ms) {
  busyUntilMs_ = std::max(busyUntilMs_, sys::NowMs()) + Scaled(ms);
}

SimKeyboard::StatusFault SimKeyboard::NextStatusFault() {
  ++statusesQueued_;
  if (config_.faults.dropStatus == statusesQueued_) {
    trace_.Event("fault status-dropped");
    return StatusFault::kDrop;
  }
  if (config_.faults.corruptStatus == statusesQueued_) {
    trace_.Event("fault status-corrupted");
    return StatusFault::kCorrupt;
  }
  return StatusFault::kNone;
}

void SimKeyboard::QueueStatus(char character) {
  const StatusFault fault = NextStatusFault();
  if (fault == StatusFault::kDrop || replyFault_ == StatusFault::kDrop) return;
  if (fault == StatusFault::kCorrupt || replyFault_ == StatusFault::kCorrupt) character = '?';
  statuses_.push_back({{}, character, busyUntilMs_});
}

void SimKeyboard::QueueStatusReport(std::vector<std::uint8_t> report) {
  const StatusFault fault = NextStatusFault();
  if (fault == StatusFault::kDrop || replyFault_ == StatusFault::kDrop) return;
  if (fault == StatusFault::kCorrupt || replyFault_ == StatusFault::kCorrupt) std::fill(report.begin() + 1, report.end(), std::uint8_t{'?'});
  statuses_.push_back({std::move(report), 0, busyUntilMs_});
}

void SimKeyboard::QueueDataReport(const std::uint8_t* bytes64) {
  if (replyFault_ == StatusFault::kDrop) return;
  std::uint8_t report[kProtocolReportBytes] = {};
  std::memcpy(report + 1, bytes64, kProtocolReportBytes - 1);
  // A damaged data report: every bit of its payload inverted.
  if (replyFault_ == StatusFault::kCorrupt) {
    for (std::size_t i = 1; i < kProtocolReportBytes; ++i) report[i] = static_cast<std::uint8_t>(~report[i]);
  }
  const std::uint64_t at = std::max({sys::NowMs(), busyUntilMs_, nextInFrameMs_});
  nextInFrameMs_ = at + Scaled(config_.timing.frameMs);
  trace_.Report("IN", ProtocolCollection(), report, sizeof report, at);
  simbus::TheBus().PushInputReport(port_, ProtocolCollection(), report, sizeof report, at);
}

// One GET_REPORT: a whole queued report, or as many queued status characters
// as fit, all of which must be ready.
bool SimKeyboard::TakeStatus(std::uint8_t* data, std::size_t length) {
  const std::uint64_t now = sys::NowMs();
  if (statuses_.empty() || statuses_.front().readyAtMs > now || length < 2) return false;
  std::memset(data + 1, 0, length - 1);
  if (!statuses_.front().raw.empty()) {
    const auto& raw = statuses_.front().raw;
    std::memcpy(data + 1, raw.data() + 1, std::min(length, raw.size()) - 1);
    statuses_.pop_front();
    return true;
  }
  std::size_t at = 1;
  while (at < length && !statuses_.empty() && statuses_.front().raw.empty() &&
         statuses_.front().readyAtMs <= now) {
    data[at++] = static_cast<std::uint8_t>(statuses_.front().character);
    statuses_.pop_front();
  }
  return true;
}

// ---- Restarts ---------------------------------------------------------------

void SimKeyboard::Carry(After action) {
  if (action == After::kNothing) return;
  Mode next = Mode::kLoader;
  std::uint64_t generation = 0;
  std::uint32_t delay = 0;
  {
    std::lock_guard lock(mutex_);
    if (!plugged_) return;
    plugged_ = false;
    generation = ++plugGeneration_;
    if (action == After::kVanish) {
      gone_ = true;
    } else {
      next = action == After::kStartApplication ? Mode::kApplication : Mode::kLoader;
      mode_ = next;
      trace_.Event(next == Mode::kLoader ? "restart loader" : "restart application");
    }
    delay = Scaled(config_.timing.reEnumerationMs);
  }
  simbus::TheBus().Unplug(port_);
  std::string error;
  if (!config_.stateFile.empty() && !SaveState(error)) sys::DebugOutput("sim: " + error + "\n");
  if (action == After::kVanish) return;
  if (action == After::kLoaderThenApplication) {
    StartApplicationLater(generation, delay + Scaled(config_.faults.loaderBeforeApplicationMs));
  }
  if (delay == 0) {
    Replug(next, generation);
    return;
  }
  std::weak_ptr<SimKeyboard> weak = weak_from_this();
  simbus::TheBus().After(delay, [weak, next, generation] {
    if (auto keyboard = weak.lock()) keyboard->Replug(next, generation);
  });
}

// The loader shown by the fault loader-before-app starts the application by
// itself, unless the host has restarted the keyboard in the meantime.
void SimKeyboard::StartApplicationLater(std::uint64_t generation, std::uint32_t delay) {
  std::weak_ptr<SimKeyboard> weak = weak_from_this();
  simbus::TheBus().After(delay, [weak, generation] {
    auto keyboard = weak.lock();
    if (!keyboard) return;
    {
      std::lock_guard lock(keyboard->mutex_);
      if (keyboard->plugGeneration_ != generation) return;
    }
    keyboard->Carry(After::kStartApplication);
  });
}

void SimKeyboard::Replug(Mode mode, std::uint64_t generation) {
  simbus::DeviceDescriptor descriptor;
  {
    std::lock_guard lock(mutex_);
    if (gone_ || plugged_ || generation != plugGeneration_) return;
    plugged_ = true;
    mode_ = mode;
    statuses_.clear();
    descriptor = DescriptorFor(mode);
    trace_.Event(mode == Mode::kLoader ? "plug loader" : "plug application");
  }
  simbus::TheBus().Plug(port_, std::move(descriptor), shared_from_this());
}

}  // namespace vexaro::sim
