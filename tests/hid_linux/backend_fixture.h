// The hidraw backend's tests on the emulated bus: the fixture that plugs
// keyboards in as emulated nodes and closes and unplugs what a test left, the
// two keyboards the tests use, and a log of device events.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/hid/hid.h"
#include "platform/linux/hid_node.h"
#include "platform/sys/sys.h"
#include "tests/hid_linux/descriptors.h"
#include "tests/hid_linux/emulated_bus.h"

namespace vexaro::hid {

using test::EmulatedBus;
using test::EmulatedKeyboard;

// Program time of the timed reads; the scaled clock makes it a few real ms.
inline constexpr std::uint32_t kReadTimeLimitMs = 5000;
inline constexpr double kFastClock = 1000.0;
// Longest real wait for a udev event to reach the subscriber: the emulated
// monitor delivers within milliseconds; the margin is for a loaded machine.
inline constexpr auto kEventWait = std::chrono::seconds(10);

inline const EmulatedKeyboard kApplication{0x3C9A, 0x0A21, 0x0105, 1, test::kKeyboardWithConsumer, ""};
inline const EmulatedKeyboard kLoader{0x3C9A, 0x1A21, 0x0200, 0, test::kVendor64, ""};

inline std::string LoaderPath(int number) {
  return "/dev/hidraw" + std::to_string(number) + "?vid_3c9a&pid_1a21&mi_00";
}
inline std::string ApplicationPath(int number, int collection) {
  return "/dev/hidraw" + std::to_string(number) + "?vid_3c9a&pid_0a21&mi_01&col0" +
         std::to_string(collection);
}

inline bool Emulated() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "umockdev") != nullptr;
}

class HidrawBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Emulated()) GTEST_SKIP() << "needs umockdev's preload";
    EmulatedBus::Instance();  // before the backend's first look at udev
    ASSERT_TRUE(SelectBackend(BackendKind::kNative));
  }
  void TearDown() override {
    sys::SetClockScale(1.0);
    hidraw::ForgetGetReportRefusal();
    for (Handle h : handles_) Close(h);
    for (int n : plugged_) EmulatedBus::Instance().Unplug(n);
  }
  std::shared_ptr<test::NodeState> Plug(int number, const EmulatedKeyboard& keyboard) {
    plugged_.push_back(number);
    return EmulatedBus::Instance().Plug(number, keyboard);
  }
  Handle OpenKept(const std::string& path, Access access) {
    const Handle h = Open(path, access);
    if (h != kInvalidHandle) handles_.push_back(h);
    return h;
  }

  std::vector<int> plugged_;
  std::vector<Handle> handles_;
};

// Collects device events for one test.
class EventLog {
 public:
  EventLog() {
    id_ = SubscribeDeviceEvents([this](const DeviceEvent& e) {
      std::lock_guard lock(mutex_);
      events_.push_back(e);
      changed_.notify_all();
    });
  }
  ~EventLog() { UnsubscribeDeviceEvents(id_); }
  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kEventWait, [&] { return events_.size() >= count; });
  }
  std::vector<DeviceEvent> Events() {
    std::lock_guard lock(mutex_);
    return events_;
  }

 private:
  SubscriptionId id_ = 0;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<DeviceEvent> events_;
};

}  // namespace vexaro::hid
