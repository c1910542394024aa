// The udev monitor thread. It waits in poll on the monitor, the sleep watch
// and a stop descriptor, so stopping never waits for a device to change.
#include "platform/linux/hid_node_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace vexaro::hid::hidraw {

bool NodeMonitor::Start(Sink sink) {
  if (thread_.joinable()) return true;
  udev_ = udev_new();
  // "udev" events come after the rules ran, so the node's permissions are set.
  monitor_ = udev_ == nullptr ? nullptr : udev_monitor_new_from_netlink(udev_, "udev");
  stopFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (monitor_ == nullptr || stopFd_ < 0 ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    Stop();
    return false;
  }
  sink_ = std::move(sink);
  sleep_ = std::make_unique<SleepWatch>();  // listening before Start returns
  thread_ = std::thread([this] { Run(); });
  return true;
}

void NodeMonitor::Stop() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
    thread_.join();
  }
  if (stopFd_ >= 0) ::close(stopFd_);
  stopFd_ = -1;
  monitor_ = udev_monitor_unref(monitor_);
  udev_ = udev_unref(udev_);
  sleep_.reset();
  sink_ = nullptr;
}

void NodeMonitor::Run() {
  SleepWatch& sleep = *sleep_;
  const auto onSleep = [this](bool sleeping) {
    NodeEvent event;
    event.kind = sleeping ? NodeEvent::Kind::kSuspend : NodeEvent::Kind::kResume;
    sink_(event);
  };
  for (;;) {
    // The bus may hold messages it has read already; poll would not see them.
    sleep.Process(onSleep);
    pollfd fds[3] = {{udev_monitor_get_fd(monitor_), POLLIN, 0},
                     {stopFd_, POLLIN, 0},
                     {sleep.Fd(), sleep.Events(), 0}};
    if (::poll(fds, 3, -1) < 0 && errno != EINTR) return;
    if ((fds[1].revents & POLLIN) != 0) return;
    if ((fds[0].revents & POLLIN) != 0) ReceiveDevice();
  }
}

void NodeMonitor::ReceiveDevice() {
  std::unique_ptr<udev_device, decltype(&udev_device_unref)> device(
      udev_monitor_receive_device(monitor_), &udev_device_unref);
  if (!device) return;
  const char* action = udev_device_get_action(device.get());
  NodeEvent event;
  if (action != nullptr && std::strcmp(action, "add") == 0) {
    event.kind = NodeEvent::Kind::kAdded;
    if (!DescribeNode(device.get(), event.node)) return;
  } else if (action != nullptr && std::strcmp(action, "remove") == 0) {
    event.kind = NodeEvent::Kind::kRemoved;
    event.node.syspath = udev_device_get_syspath(device.get());
    const char* devnode = udev_device_get_devnode(device.get());
    if (devnode != nullptr) event.node.devnode = devnode;
  } else {
    return;
  }
  sink_(event);
}

}  // namespace vexaro::hid::hidraw
