// The HID platform seam: enumerating HID interfaces, opening them, reading
// their attributes and capabilities, exchanging reports, and hearing about
// devices that come and go. One backend serves the whole process, chosen once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/hid/error.h"

namespace vexaro::hid {

// An opened interface. Values are never reused within a process, so a stale
// handle can never reach a device opened later.
using Handle = std::int64_t;
inline constexpr Handle kInvalidHandle = -1;

// Access an interface is opened with. Query handles read attributes and
// capabilities only; Write handles write reports; OverlappedRead handles read
// input reports (with a time limit) and fetch them on request; ReadWrite
// handles do both, as a collection opened by the HID endpoint.
enum class Access { kQuery, kWrite, kOverlappedRead, kReadWrite };

struct Attributes {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t versionNumber = 0;
};

enum class ReportKind { kInput, kOutput, kFeature };

// One button or value capability of a top-level collection.
struct ItemCaps {
  ReportKind kind = ReportKind::kInput;
  bool isButton = false;
  std::uint8_t reportId = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t linkCollection = 0;
  bool isRange = false;
  std::uint16_t usageMin = 0;  // the single usage when not a range
  std::uint16_t usageMax = 0;
  std::uint16_t bitSize = 0;
  std::uint16_t reportCount = 0;
};

// Capabilities of one top-level collection. Report byte lengths include the
// report ID byte; 0 means the collection has no report of that kind.
struct Caps {
  std::uint16_t usage = 0;
  std::uint16_t usagePage = 0;
  std::uint16_t inputReportByteLength = 0;
  std::uint16_t outputReportByteLength = 0;
  std::uint16_t featureReportByteLength = 0;
  std::vector<ItemCaps> items;
};

// Paths of the HID interfaces present now, in a stable order. Each path opens
// its interface and carries "vid_xxxx&pid_xxxx" in lower-case hex.
std::vector<std::string> EnumerateInterfaces();

// Whether path carries "vid_xxxx&pid_xxxx" of these ids (in either case):
// all that can be known of an interface that refuses to be opened.
bool PathNamesDevice(const std::string& path, std::uint16_t vendorId, std::uint16_t productId);

// The physical place of the device that an interface belongs to, the same
// for every interface of it and for whatever it shows after a restart on that
// place: the port chain of the USB device on Linux ("1-2.3"), the location
// path of the USB device on Windows, the port number on the simulated bus
// ("2"). Empty when it cannot be known (the device went, no USB parent).
std::string PortOf(const std::string& path);

// Narrows what this process sees of the bus to the device at port (empty,
// the default: every device). EnumerateInterfaces then lists only its
// interfaces, and events of interfaces known to be at another port are not
// delivered, so every layer above follows that one keyboard, also into its
// loader. Set at start-up by a program that drives one of several keyboards,
// before anything looks at the bus.
void FollowPort(const std::string& port);
std::string FollowedPort();

// kInvalidHandle when the interface is not there or refuses that access.
Handle Open(const std::string& path, Access access);
// False for a handle that is not open.
bool Close(Handle handle);

// Work on handles of any access, also while other programs hold the device.
bool GetAttributes(Handle handle, Attributes& attributes);
bool GetCaps(Handle handle, Caps& caps);

// Writes one output report, data[0] being the report ID; blocks until the
// report is written. False when it could not be written.
bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length);

// HID GET_REPORT for an input report: data[0] holds the report ID asked for.
// Returns at once with success or failure; never waits for the device to
// have something to say.
bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length);

enum class ReadResult { kOk, kTimedOut, kCancelled, kFailed };
inline constexpr std::uint32_t kNoTimeLimit = 0xFFFFFFFF;

// Takes the next report from the interface's input pipe into data (report ID
// first), waiting at most timeoutMs on the program's clock (kNoTimeLimit:
// until a report comes, the handle is cancelled or the device goes). Leaves no
// request pending whatever the outcome. bytesRead receives the report length.
ReadResult ReadInputReport(Handle handle, std::uint8_t* data, std::size_t length,
                           std::uint32_t timeoutMs, std::size_t* bytesRead);

// Ends a ReadInputReport that another thread is waiting in, with kCancelled.
bool CancelIo(Handle handle);

// True while the system is still installing drivers for a device.
bool IsInstallPending();
// Waits until no installation is pending, at most timeoutMs; true when none is.
bool WaitNoPendingInstall(std::uint32_t timeoutMs);

// Device-change notifications. Callbacks run on a thread of the backend or on
// the thread whose action caused the change; they must return quickly and may
// call the functions above.
enum class DeviceEventKind {
  kInterfaceArrival,  // path: the new interface
  kInterfaceRemoval,  // path: the interface that went
  kHandleRemoval,     // path and handle: an open handle whose device went
  kSuspend,
  kResume,
};
struct DeviceEvent {
  DeviceEventKind kind = DeviceEventKind::kInterfaceArrival;
  std::string path;
  Handle handle = kInvalidHandle;
};
using DeviceEventCallback = std::function<void(const DeviceEvent&)>;
using SubscriptionId = std::uint64_t;

// Never returns 0. Unsubscribe waits for a callback of that subscription that
// is running on another thread; it must not be called from inside one.
SubscriptionId SubscribeDeviceEvents(DeviceEventCallback callback);
void UnsubscribeDeviceEvents(SubscriptionId id);

// Why the calling thread's last call of the functions above failed. Each
// call from EnumerateInterfaces to CancelIo clears it on entry (the install
// queries cannot fail and leave it alone); a call that fails (false,
// kInvalidHandle, an empty list from a system that could not list,
// ReadResult::kFailed) leaves a reason other than kNone, and a read that
// timed out leaves kTimedOut. So a refused open tells "no permission" from
// "not there". Only the calling thread's own calls change it.
Error LastError();

// Backend choice, made once per process before the first use: the simulated
// bus when asked for (here, or VEXARO_SIM=1 in the environment), otherwise
// the native HID service of the system.
enum class BackendKind { kNative, kSimulated };
// False (and nothing changes) when the other backend is already chosen or
// in use; choosing the same one again is harmless.
bool SelectBackend(BackendKind kind);
// The backend in use; chooses from the environment on the first call.
BackendKind ActiveBackend();
// VEXARO_SIM=1 in the environment: the one place that reads it, for the
// choice above and for programs that start a simulated keyboard with it.
bool SimulationAskedByEnvironment();

}  // namespace vexaro::hid
