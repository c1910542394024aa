// The simulated bus: ports with device models, handles with their own input
// queues, a timer thread for delayed device work, and device notifications.
// One mutex guards the bus; device models and subscribers are always called
// without it, so they may call back into the bus.
#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/hid/backend.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"

namespace vexaro::simbus {
namespace {

// The system keeps 32 reports per handle; the simulation keeps more, because a
// zero-latency device produces its reports faster than any host reads them.
constexpr std::size_t kInputQueueLimit = 4096;
// Longest real-time wait in one go, so that a change of the clock's scale
// during a wait is noticed soon.
constexpr std::uint64_t kMaxRealWaitMs = 20;

struct QueuedReport {
  std::vector<std::uint8_t> bytes;
  std::uint64_t availableAtMs = 0;
};

struct PortState {
  DeviceDescriptor descriptor;
  std::shared_ptr<Device> device;
  std::uint64_t generation = 0;
};

struct HandleState {
  int port = 0;
  std::uint64_t generation = 0;
  std::size_t collection = 0;
  hid::Access access = hid::Access::kQuery;
  std::string path;
  std::deque<QueuedReport> queue;
  int readersWaiting = 0;
  std::uint64_t cancelCount = 0;
};

struct Subscriber {
  hid::DeviceEventCallback callback;
  int running = 0;
};

struct Timer {
  std::uint64_t dueMs;
  std::uint64_t sequence;
  std::function<void()> work;
};

bool CanRead(hid::Access a) { return a == hid::Access::kOverlappedRead || a == hid::Access::kReadWrite; }
bool CanWrite(hid::Access a) { return a == hid::Access::kWrite || a == hid::Access::kReadWrite; }

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

class SimBus final : public hid::Backend, public Bus {
 public:
  ~SimBus() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      timers_.clear();
    }
    timerCv_.notify_all();
    if (timerThread_.joinable()) timerThread_.join();
  }

  // ---- Bus -------------------------------------------------------------
  int NewPort() override {
    std::lock_guard lock(mutex_);
    return ++lastPort_;
  }

  bool ReservePort(int port) override {
    if (port < 1) return false;
    std::lock_guard lock(mutex_);
    lastPort_ = std::max(lastPort_, port);
    return true;
  }

  bool Plug(int port, DeviceDescriptor descriptor, std::shared_ptr<Device> device) override {
    if (descriptor.collections.empty() || !device) return false;
    std::vector<hid::DeviceEvent> events;
    {
      std::lock_guard lock(mutex_);
      if (ports_.count(port) != 0) return false;
      PortState& state = ports_[port];
      state.descriptor = std::move(descriptor);
      state.device = std::move(device);
      state.generation = ++lastGeneration_;
      installPendingUntilMs_ = std::max(installPendingUntilMs_, sys::NowMs() + installTimeMs_);
      for (std::size_t i = 0; i < state.descriptor.collections.size(); ++i) {
        events.push_back({hid::DeviceEventKind::kInterfaceArrival, PathOf(port, state, i), hid::kInvalidHandle});
      }
    }
    Dispatch(events);
    return true;
  }

  bool Unplug(int port) override {
    std::vector<hid::DeviceEvent> events;
    {
      std::lock_guard lock(mutex_);
      auto it = ports_.find(port);
      if (it == ports_.end()) return false;
      for (auto& [handle, state] : handles_) {
        if (state.port == port && state.generation == it->second.generation) {
          state.generation = 0;  // dead: every operation on it fails from now on
          events.push_back({hid::DeviceEventKind::kHandleRemoval, state.path, handle});
        }
      }
      for (std::size_t i = 0; i < it->second.descriptor.collections.size(); ++i) {
        events.push_back({hid::DeviceEventKind::kInterfaceRemoval, PathOf(port, it->second, i), hid::kInvalidHandle});
      }
      ports_.erase(it);
    }
    readCv_.notify_all();
    Dispatch(events);
    return true;
  }

  bool IsPlugged(int port) override {
    std::lock_guard lock(mutex_);
    return ports_.count(port) != 0;
  }

  void PushInputReport(int port, std::size_t collection, const std::uint8_t* data,
                       std::size_t length, std::uint64_t availableAtMs) override {
    {
      std::lock_guard lock(mutex_);
      auto it = ports_.find(port);
      if (it == ports_.end()) return;
      for (auto& [handle, state] : handles_) {
        if (state.port != port || state.generation != it->second.generation ||
            state.collection != collection || !CanRead(state.access)) {
          continue;
        }
        if (state.queue.size() >= kInputQueueLimit) state.queue.pop_front();
        state.queue.push_back({std::vector<std::uint8_t>(data, data + length), availableAtMs});
      }
    }
    readCv_.notify_all();
  }

  void After(std::uint32_t delayMs, std::function<void()> work) override {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      timers_.push_back({sys::NowMs() + delayMs, ++lastTimer_, std::move(work)});
      if (!timerThread_.joinable()) timerThread_ = std::thread([this] { RunTimers(); });
    }
    timerCv_.notify_all();
  }

  void SetInstallTimeAfterPlug(std::uint32_t ms) override {
    std::lock_guard lock(mutex_);
    installTimeMs_ = ms;
  }

  void SetOpenRefusal(int port, hid::Reason reason) override {
    std::lock_guard lock(mutex_);
    if (reason == hid::Reason::kNone) refusals_.erase(port);
    else refusals_[port] = reason;
  }

  void Suspend() override { Dispatch({{hid::DeviceEventKind::kSuspend, {}, hid::kInvalidHandle}}); }
  void Resume() override { Dispatch({{hid::DeviceEventKind::kResume, {}, hid::kInvalidHandle}}); }

  void Reset() override {
    std::vector<int> ports;
    {
      std::lock_guard lock(mutex_);
      timers_.clear();
      refusals_.clear();
      installTimeMs_ = 0;
      installPendingUntilMs_ = 0;
      for (auto& [port, state] : ports_) ports.push_back(port);
    }
    for (int port : ports) Unplug(port);
  }

  // ---- hid::Backend ---------------------------------------------------------
  std::vector<std::string> EnumerateInterfaces() override {
    std::lock_guard lock(mutex_);
    std::vector<std::string> paths;
    for (auto& [port, state] : ports_) {
      for (std::size_t i = 0; i < state.descriptor.collections.size(); ++i) {
        paths.push_back(PathOf(port, state, i));
      }
    }
    return paths;
  }

  std::string PortOf(const std::string& path) override { return PortOfPath(path); }

  hid::Handle Open(const std::string& path, hid::Access access) override {
    std::lock_guard lock(mutex_);
    for (auto& [port, state] : ports_) {
      for (std::size_t i = 0; i < state.descriptor.collections.size(); ++i) {
        std::string candidate = PathOf(port, state, i);
        if (!SameText(candidate, path)) continue;
        if (auto refusal = refusals_.find(port); refusal != refusals_.end()) {
          SetThreadError(refusal->second, std::string("simulated: ") + ReasonName(refusal->second), path);
          return hid::kInvalidHandle;
        }
        hid::Handle handle = ++lastHandle_;
        HandleState& h = handles_[handle];
        h.port = port;
        h.generation = state.generation;
        h.collection = i;
        h.access = access;
        h.path = std::move(candidate);
        return handle;
      }
    }
    SetThreadError(hid::Reason::kGone, "no interface with this path on the bus", path);
    return hid::kInvalidHandle;
  }

  bool Close(hid::Handle handle) override {
    {
      std::lock_guard lock(mutex_);
      if (handles_.erase(handle) == 0) return NotOpen();
    }
    readCv_.notify_all();
    return true;
  }

  bool GetAttributes(hid::Handle handle, hid::Attributes& attributes) override {
    std::lock_guard lock(mutex_);
    const PortState* port = LivePort(handle);
    if (port == nullptr) return DeadOrNotOpen(handle);
    attributes = port->descriptor.attributes;
    return true;
  }

  bool GetCaps(hid::Handle handle, hid::Caps& caps) override {
    std::lock_guard lock(mutex_);
    const PortState* port = LivePort(handle);
    if (port == nullptr) return DeadOrNotOpen(handle);
    caps = port->descriptor.collections[handles_.at(handle).collection];
    return true;
  }

  bool WriteReport(hid::Handle handle, const std::uint8_t* data, std::size_t length) override {
    auto target = ReportTarget(handle, data, CanWrite, &hid::Caps::outputReportByteLength);
    if (!target) return false;
    if (length != target->reportLength) return Refuse(hid::Reason::kOther, "not the output report length");
    return target->device->OnOutputReport(target->port, target->collection, data, length) ||
           Refuse(hid::Reason::kDeviceRefused, "the device did not take the report");
  }

  bool GetInputReport(hid::Handle handle, std::uint8_t* data, std::size_t length) override {
    auto target = ReportTarget(handle, data, CanRead, &hid::Caps::inputReportByteLength);
    if (!target) return false;
    if (length < target->reportLength) return Refuse(hid::Reason::kOther, "buffer shorter than the input report");
    return target->device->OnGetInputReport(target->port, target->collection, data,
                                            target->reportLength) ||
           Refuse(hid::Reason::kDeviceRefused, "the device stalled the request");
  }

  hid::ReadResult ReadInputReport(hid::Handle handle, std::uint8_t* data, std::size_t length,
                             std::uint32_t timeoutMs, std::size_t* bytesRead) override {
    if (bytesRead != nullptr) *bytesRead = 0;
    const std::uint64_t start = sys::NowMs();
    std::unique_lock lock(mutex_);
    auto it = handles_.find(handle);
    if (it == handles_.end() || !CanRead(it->second.access) || data == nullptr) {
      if (it == handles_.end()) NotOpen();
      else Refuse(hid::Reason::kOther, "handle not opened for reading");
      return hid::ReadResult::kFailed;
    }
    const std::uint64_t cancelAtStart = it->second.cancelCount;
    ++it->second.readersWaiting;
    for (;;) {
      it = handles_.find(handle);
      if (it == handles_.end()) {  // closed under us
        Refuse(hid::Reason::kOther, "handle closed during the read");
        return hid::ReadResult::kFailed;
      }
      HandleState& h = it->second;
      const std::uint64_t now = sys::NowMs();
      hid::ReadResult result = hid::ReadResult::kOk;
      bool done = true;
      if (h.generation == 0) {
        result = hid::ReadResult::kFailed;
        Refuse(hid::Reason::kGone, "the device left the bus");
      } else if (h.cancelCount != cancelAtStart) {
        result = hid::ReadResult::kCancelled;
      } else if (!h.queue.empty() && h.queue.front().availableAtMs <= now) {
        const auto& bytes = h.queue.front().bytes;
        std::size_t n = std::min(length, bytes.size());
        std::memcpy(data, bytes.data(), n);
        if (bytesRead != nullptr) *bytesRead = n;
        h.queue.pop_front();
      } else if (timeoutMs != hid::kNoTimeLimit && now - start >= timeoutMs) {
        result = hid::ReadResult::kTimedOut;
      } else {
        done = false;
      }
      if (done) {
        --h.readersWaiting;
        return result;
      }
      std::uint64_t wakeMs = timeoutMs == hid::kNoTimeLimit ? now + 1000 : start + timeoutMs;
      if (!h.queue.empty()) wakeMs = std::min(wakeMs, h.queue.front().availableAtMs);
      WaitReal(lock, readCv_, wakeMs > now ? wakeMs - now : 0);
    }
  }

  bool CancelIo(hid::Handle handle) override {
    {
      std::lock_guard lock(mutex_);
      auto it = handles_.find(handle);
      if (it == handles_.end()) return NotOpen();
      if (it->second.readersWaiting > 0) ++it->second.cancelCount;
    }
    readCv_.notify_all();
    return true;
  }

  bool IsInstallPending() override {
    std::lock_guard lock(mutex_);
    return sys::NowMs() < installPendingUntilMs_;
  }

  bool WaitNoPendingInstall(std::uint32_t timeoutMs) override {
    const std::uint64_t deadline = sys::NowMs() + timeoutMs;
    for (;;) {
      std::uint64_t until;
      {
        std::lock_guard lock(mutex_);
        until = installPendingUntilMs_;
      }
      const std::uint64_t now = sys::NowMs();
      if (now >= until) return true;
      if (now >= deadline) return false;
      sys::SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>({until, deadline}) - now));
    }
  }

  hid::SubscriptionId Subscribe(hid::DeviceEventCallback callback) override {
    std::lock_guard lock(mutex_);
    hid::SubscriptionId id = ++lastSubscription_;
    subscribers_[id] = std::make_shared<Subscriber>(Subscriber{std::move(callback), 0});
    return id;
  }

  void Unsubscribe(hid::SubscriptionId id) override {
    std::unique_lock lock(mutex_);
    auto it = subscribers_.find(id);
    if (it == subscribers_.end()) return;
    std::shared_ptr<Subscriber> sub = it->second;
    subscribers_.erase(it);
    subscriberCv_.wait(lock, [&] { return sub->running == 0; });
  }

 private:
  static std::string PathOf(int port, const PortState& state, std::size_t collection) {
    return InterfacePath(port, state.descriptor.attributes, collection,
                         state.descriptor.collections.size());
  }

  // Where a report through handle goes: the device, its port and collection
  // and the collection's report length, when the handle is live, has the
  // access and the collection has such reports. Taken under the lock; the
  // device is called without it.
  struct Target {
    std::shared_ptr<Device> device;
    int port = 0;
    std::size_t collection = 0;
    std::size_t reportLength = 0;
  };
  std::optional<Target> ReportTarget(hid::Handle handle, const std::uint8_t* data, bool (*allowed)(hid::Access),
                                     std::uint16_t hid::Caps::*lengthField) const {
    std::lock_guard lock(mutex_);
    const PortState* state = LivePort(handle);
    if (state == nullptr) {
      DeadOrNotOpen(handle);
      return std::nullopt;
    }
    const HandleState& h = handles_.at(handle);
    const std::size_t reportLength = state->descriptor.collections[h.collection].*lengthField;
    if (data == nullptr || !allowed(h.access) || reportLength == 0) {
      Refuse(hid::Reason::kOther, "no such report on this handle");
      return std::nullopt;
    }
    return Target{state->device, h.port, h.collection, reportLength};
  }

  // Failure reasons of the calling thread; each returns false.
  static bool Refuse(hid::Reason reason, const char* text) {
    SetThreadError(reason, std::string("simulated: ") + text, "");
    return false;
  }
  static bool NotOpen() { return Refuse(hid::Reason::kOther, "not an open handle"); }
  // Under the lock: a handle still listed lost its device.
  bool DeadOrNotOpen(hid::Handle handle) const {
    return handles_.count(handle) != 0 ? Refuse(hid::Reason::kGone, "the device left the bus") : NotOpen();
  }

  // The port of a handle whose device is still the one it was opened on.
  const PortState* LivePort(hid::Handle handle) const {
    auto h = handles_.find(handle);
    if (h == handles_.end() || h->second.generation == 0) return nullptr;
    auto p = ports_.find(h->second.port);
    if (p == ports_.end() || p->second.generation != h->second.generation) return nullptr;
    return &p->second;
  }

  static void WaitReal(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                       std::uint64_t programMs) {
    auto real = sys::RealDuration(programMs);
    auto cap = std::chrono::milliseconds(kMaxRealWaitMs);
    cv.wait_for(lock, std::min<std::chrono::nanoseconds>(real, cap));
  }

  void Dispatch(const std::vector<hid::DeviceEvent>& events) {
    if (events.empty()) return;
    std::vector<std::shared_ptr<Subscriber>> subs;
    {
      std::lock_guard lock(mutex_);
      for (auto& [id, sub] : subscribers_) {
        ++sub->running;
        subs.push_back(sub);
      }
    }
    for (auto& sub : subs) {
      for (const hid::DeviceEvent& event : events) sub->callback(event);
    }
    {
      std::lock_guard lock(mutex_);
      for (auto& sub : subs) --sub->running;
    }
    subscriberCv_.notify_all();
  }

  void RunTimers() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (timers_.empty()) {
        timerCv_.wait(lock);
        continue;
      }
      auto next = std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
        return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.sequence < b.sequence;
      });
      const std::uint64_t now = sys::NowMs();
      if (next->dueMs > now) {
        WaitReal(lock, timerCv_, next->dueMs - now);
        continue;
      }
      std::function<void()> work = std::move(next->work);
      timers_.erase(next);
      lock.unlock();
      work();
      lock.lock();
    }
  }

  mutable std::mutex mutex_;
  std::condition_variable readCv_;
  std::condition_variable timerCv_;
  std::condition_variable subscriberCv_;
  std::map<int, PortState> ports_;
  std::map<hid::Handle, HandleState> handles_;
  std::map<int, hid::Reason> refusals_;  // by port
  std::map<hid::SubscriptionId, std::shared_ptr<Subscriber>> subscribers_;
  std::vector<Timer> timers_;
  std::thread timerThread_;
  bool stopping_ = false;
  int lastPort_ = 0;
  hid::Handle lastHandle_ = 0;
  std::uint64_t lastGeneration_ = 0;
  std::uint64_t lastTimer_ = 0;
  hid::SubscriptionId lastSubscription_ = 0;
  std::uint32_t installTimeMs_ = 0;
  std::uint64_t installPendingUntilMs_ = 0;
};

SimBus& TheSimBus() {
  static SimBus bus;
  return bus;
}

}  // namespace

Bus& TheBus() { return TheSimBus(); }

}  // namespace vexaro::simbus

namespace vexaro::hid {
Backend& SimulatedBackend() { return simbus::TheSimBus(); }
}  // namespace vexaro::hid
