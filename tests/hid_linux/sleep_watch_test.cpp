// Suspend and resume from logind's PrepareForSleep signal, through the
// monitor thread, on a private bus daemon that stands in for the system bus
// (sd-bus takes the system bus from DBUS_SYSTEM_BUS_ADDRESS).
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "platform/linux/hid_node_monitor.h"

namespace vexaro::hid::hidraw {
namespace {

// Longest real wait for a signal to cross the private bus: it takes
// milliseconds; the margin is for a loaded machine.
constexpr auto kSignalWait = std::chrono::seconds(10);
constexpr const char* kLogindName = "org.freedesktop.login1";

class PrivateSystemBus {
 public:
  PrivateSystemBus() {
    FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
    if (out == nullptr) return;
    char address[512] = {}, pid[32] = {};
    if (std::fgets(address, sizeof address, out) != nullptr &&
        std::fgets(pid, sizeof pid, out) != nullptr) {
      address_ = address;
      if (!address_.empty() && address_.back() == '\n') address_.pop_back();
      pid_ = std::atoi(pid);
    }
    ::pclose(out);
    if (!address_.empty()) ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
  }
  ~PrivateSystemBus() {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }
  bool Running() const { return pid_ > 0; }

  // A client of the private bus, optionally owning logind's name.
  sd_bus* Connect(bool asLogind) const {
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0) return nullptr;
    sd_bus_set_address(bus, address_.c_str());
    sd_bus_set_bus_client(bus, 1);
    if (sd_bus_start(bus) < 0 || (asLogind && sd_bus_request_name(bus, kLogindName, 0) < 0)) {
      sd_bus_flush_close_unref(bus);
      return nullptr;
    }
    return bus;
  }

 private:
  std::string address_;
  int pid_ = 0;
};

void EmitPrepareForSleep(sd_bus* bus, bool sleeping) {
  ASSERT_GE(sd_bus_emit_signal(bus, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                               "PrepareForSleep", "b", sleeping ? 1 : 0),
            0);
  sd_bus_flush(bus);
}

class SleepEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!bus_.Running()) GTEST_SKIP() << "no dbus-daemon to stand in for the system bus";
    ASSERT_TRUE(monitor_.Start([this](const NodeEvent& event) {
      std::lock_guard lock(mutex_);
      kinds_.push_back(event.kind);
      changed_.notify_all();
    }));
  }
  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kSignalWait, [&] { return kinds_.size() >= count; });
  }

  PrivateSystemBus bus_;
  NodeMonitor monitor_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<NodeEvent::Kind> kinds_;
};

TEST_F(SleepEvents, LogindsSignalBecomesSuspendThenResumeAndOthersAreIgnored) {
  sd_bus* impostor = bus_.Connect(false);
  sd_bus* logind = bus_.Connect(true);
  ASSERT_NE(impostor, nullptr);
  ASSERT_NE(logind, nullptr);
  EmitPrepareForSleep(impostor, true);  // not from logind: no event
  EmitPrepareForSleep(logind, true);
  EmitPrepareForSleep(logind, false);
  ASSERT_TRUE(WaitFor(2));
  monitor_.Stop();
  std::lock_guard lock(mutex_);
  EXPECT_EQ(kinds_,
            (std::vector<NodeEvent::Kind>{NodeEvent::Kind::kSuspend, NodeEvent::Kind::kResume}));
  sd_bus_flush_close_unref(impostor);
  sd_bus_flush_close_unref(logind);
}

}  // namespace
}  // namespace vexaro::hid::hidraw
