// The native HID backend of Windows: HID class driver, SetupAPI and Plug and
// Play. Each open handle owns its file handle and a cancel event that wakes
// its readers; handles are shared with running transfers, so a Close on
// another thread never closes a file that a read is still waiting on.
// A call failed with ERROR_DEVICE_NOT_CONNECTED (or another code of a gone
// device), or the removal notice of the handle, marks it removed: later calls
// on it fail at once.
#include "platform/windows/hid_win_backend.h"

#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include <mutex>

#include "platform/hid/native_backend_base.h"
#include "platform/hid/reads_in_progress.h"
#include "platform/sys/sys.h"
#include "platform/windows/hid_win_device.h"
#include "platform/windows/hid_win_error.h"
#include "platform/windows/hid_win_io.h"
#include "platform/windows/hid_win_notify.h"
#include "platform/windows/hid_win_paths.h"
#include "platform/windows/hid_win_port.h"

namespace vexaro::hid::win {
namespace {

struct OpenInterface {
  const WinHidApi* api = nullptr;
  HANDLE file = INVALID_HANDLE_VALUE;
  HANDLE cancelEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool overlapped = false;
  std::string path;
  Attributes attributes;
  Caps caps;
  HDEVNOTIFY registration = nullptr;
  bool removalReported = false;  // guarded by the backend's mutex_
  ReadsInProgress reads;
  RemovalMark removal;
  const std::string& ErrorPath() const { return path; }
  void Wake() { SetEvent(cancelEvent); }
  void ClearWake() { ResetEvent(cancelEvent); }
  ~OpenInterface() {
    if (file != INVALID_HANDLE_VALUE) api->CloseHandle(file);
    if (cancelEvent != nullptr) ::CloseHandle(cancelEvent);
  }
};

class WindowsBackend final : public NativeBackendBase<OpenInterface> {
 public:
  explicit WindowsBackend(const WinHidApi& api) : api_(api) {}

  std::vector<std::string> EnumerateInterfaces() override { return ListInterfacePaths(api_); }

  std::string PortOf(const std::string& path) override { return PortOfInterface(path); }

  Handle Open(const std::string& path, Access access) override {
    if (path.empty()) {
      SetThreadError(Reason::kOther, "empty interface path", path);
      return kInvalidHandle;
    }
    auto open = std::make_shared<OpenInterface>();
    open->api = &api_;
    if (open->cancelEvent == nullptr) return Refused(path);
    ::SetLastError(ERROR_SUCCESS);
    open->file = OpenInterfaceFile(api_, path, access);
    if (open->file == INVALID_HANDLE_VALUE) return Refused(path);
    ::SetLastError(ERROR_SUCCESS);
    if (!DescribeInterface(api_, open->file, open->attributes, open->caps)) {
      Refused(path);
      sys::DebugOutput("hid: cannot read the attributes and capabilities of " + path);
      return kInvalidHandle;
    }
    open->overlapped = IsOverlappedAccess(access);
    open->path = NormalizeInterfacePath(path);
    // Registered under the lock, so that a handle opened while the window
    // starts is watched exactly once, here or by StartEvents.
    std::lock_guard lock(mutex_);
    if (notifyRunning_) open->registration = notify_.WatchHandle(open->file);
    return handles_.AddLocked(std::move(open));
  }

  bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length) override {
    auto open = handles_.FindLive(handle);
    if (!open) return false;
    ::SetLastError(ERROR_SUCCESS);
    return WriteWholeReport(api_, open->file, open->overlapped, data, length) || Failed(*open);
  }

  bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length) override {
    auto open = handles_.FindLive(handle);
    if (!open) return false;
    if (length > std::numeric_limits<ULONG>::max()) {
      SetThreadError(Reason::kOther, "report too long", open->path);
      return false;
    }
    ::SetLastError(ERROR_SUCCESS);
    return api_.HidD_GetInputReport(open->file, data, static_cast<ULONG>(length)) != FALSE ||
           Failed(*open);
  }

  bool IsInstallPending() override { return api_.CMP_WaitNoPendingInstallEvents(0) != WAIT_OBJECT_0; }

  bool WaitNoPendingInstall(std::uint32_t timeoutMs) override {
    return api_.CMP_WaitNoPendingInstallEvents(RealWaitMs(timeoutMs)) == WAIT_OBJECT_0;
  }

 private:
  // Each takes the system's last error at once, before anything can change it.
  static Handle Refused(const std::string& path) {
    SetThreadError(WinError(GetLastError(), path));
    return kInvalidHandle;
  }
  static bool Failed(OpenInterface& open) { return open.removal.NoteFailure(WinError(GetLastError(), open.path)); }

  bool Readable(const OpenInterface& open) override {
    if (open.overlapped) return true;
    SetThreadError(Reason::kOther, "handle not opened for reading", open.path);
    return false;
  }

  ReadResult ReadOpen(OpenInterface& open, std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                      std::size_t* bytesRead) override {
    ::SetLastError(ERROR_SUCCESS);
    const ReadResult result = OverlappedRead(api_, open.file, open.cancelEvent, data, length, timeoutMs, bytesRead);
    if (result == ReadResult::kFailed) Failed(open);
    return result;
  }

  // A closed handle's removal notice is no longer wanted.
  void Closing(OpenInterface& open) override { notify_.ReleaseLater(open.registration); }

  // ---- device events ------------------------------------------------------
  void StartEvents() override {
    std::lock_guard lock(startMutex_);
    if (notifyTried_) return;
    notifyTried_ = true;
    NotifyHandlers handlers;
    handlers.interfaceChanged = [this](bool arrived, const std::string& path) {
      OnInterface(arrived, path);
    };
    handlers.handleRemoved = [this](HANDLE file) { OnHandleRemoved(file); };
    handlers.power = [this](bool suspend) {
      subscribers_.Dispatch({suspend ? DeviceEventKind::kSuspend : DeviceEventKind::kResume, {}, kInvalidHandle});
    };
    if (!notify_.Start(std::move(handlers))) return;
    // Handles opened before the window existed are watched from now on.
    std::lock_guard handlesLock(mutex_);
    notifyRunning_ = true;
    for (auto& [handle, open] : handles_.EntriesLocked()) {
      if (open->registration == nullptr) open->registration = notify_.WatchHandle(open->file);
    }
  }

  // An interface removal also ends the open handles of that path whose own
  // notification has not come (or could not be registered); each handle's
  // removal is reported once, before the interface's.
  void OnInterface(bool arrived, const std::string& path) {
    if (!arrived) {
      for (const auto& [handle, openPath] : TakeRemovals([&](const OpenInterface& o) { return o.path == path; }))
        subscribers_.Dispatch({DeviceEventKind::kHandleRemoval, openPath, handle});
    }
    subscribers_.Dispatch({arrived ? DeviceEventKind::kInterfaceArrival : DeviceEventKind::kInterfaceRemoval,
                           path, kInvalidHandle});
  }

  void OnHandleRemoved(HANDLE file) {
    for (const auto& [handle, path] : TakeRemovals([&](const OpenInterface& o) { return o.file == file; }))
      subscribers_.Dispatch({DeviceEventKind::kHandleRemoval, path, handle});
  }

  // The open handles that match and were not reported gone yet, marked now:
  // removed, with their waiting reads ended.
  template <typename Match>
  std::vector<std::pair<Handle, std::string>> TakeRemovals(Match match) {
    std::vector<std::pair<Handle, std::string>> gone;
    std::lock_guard lock(mutex_);
    for (auto& [handle, open] : handles_.EntriesLocked()) {
      if (open->removalReported || !match(*open)) continue;
      open->removalReported = true;
      MarkRemovedLocked(*open);
      gone.emplace_back(handle, open->path);
    }
    return gone;
  }

  const WinHidApi& api_;
  std::mutex startMutex_;
  bool notifyTried_ = false;
  bool notifyRunning_ = false;  // guarded by mutex_
  NotifyWindow notify_;
};

}  // namespace

std::unique_ptr<Backend> MakeWindowsHidBackend(const WinHidApi& api) {
  return std::make_unique<WindowsBackend>(api);
}

}  // namespace vexaro::hid::win

namespace vexaro::hid {

Backend& NativeBackend() {
  // Never destroyed: the notification thread may call into it until the very
  // end of the process, after static destructors have run.
  static Backend* backend = win::MakeWindowsHidBackend(win::SystemWinHidApi()).release();
  return *backend;
}

}  // namespace vexaro::hid
