// An emulated USB bus for the hidraw backend's tests: umockdev's test bed
// (sysfs, /dev nodes, uevents) with hidraw nodes whose ioctl, read and write
// calls a handler of ours answers like a keyboard: it gives its report
// descriptor, answers GET_REPORT, records output reports and queues input
// reports. One bed serves the whole test program, because the backend's udev
// monitor stays connected to the bed it first saw.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vexaro::hid::test {

struct EmulatedKeyboard {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t version = 0;
  int interfaceNumber = 0;
  std::vector<std::uint8_t> descriptor;
  // The USB device's name in sysfs, its port chain ("1-2.3"); empty: usb<number>.
  std::string usbName;
};

// What the handler of one node has seen and will answer; shared with the
// handler's thread, so every access holds mutex.
struct NodeState {
  std::mutex mutex;
  std::vector<std::vector<std::uint8_t>> written;
  std::deque<std::vector<std::uint8_t>> inputQueue;  // as the kernel reads them
  std::vector<std::uint8_t> getReportAnswer;         // empty: the device stalls
  std::uint8_t lastGetReportId = 0xFF;
  int getReportCalls = 0;
  // Not 0: GET_REPORT fails with it (ENOTTY: a kernel before 5.11).
  int getReportErrno = 0;
  // Not 0: the device was pulled out and every read, write and GET_REPORT
  // fails with it, as the kernel's (EIO, ENODEV, ENXIO) until udev removes
  // the node.
  int goneErrno = 0;
  // Runs after each write is recorded, with mutex held, so a test can answer
  // a command as the device would.
  std::function<void(NodeState&)> onWrite;
  std::condition_variable changed;  // each write and GET_REPORT
};

class EmulatedBus {
 public:
  static EmulatedBus& Instance();
  // Plugs a keyboard in as /dev/hidraw<number>; returns its node state.
  std::shared_ptr<NodeState> Plug(int number, const EmulatedKeyboard& keyboard);
  void Unplug(int number);
  std::string RootDir() const;

 private:
  EmulatedBus();
  struct Impl;
  std::shared_ptr<Impl> impl_;
};

}  // namespace vexaro::hid::test
