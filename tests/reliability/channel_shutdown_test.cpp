// The report channel is destroyed while its keyboard comes and goes: its
// monitor's window thread may be sending a device state to the channel's
// thread at that moment, and the destruction must still end.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "hid/usb_driver.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/demo_keyboard.h"
#include "sim/keyboard.h"
#include "tests/reliability/simulated_bus_test.h"

namespace vexaro::reliability {
namespace {

constexpr int kRounds = 40;
// Far beyond a round's real time; a hang is reported instead of waited out.
constexpr auto kHangLimit = std::chrono::seconds(120);
// Two program seconds pass in two real microseconds.
constexpr double kFastClock = 1e6;
constexpr int kOpenRounds = 10;

// Aborts the test program with a message when it is not stopped in time.
class Watchdog {
 public:
  Watchdog() : thread_([this] {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, kHangLimit, [this] { return stopped_; })) {
      std::fprintf(stderr, "channel shutdown hung\n");
      std::abort();
    }
  }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool stopped_ = false;
  std::thread thread_;
};

sim::KeyboardConfig ZeroTimingConfig() {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.timing = sim::Timing::Zero();
  return config;
}

// The demo keyboard with an application, on an emptied simulated bus.
std::shared_ptr<sim::SimKeyboard> DemoKeyboard(const sim::KeyboardConfig& config) {
  UseHeadlessDisplay();
  EXPECT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
  simbus::TheBus().Reset();
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  if (keyboard == nullptr) {
    ADD_FAILURE() << error;
    return nullptr;
  }
  EXPECT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), "V1.00"));
  return keyboard;
}

TEST(ChannelShutdownTest, DestroyingTheChannelWhileTheKeyboardComesAndGoesEnds) {
  const sim::KeyboardConfig config = ZeroTimingConfig();
  const auto keyboard = DemoKeyboard(config);
  ASSERT_NE(keyboard, nullptr);
  Watchdog watchdog;
  std::atomic<bool> churn{true};
  std::thread plugger([&] {
    while (churn) {
      keyboard->PlugIn();
      std::this_thread::yield();
      keyboard->Unplug();
    }
  });
  for (int round = 0; round < kRounds; ++round) {
    auto channel = std::make_unique<usb::CUSBDriver>();
    channel->SetActive();
    channel->SetOwner(nullptr, 0);
    channel->Open(config.apVendorId, config.apProductId);
    std::this_thread::yield();
    channel.reset();  // no message loop runs here: only the stop itself handles what is sent
  }
  churn = false;
  plugger.join();
  keyboard->Unplug();
  simbus::TheBus().Reset();
}

// The channel's start waits for its monitor's own window thread. That wait
// is no protocol window: when it ran on the program clock, a campaign run at
// clock scale 25 on a loaded machine (80 ms real) now and then opened no
// channel, and vexaro-flash refused the keyboard. A far faster clock leaves
// the start a few microseconds.
TEST(ChannelShutdownTest, TheChannelOpensWhateverTheClockScale) {
  const sim::KeyboardConfig config = ZeroTimingConfig();
  const auto keyboard = DemoKeyboard(config);
  ASSERT_NE(keyboard, nullptr);
  keyboard->PlugIn();
  sys::SetClockScale(kFastClock);
  for (int round = 0; round < kOpenRounds; ++round) {
    auto channel = std::make_unique<usb::CUSBDriver>();
    channel->SetActive();
    channel->SetOwner(nullptr, 0);
    EXPECT_TRUE(channel->Open(config.apVendorId, config.apProductId)) << "round " << round;
  }
  sys::SetClockScale(1.0);
  keyboard->Unplug();
  simbus::TheBus().Reset();
}

}  // namespace
}  // namespace vexaro::reliability
