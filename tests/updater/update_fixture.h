// End-to-end set-up for the controller and the worker: a package built for
// the demo keyboard's identities, the simulated keyboard with its firmware,
// the real report channel on a hidden window of the test thread, and the
// scaled clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sim/keyboard.h"
#include "tests/updater/recording_view.h"
#include "updater/update_host.h"

namespace vexaro::updater::testing {

// The demo keyboard's layout: 64 KiB, the version record at 0x27FC (its
// text at 0x2800, where the application's version read looks), the
// application from 0x2C00.
inline constexpr std::uint32_t kApStart = 0x2C00;
inline constexpr std::uint32_t kVersionRecordAddress = 0x27FC;
inline constexpr std::uint32_t kFlashSize = 0x10000;

struct PackagePlan {
  std::string version = "1.3";
  std::uint32_t imageLength = 0x2400 + 1;  // not whole words
  bool external = false;
  std::uint32_t externalStart = 0x9000;
  std::uint32_t externalLength = 1030;
  bool applicationIds = true;
};

struct KeyboardPlan {
  sim::LoaderKind loader = sim::LoaderKind::kIap;
  std::string faults;
  std::string startVersion = "1.2";
  bool startInLoader = false;
  bool plugged = true;
  std::uint32_t reEnumerationMs = 0;
  std::uint32_t frameMs = 0;  // time of one report each way
  std::string traceFile;      // empty: no trace
};

// An application image with a recognisable pattern.
std::vector<std::uint8_t> ApplicationImage(std::uint32_t length, std::uint8_t seed);

class UpdateFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Builds and loads the package, creates and plugs the keyboard, and opens
  // the channel on its hidden window.
  void Start(const PackagePlan& package, const KeyboardPlan& keyboard);
  void StartHost();
  void StopHost();
  // Unplugs the keyboard and forgets it, for a second run in one test.
  void Restart();
  // Runs the update from the update button and waits for the result timer.
  void RunUpdate();
  // Waits for the result timer of the running update and joins its worker.
  void AwaitResult();
  // Pumps the test thread's messages until pred holds (false after a
  // generous real-time limit, so a hang fails instead of blocking).
  template <typename Pred>
  bool PumpUntil(Pred pred);
  void PumpFor(std::uint32_t programMs);

  std::vector<std::uint8_t> Flash(std::uint32_t address, std::uint32_t count) const {
    return keyboard_->ReadFlash(address, count);
  }
  UpdateController& Controller() { return host_->Controller(); }

  RecordingView view_;
  std::shared_ptr<sim::SimKeyboard> keyboard_;
  std::unique_ptr<UpdateHost> host_;
  std::vector<std::uint8_t> image_, externalImage_;
  std::string packageFile_;
};

bool PumpOnce();

template <typename Pred>
bool UpdateFixture::PumpUntil(Pred pred) {
  for (int round = 0; round < 60000; ++round) {
    if (pred()) return true;
    PumpOnce();
  }
  return pred();
}

}  // namespace vexaro::updater::testing
