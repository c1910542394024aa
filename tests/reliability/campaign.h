// Whole updates of the simulated demo keyboard through vexaro-flash's own
// code, with one fault aimed at one output report of the update, and the
// second, fault-free run that has to mend what the first one left behind.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sim/keyboard.h"
#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_view.h"

namespace vexaro::reliability {

// The program clock's speed-up in the reliability tests: windows of seconds
// pass in tens of milliseconds, and a loaded machine still keeps up.
inline constexpr double kClockScale = 25;

struct Setup {
  sim::LoaderKind loader = sim::LoaderKind::kIap;
  bool external = false;
};
std::string SetupName(const Setup& setup);

// One output report of a fault-free update: its number in the keyboard's
// life (what the faults count) and the stage of the update it belongs to.
struct Write {
  std::uint32_t index = 0;
  std::string stage;
  bool restart = false;  // a command that makes the keyboard restart
};

struct RunResult {
  int exitCode = -1;
  bool success = false;   // the controller's outcome (the dialog's result)
  std::string text;       // its failure text, or the last status text
  std::uint64_t elapsedMs = 0;  // on the program clock
  std::string output;           // what vexaro-flash wrote
};

class Campaign {
 public:
  explicit Campaign(const Setup& setup, std::string tag);
  ~Campaign();
  Campaign(const Campaign&) = delete;
  Campaign& operator=(const Campaign&) = delete;

  // A fault-free update of a fresh keyboard, traced: every output report
  // with its stage.
  std::vector<Write> Reference();
  // A fresh keyboard with the old firmware and the faults; one update.
  RunResult RunFresh(const std::string& faults);
  // The keyboard as the last run left it (its state file), power cycled
  // when the fault took it off the bus, without faults; one update, on a
  // slower clock so that a loaded machine does not fail it.
  RunResult RunAgain(const std::string& faults = "");
  // vexaro-flash --list --json on the keyboard as the last run left it (not
  // power cycled): its exit code and output.
  int RunList(std::string& output);
  // Whether the keyboard's flash holds the package (image, version record,
  // external image) and, with running, the keyboard runs it; otherwise why not.
  bool KeyboardUpdated(bool running, std::string& why) const;
  sim::SimKeyboard& Keyboard() { return *keyboard_; }
  const std::string& PackageFile() const { return packageFile_; }
  // The program file the campaign installs from, and a replacement for it.
  std::vector<std::uint8_t> PackageBytes() const;
  void ReplacePackage(const std::vector<std::uint8_t>& bytes) const;
  // The application the keyboard carries before the update.
  static std::vector<std::uint8_t> OldImage();
  const std::string& StateFile() const { return stateFile_; }

 private:
  bool CreateKeyboard(const std::string& faults, const std::string& trace);
  bool StartKeyboard(const std::string& faults, const std::string& trace);
  void StopKeyboard();
  RunResult RunFlashOnce();
  int RunFlashWith(const flash::FlashOptions& options, flash::OutputStyle style, RunResult& result,
                   std::string& output);

  Setup setup_;
  std::string packageFile_, stateFile_, traceFile_;
  std::vector<std::uint8_t> image_, externalImage_;
  std::shared_ptr<sim::SimKeyboard> keyboard_;
};

// The stages of a traced update, read from the keyboard's trace file.
std::vector<Write> StagesOfTrace(const std::string& traceFile, const Setup& setup);

// The longest a run may take when a fault strikes in stage (program ms):
// start-up, the connection's windows and those of every stage up to this
// one, and Finish's.
std::uint64_t WindowOfStage(const std::string& stage);

// The package the campaign installs.
inline constexpr const char* kPackageVersion = "1.3";
inline constexpr std::array<std::uint8_t, 4> kPackageKey = {0x11, 0x22, 0x33, 0x44};
inline constexpr const char* kStartVersion = "1.2";
inline constexpr std::uint32_t kImageLength = 0x0C01;  // 60 program reports and one more, not whole words
inline constexpr std::uint32_t kExternalStart = 0x9000;
inline constexpr std::uint32_t kExternalLength = 1030;

}  // namespace vexaro::reliability
