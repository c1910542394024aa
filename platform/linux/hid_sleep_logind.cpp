// Sleep and wake from logind's PrepareForSleep(bool) signal. Without a system
// bus (containers, early boot) the watch has no source and reports nothing.
#include <systemd/sd-bus.h>

#include <vector>

#include "platform/linux/hid_sleep_watch.h"
#include "platform/sys/sys.h"

namespace vexaro::hid::hidraw {

struct SleepWatch::State {
  sd_bus* bus = nullptr;
  sd_bus_slot* slot = nullptr;
  std::vector<bool> arrived;
};

namespace {

// How long the watch waits for the bus to confirm its subscription: a local
// bus answers in milliseconds; a bus that does not answer in a second is
// treated as absent rather than holding up the first subscriber.
constexpr std::uint64_t kBusReplyWaitUs = 1000000;

int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*) {
  int sleeping = 0;
  if (sd_bus_message_read(message, "b", &sleeping) >= 0) {
    static_cast<std::vector<bool>*>(userdata)->push_back(sleeping != 0);
  }
  return 0;
}

// The bus handles a connection's messages in order, so once it has answered
// a call sent after the subscription, the subscription is in place.
bool Confirmed(sd_bus* bus) {
  sd_bus_set_method_call_timeout(bus, kBusReplyWaitUs);
  sd_bus_message* reply = nullptr;
  const int r = sd_bus_call_method(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                   "org.freedesktop.DBus", "GetId", nullptr, &reply, "");
  sd_bus_message_unref(reply);
  return r >= 0;
}

}  // namespace

SleepWatch::SleepWatch() : state_(std::make_unique<State>()) {
  if (sd_bus_open_system(&state_->bus) < 0) {
    state_->bus = nullptr;
    sys::DebugOutput("hid: no system bus; suspend and resume will not be reported");
    return;
  }
  if (sd_bus_match_signal(state_->bus, &state_->slot, "org.freedesktop.login1",
                          "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                          "PrepareForSleep", OnPrepareForSleep, &state_->arrived) < 0 ||
      !Confirmed(state_->bus)) {
    state_->slot = sd_bus_slot_unref(state_->slot);
    state_->bus = sd_bus_flush_close_unref(state_->bus);
  }
}

SleepWatch::~SleepWatch() {
  sd_bus_slot_unref(state_->slot);
  sd_bus_flush_close_unref(state_->bus);
}

int SleepWatch::Fd() const { return state_->bus == nullptr ? -1 : sd_bus_get_fd(state_->bus); }

short SleepWatch::Events() const {
  if (state_->bus == nullptr) return 0;
  const int events = sd_bus_get_events(state_->bus);
  return static_cast<short>(events < 0 ? 0 : events);
}

void SleepWatch::Process(const std::function<void(bool sleeping)>& onSleep) {
  if (state_->bus == nullptr) return;
  while (sd_bus_process(state_->bus, nullptr) > 0) {
  }
  std::vector<bool> arrived;
  arrived.swap(state_->arrived);
  for (bool sleeping : arrived) onSleep(sleeping);
}

}  // namespace vexaro::hid::hidraw
