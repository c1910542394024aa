// The simulated keyboard: a model of the real keyboard (application firmware
// and loader, with flash) that plugs into the simulated USB bus. It answers
// what the updater sends exactly as the device does, keeps its flash in a
// state file, and can be slowed, traced and made to fail on purpose.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/sim_bus.h"
#include "platform/sys/file_lock.h"
#include "sim/flash.h"
#include "sim/trace.h"

namespace vexaro::sim {

enum class LoaderKind { kIap, kIsp };
enum class Mode { kApplication, kLoader };

// Program-clock durations of the device's work. Usb() follows a full-speed
// device; Zero() answers at once and re-enumerates synchronously, for tests.
struct Timing {
  std::uint32_t frameMs = 1;            // one interrupt report per frame each way
  std::uint32_t getReportMs = 1;        // a control transfer takes about one frame
  std::uint32_t pageEraseMs = 20;
  std::uint32_t massEraseMs = 200;
  std::uint32_t reEnumerationMs = 1500;  // off the bus until the host sees it again
  static Timing Usb() { return Timing{}; }
  static Timing Zero() { return Timing{0, 0, 0, 0, 0}; }
};

// Faults to inject; 0 or empty means off. Counts start at 1 and run over the
// keyboard's life, across re-enumerations.
struct Faults {
  std::uint32_t failWrite = 0;       // the Nth output report write fails
  std::uint32_t dropStatus = 0;      // the Nth status is never delivered
  std::uint32_t corruptStatus = 0;   // the Nth status arrives as "?"
  bool neverAnswerProbe = false;     // reports that are no valid command get no answer
  std::optional<std::uint32_t> verifyFailAt;  // verify reports covering this address answer "F"
  std::uint32_t vanishAfter = 0;     // leaves the bus for good after N output reports
  bool stayInLoader = false;         // the start of the application restarts the loader
  std::optional<std::uint32_t> eraseFailAt;    // erases (page or mass) covering this address answer "F"
  std::optional<std::uint32_t> programFailAt;  // program reports covering this address answer "F"
  bool failReset = false;            // the loader's restart command cannot be written
  std::uint32_t loaderBeforeApplicationMs = 0;  // the start of the application shows the
                                                // loader for this long first
  std::uint32_t slowFactor = 1;      // every duration of the timing model times this
  // Faults struck at the Nth output report, whatever it carries (counted as
  // failWrite counts), so a campaign can aim at every command of an update.
  std::uint32_t powerLossAt = 0;        // its work half done, then the power fails
  std::uint32_t dropRepliesAt = 0;      // every reply it causes is lost
  std::uint32_t corruptRepliesAt = 0;   // every reply it causes arrives damaged
  std::uint32_t noReEnumerationAt = 0;  // the restart it causes never comes back on the bus
  std::uint32_t wrongModeAt = 0;        // the restart it causes comes back in the other mode
  // The host may not open the keyboard's interfaces, as a Linux host without
  // the udev rule: listed, but every open is refused for permission.
  bool noPermission = false;
};

// Parses "fail-write=3,drop-status=5,corrupt-status=2,no-probe-answer,
// verify-fail-at=0x1000,vanish-after=100,stay-in-loader,slow=4,erase-fail-at=0x7C00,
// program-fail-at=0x1000,fail-reset,loader-before-app=5000,power-loss-at=40,
// drop-replies-at=7,corrupt-replies-at=7,no-reenumeration-at=3,wrong-mode-at=3,no-permission". On failure
// returns false with error naming the item that was wrong.
bool ParseFaults(std::string_view text, Faults& faults, std::string& error);

struct KeyboardConfig {
  std::uint16_t apVendorId = 0x04D9;
  std::uint16_t apProductId = 0xA1C0;
  std::uint16_t apVersion = 0x0100;
  std::uint16_t iapVendorId = 0x04D9;
  std::uint16_t iapProductId = 0x8010;
  std::uint16_t iapVersion = 0x0100;
  // In application mode the keyboard shows a boot keyboard collection first
  // and its vendor collection (the one that speaks the protocol) second.
  LoaderKind loaderKind = LoaderKind::kIap;
  std::uint16_t chipNumber = 0x1654;
  std::uint16_t loaderVersion = 0x100;  // 12 bits
  std::uint8_t infoByte = 0;            // W2 bits 0-7; meaning not used by the host
  std::uint32_t flashSize = 32768;
  std::uint32_t pageSize = 1024;
  std::uint32_t userStart = 0x0C00;     // below it lives the loader itself
  // Where the application starts (information item 6); 0: at userStart. The
  // pages between userStart and it may hold the version record.
  std::uint32_t applicationStart = 0;
  std::uint32_t versionRecordAddress = 0x7C00;
  std::vector<std::uint8_t> crcKey = std::vector<std::uint8_t>(64, 0);
  Mode initialMode = Mode::kApplication;  // when no state file says otherwise
  Timing timing = Timing::Usb();
  Faults faults;
  std::string stateFile;  // empty: nothing persists
  std::string traceFile;  // empty: no trace
  int port = 0;           // where it plugs in; 0: a fresh port of the bus
};

// Reads the keyboard settings from the environment: VEXARO_SIM_STATE (state
// file), VEXARO_SIM_TRACE (trace file), VEXARO_SIM_FAULTS (as ParseFaults),
// VEXARO_SIM_TIMING ("usb" or "zero"), VEXARO_SIM_LOADER ("iap" or "isp").
// False with error naming the variable that was wrong.
bool ApplyEnvironment(KeyboardConfig& config, std::string& error);

class SimKeyboard final : public simbus::Device,
                          public std::enable_shared_from_this<SimKeyboard> {
 public:
  // Loads the state file when there is one, locked for the keyboard's life.
  // Null with error naming the file and what was wrong when the file exists
  // but cannot be used, another keyboard (in this or another process) holds
  // it (then *stateInUse is set), or the configuration is inconsistent.
  static std::shared_ptr<SimKeyboard> Create(KeyboardConfig config, std::string& error, bool* stateInUse = nullptr);
  ~SimKeyboard() override;

  // Connects the keyboard to the simulated bus in its current mode.
  bool PlugIn();
  void Unplug();
  bool IsPlugged() const;
  Mode CurrentMode() const;
  int Port() const { return port_; }
  // The first address of the application area.
  std::uint32_t ApplicationStart() const;

  // Direct access to the flash, as a programmer on the debug port has it.
  std::vector<std::uint8_t> ReadFlash(std::uint32_t address, std::uint32_t count) const;
  // Output reports the keyboard has taken in its life (what write faults count).
  std::uint32_t OutputReports() const;
  bool WriteFlash(std::uint32_t address, const std::vector<std::uint8_t>& bytes);
  // Puts an application image at the user area and a version record (length
  // word, then the text) at its address; the keyboard then starts into it.
  bool InstallFirmware(const std::vector<std::uint8_t>& image, std::string_view version);
  bool SaveState(std::string& error) const;
  // What the chip starts into at power-on: its application when there is one
  // and the version record has been written (an update erases the record
  // first and writes it last), otherwise its loader.
  Mode PowerOnMode() const;
  // Program milliseconds the bus carried no transfer of this keyboard's
  // between the end of one and the start of the next (the host's pauses and
  // its late wake-ups) since the last call; the gap before the next transfer
  // is not counted. Always 0 with zero timing.
  std::uint64_t TakeBusIdleMs();

  // simbus::Device
  bool OnOutputReport(int port, std::size_t collection, const std::uint8_t* data,
                      std::size_t length) override;
  bool OnGetInputReport(int port, std::size_t collection, std::uint8_t* data,
                        std::size_t length) override;

 private:
  enum class After { kNothing, kRestartAsLoader, kStartApplication, kVanish, kLoaderThenApplication };
  struct Status {
    std::vector<std::uint8_t> raw;  // a whole report, or empty for a character
    char character = 0;
    std::uint64_t readyAtMs = 0;
  };

  explicit SimKeyboard(KeyboardConfig config);
  simbus::DeviceDescriptor DescriptorFor(Mode mode) const;
  std::size_t ProtocolCollection() const;
  std::uint32_t Scaled(std::uint32_t ms) const { return ms * config_.faults.slowFactor; }

  // Loader side (loader_commands.cpp), called with mutex_ held.
  After LoaderReport(const std::uint8_t* report);
  void EraseRange(std::uint32_t first, std::uint32_t last);
  void ProgramOrVerify(const std::uint8_t* report, bool program);
  void ReadRange(std::uint32_t first, std::uint32_t last);
  void Checksum(const std::uint8_t* report);
  void Information();
  void UserCommand(const std::uint8_t* report);
  After StartApplication();
  bool KeyedChecksumValid(const std::uint8_t* report) const;
  bool RefusedByFault(const std::uint8_t* report);
  // Faults aimed at one output report (fault_strikes.cpp), called with mutex_ held.
  void ArmReplyFault();
  void PowerLoss(std::size_t collection, const std::uint8_t* report, std::size_t length);
  void HalfDone(const std::uint8_t* report);
  After RestartFault(After action);
  bool BootsApplication() const;
  static bool Covers(const std::optional<std::uint32_t>& at, std::uint32_t first, std::uint32_t last);

  // Application side (application.cpp), called with mutex_ held.
  After ApplicationReport(const std::uint8_t* report);
  void ApplicationRead(const std::uint8_t* report);
  bool ApplicationStatus(std::uint8_t* data, std::size_t length);
  bool HasApplication() const;

  // Replies (keyboard.cpp), called with mutex_ held.
  // Counts a status and applies the injected status faults to it.
  enum class StatusFault { kNone, kDrop, kCorrupt };
  StatusFault NextStatusFault();
  StatusFault replyFault_ = StatusFault::kNone;  // for the replies of the report in hand
  void QueueStatus(char character);
  void QueueStatusReport(std::vector<std::uint8_t> report);
  void QueueDataReport(const std::uint8_t* bytes64);
  void Busy(std::uint32_t ms);
  bool TakeStatus(std::uint8_t* data, std::size_t length);
  void Carry(After action);
  void Replug(Mode mode, std::uint64_t generation);
  void StartApplicationLater(std::uint64_t generation, std::uint32_t delay);
  void SpendTransfer(std::uint32_t ms);

  // Declared first so that it is released last, after the destructor has
  // saved the state it guards.
  std::unique_ptr<sys::FileLock> stateLock_;
  KeyboardConfig config_;
  const int port_;
  mutable std::mutex mutex_;
  Flash flash_;
  Mode mode_ = Mode::kApplication;
  bool plugged_ = false;
  bool gone_ = false;  // vanished by fault: never comes back
  std::uint64_t plugGeneration_ = 0;
  std::deque<Status> statuses_;
  std::uint64_t busyUntilMs_ = 0;
  std::uint64_t nextInFrameMs_ = 0;
  std::uint32_t writes_ = 0;
  std::uint32_t statusesQueued_ = 0;
  // Bus bookkeeping for the benchmarks, kept off the keyboard's lock: it is
  // touched on every transfer.
  std::atomic<std::uint64_t> transferEndMs_{0};  // where the last transfer's frames ended
  std::atomic<std::uint64_t> busIdleMs_{0};
  Trace trace_;
};

}  // namespace vexaro::sim
