// The simulated USB bus: a HID backend whose devices are models living in
// this process. Simulated devices plug into numbered ports with their own
// identity and collections; the HID interface sees them as it sees real ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/hid.h"

namespace vexaro::simbus {

// What a device shows the host while it is plugged in: its USB identity and
// its top-level collections (each one HID interface with a path of its own).
struct DeviceDescriptor {
  hid::Attributes attributes;
  std::vector<hid::Caps> collections;
};

// A model of a USB HID device. The bus calls it from whatever thread does the
// I/O, never while holding the bus's own lock, so a device may call back into
// the bus (push input reports, unplug itself, schedule work).
class Device {
 public:
  virtual ~Device() = default;
  // One output report for a collection; data[0] is the report ID and length
  // the collection's output report length. False makes the write fail.
  virtual bool OnOutputReport(int port, std::size_t collection, const std::uint8_t* data,
                              std::size_t length) = 0;
  // A GET_REPORT request for an input report; data[0] holds the report ID
  // asked for. False when the device has nothing to give (the request fails).
  virtual bool OnGetInputReport(int port, std::size_t collection, std::uint8_t* data,
                                std::size_t length) = 0;
};

class Bus {
 public:
  virtual ~Bus() = default;

  // A fresh port number; ports are never reused.
  virtual int NewPort() = 0;
  // A port number chosen by the caller (a keyboard that sits at a known
  // place); NewPort never hands it out afterwards. False for a number below 1.
  virtual bool ReservePort(int port) = 0;
  // Connects a device to an empty port: its interfaces appear and arrival
  // notifications go out. False when the port is taken or the descriptor has
  // no collection.
  virtual bool Plug(int port, DeviceDescriptor descriptor, std::shared_ptr<Device> device) = 0;
  // Disconnects the port's device: every handle to it dies (pending reads end
  // with failure), removal notifications go out. False when nothing is there.
  virtual bool Unplug(int port) = 0;
  virtual bool IsPlugged(int port) = 0;

  // Queues an input report on every handle open for reading on that
  // collection; a read takes it from availableAtMs (program clock) on. Each
  // handle keeps at most 4096 reports and drops the oldest.
  virtual void PushInputReport(int port, std::size_t collection, const std::uint8_t* data,
                               std::size_t length, std::uint64_t availableAtMs) = 0;

  // Runs work on the bus's timer thread after delayMs of program time.
  virtual void After(std::uint32_t delayMs, std::function<void()> work) = 0;

  // After each plug the system reports pending driver installations for this
  // long (default 0).
  virtual void SetInstallTimeAfterPlug(std::uint32_t ms) = 0;

  // Makes every open of the port's interfaces fail for reason (kNone: open
  // again), as a system refuses a node without the udev rule or one that
  // another program holds. Kept across plugs of the port, as a rule is.
  virtual void SetOpenRefusal(int port, hid::Reason reason) = 0;

  // Power notifications, as the system sends them around sleep.
  virtual void Suspend() = 0;
  virtual void Resume() = 0;

  // Unplugs every device, forgets scheduled work and refusals; for tests.
  virtual void Reset() = 0;
};

// The one simulated bus of the process.
Bus& TheBus();

// hid::Interface path of one collection of the device in a port, shaped like a
// Windows HID device path.
std::string InterfacePath(int port, const hid::Attributes& attributes, std::size_t collection,
                          std::size_t collectionCount);
// The port of a path that InterfacePath made, as hid::PortOf gives it ("2");
// empty for any other text.
std::string PortOfPath(const std::string& path);

}  // namespace vexaro::simbus
