// The thread that watches hidraw nodes come and go (a udev monitor) and the
// system sleep and wake, and hands each change to one sink on that thread.
#pragma once

#include <functional>
#include <memory>
#include <thread>

#include "platform/linux/hid_sleep_watch.h"
#include "platform/linux/hid_udev.h"

struct udev_monitor;

namespace vexaro::hid::hidraw {

struct NodeEvent {
  enum class Kind { kAdded, kRemoved, kSuspend, kResume };
  Kind kind = Kind::kAdded;
  NodeInfo node;  // kRemoved: only syspath and devnode
};

class NodeMonitor {
 public:
  using Sink = std::function<void(const NodeEvent&)>;
  NodeMonitor() = default;
  ~NodeMonitor() { Stop(); }
  NodeMonitor(const NodeMonitor&) = delete;
  NodeMonitor& operator=(const NodeMonitor&) = delete;

  // Listens from the moment it returns true; false when udev cannot be watched.
  bool Start(Sink sink);
  // Ends and joins the thread; not from the sink.
  void Stop();

 private:
  void Run();
  void ReceiveDevice();

  Sink sink_;
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int stopFd_ = -1;
  std::unique_ptr<SleepWatch> sleep_;  // used by the thread only, once started
  std::thread thread_;
};

}  // namespace vexaro::hid::hidraw
