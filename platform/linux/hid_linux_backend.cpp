// The native HID backend of Linux: hidraw nodes found and watched with
// libudev. Each open handle owns its node descriptor and an eventfd that
// wakes its readers; handles are shared with running reads so that a Close on
// another thread never closes a descriptor that a read is still waiting on.
// A node that says it is gone (ENODEV, EIO, ENXIO), or whose removal udev
// reports, marks its handles removed: later calls on them fail at once.
#include <libudev.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>

#include "platform/hid/native_backend_base.h"
#include "platform/hid/reads_in_progress.h"
#include "platform/linux/hid_errno.h"
#include "platform/linux/hid_node_monitor.h"
#include "platform/linux/hid_node.h"
#include "platform/linux/hid_paths.h"
#include "platform/linux/hid_report_descriptor.h"
#include "platform/sys/sys.h"

namespace vexaro::hid {
namespace {

using namespace hidraw;

// How often WaitNoPendingInstall looks at the udev queue: udev handles a
// keyboard's nodes in tens of milliseconds; a look every 10 ms sees the queue
// empty promptly without spinning.
constexpr std::uint32_t kPendingInstallPollMs = 10;

struct UdevContext {
  udev* context = udev_new();
  ~UdevContext() { udev_unref(context); }
};

struct OpenInterface {
  int fd = -1;
  int cancelFd = -1;
  std::string syspath;
  std::string devnode;
  std::string path;  // the one it was opened with
  Attributes attributes;
  Caps caps;
  bool numbered = false;
  // Input report ids of this handle's collection when its node carries
  // several; empty: every report of the node is this handle's.
  std::vector<std::uint8_t> ownInputIds;
  ReadsInProgress reads;
  RemovalMark removal;
  const std::string& ErrorPath() const { return devnode; }
  ~OpenInterface() {
    if (fd >= 0) ::close(fd);
    if (cancelFd >= 0) ::close(cancelFd);
  }
  void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = ::write(cancelFd, &one, sizeof one);
  }
  void ClearWake() {
    std::uint64_t count = 0;
    [[maybe_unused]] ssize_t n = ::read(cancelFd, &count, sizeof count);
  }
};

bool SameDevice(const InterfacePathParts& parts, const NodeInfo& node) {
  return parts.vendorId == node.attributes.vendorId &&
         parts.productId == node.attributes.productId &&
         parts.interfaceNumber == node.interfaceNumber && parts.collection < node.collectionCount;
}

// The node's identity, its descriptor and the collection the path names.
bool Describe(const InterfacePathParts& parts, const NodeInfo& node, OpenInterface& open) {
  std::vector<std::uint8_t> bytes;
  ReportDescriptor parsed;
  if (!ReadNodeDescriptor(open.fd, bytes)) {
    SetThreadError(ErrnoError(errno, NodeCall::kDescriptor, parts.devnode));
    sys::DebugOutput("hid: cannot read the report descriptor of " + parts.devnode);
    return false;
  }
  if (ParseReportDescriptor(bytes.data(), bytes.size(), parsed) != DescriptorStatus::kOk ||
      parts.collection >= parsed.collections.size()) {
    SetThreadError(Reason::kOther, "malformed report descriptor", parts.devnode);
    sys::DebugOutput("hid: the report descriptor of " + parts.devnode + " is malformed");
    return false;
  }
  open.syspath = node.syspath;
  open.devnode = parts.devnode;
  open.path = FormatInterfacePath(parts, node.collectionCount);
  open.attributes = node.attributes;
  open.caps = parsed.collections[parts.collection];
  open.numbered = parsed.numberedInput;
  if (parsed.numberedInput && parsed.collections.size() > 1) {
    for (const ItemCaps& item : open.caps.items) {
      if (item.kind == ReportKind::kInput) open.ownInputIds.push_back(item.reportId);
    }
  }
  return true;
}

bool IsOwnReport(const OpenInterface& open, std::uint8_t reportId) {
  return open.ownInputIds.empty() || std::find(open.ownInputIds.begin(), open.ownInputIds.end(),
                                               reportId) != open.ownInputIds.end();
}

std::uint32_t Remaining(std::uint32_t timeoutMs, std::uint64_t deadline) {
  if (timeoutMs == kNoTimeLimit) return kNoTimeLimit;
  const std::uint64_t now = sys::NowMs();
  return now >= deadline ? 0 : static_cast<std::uint32_t>(deadline - now);
}

class LinuxBackend final : public NativeBackendBase<OpenInterface> {
 public:
  std::vector<std::string> EnumerateInterfaces() override {
    UdevContext u;
    std::vector<std::string> paths;
    for (const NodeInfo& node : ListNodes(u.context)) {
      for (std::string& path : PathsOf(node)) paths.push_back(std::move(path));
    }
    return paths;
  }

  std::string PortOf(const std::string& path) override {
    InterfacePathParts parts;
    NodeInfo node;
    UdevContext u;
    if (!ParseInterfacePath(path, parts) || !FindNode(u.context, parts.devnode, node)) return {};
    return SameDevice(parts, node) ? node.port : std::string{};
  }

  Handle Open(const std::string& path, Access access) override {
    InterfacePathParts parts;
    NodeInfo node;
    UdevContext u;
    if (!ParseInterfacePath(path, parts)) {
      SetThreadError(Reason::kOther, "not an interface path of this system", path);
      return kInvalidHandle;
    }
    if (!FindNode(u.context, parts.devnode, node)) {
      SetThreadError(Reason::kGone, "no such hidraw node", parts.devnode);
      return kInvalidHandle;
    }
    if (!SameDevice(parts, node)) {
      SetThreadError(Reason::kGone, "the node is another device now", parts.devnode);
      sys::DebugOutput("hid: " + parts.devnode + " is no longer the device of " + path);
      return kInvalidHandle;
    }
    auto open = std::make_shared<OpenInterface>();
    std::string error;
    open->fd = OpenNode(parts.devnode, access, error);
    if (open->fd < 0) {
      SetThreadError(ErrnoError(errno, NodeCall::kOpen, parts.devnode));
      sys::DebugOutput(error);
      return kInvalidHandle;
    }
    open->cancelFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (open->cancelFd < 0) {
      SetThreadError(ErrnoError(errno, NodeCall::kOther, parts.devnode));
      return kInvalidHandle;
    }
    if (!Describe(parts, node, *open)) return kInvalidHandle;
    StartEvents();  // an open node's removal is heard, subscribers or not
    std::lock_guard lock(mutex_);
    return handles_.AddLocked(std::move(open));
  }

  bool WriteReport(Handle handle, const std::uint8_t* data, std::size_t length) override {
    auto open = handles_.FindLive(handle);
    if (!open) return false;
    return WriteNodeReport(open->fd, data, length) ||
           open->removal.NoteFailure(ErrnoError(errno, NodeCall::kWrite, open->devnode));
  }

  bool GetInputReport(Handle handle, std::uint8_t* data, std::size_t length) override {
    auto open = handles_.FindLive(handle);
    if (!open) return false;
    if (GetNodeInputReport(open->fd, data, length)) return true;
    Error error = ErrnoError(errno, NodeCall::kGetInputReport, open->devnode);
    if (error.reason == Reason::kUnsupported && KernelRefusedGetReport()) error.systemText = kOldKernelText;
    return open->removal.NoteFailure(std::move(error));
  }

  bool IsInstallPending() override {
    UdevContext u;
    udev_queue* queue = udev_queue_new(u.context);
    const bool pending = queue != nullptr && udev_queue_get_queue_is_empty(queue) == 0;
    udev_queue_unref(queue);
    return pending;
  }

  bool WaitNoPendingInstall(std::uint32_t timeoutMs) override {
    const std::uint64_t deadline = sys::NowMs() + timeoutMs;
    while (IsInstallPending()) {
      if (sys::NowMs() >= deadline) return false;
      sys::SleepMs(kPendingInstallPollMs);
    }
    return true;
  }

 private:
  // The node gives the reports of all its collections; a handle reads those
  // of its own collection only, as Windows keeps collections apart. The
  // others are skipped within the same time limit.
  ReadResult ReadOpen(OpenInterface& open, std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                      std::size_t* bytesRead) override {
    const std::uint64_t deadline = sys::NowMs() + (timeoutMs == kNoTimeLimit ? 0 : timeoutMs);
    for (;;) {
      const ReadResult result = ReadNodeReport(open.fd, open.cancelFd, open.numbered, data, length,
                                               Remaining(timeoutMs, deadline), bytesRead);
      if (result == ReadResult::kFailed) open.removal.NoteFailure(ErrnoError(errno, NodeCall::kRead, open.devnode));
      if (result != ReadResult::kOk || IsOwnReport(open, data[0])) return result;
    }
  }

  // ---- device events --------------------------------------------------------
  void StartEvents() override {
    std::lock_guard lock(monitorMutex_);
    if (monitorStarted_) return;
    monitorStarted_ = true;
    {
      UdevContext u;
      std::lock_guard pathsLock(mutex_);
      for (const NodeInfo& node : ListNodes(u.context)) knownPaths_[node.syspath] = PathsOf(node);
    }
    if (!monitor_.Start([this](const NodeEvent& event) { OnNodeEvent(event); })) {
      sys::DebugOutput("hid: cannot watch udev; device arrival and removal will not be reported");
    }
  }

  void OnNodeEvent(const NodeEvent& event) {
    switch (event.kind) {
      case NodeEvent::Kind::kAdded: return OnAdded(event.node);
      case NodeEvent::Kind::kRemoved: return OnRemoved(event.node);
      case NodeEvent::Kind::kSuspend: return Dispatch(DeviceEventKind::kSuspend, {});
      case NodeEvent::Kind::kResume: return Dispatch(DeviceEventKind::kResume, {});
    }
  }

  void Dispatch(DeviceEventKind kind, const std::string& path, Handle handle = kInvalidHandle) {
    subscribers_.Dispatch({kind, path, handle});
  }

  void OnAdded(const NodeInfo& node) {
    std::vector<std::string> paths = PathsOf(node);
    {
      std::lock_guard lock(mutex_);
      knownPaths_[node.syspath] = paths;
    }
    for (const std::string& path : paths) {
      Dispatch(DeviceEventKind::kInterfaceArrival, path);
    }
  }

  // Open handles first, as their owners close them before the interface is
  // forgotten; then each interface of the node. The handles are marked
  // removed before anyone hears of it, and their waiting reads end.
  void OnRemoved(const NodeInfo& node) {
    std::vector<std::string> paths;
    std::vector<std::pair<Handle, std::string>> gone;
    {
      std::lock_guard lock(mutex_);
      auto known = knownPaths_.find(node.syspath);
      if (known != knownPaths_.end()) {
        paths = std::move(known->second);
        knownPaths_.erase(known);
      }
      for (const auto& [handle, open] : handles_.EntriesLocked()) {
        if (open->syspath != node.syspath) continue;
        MarkRemovedLocked(*open);
        gone.emplace_back(handle, open->path);
      }
    }
    for (const auto& [handle, path] : gone) {
      Dispatch(DeviceEventKind::kHandleRemoval, path, handle);
    }
    for (const std::string& path : paths) {
      Dispatch(DeviceEventKind::kInterfaceRemoval, path);
    }
  }

  std::map<std::string, std::vector<std::string>> knownPaths_;  // by node syspath, guarded by mutex_
  std::mutex monitorMutex_;
  bool monitorStarted_ = false;
  NodeMonitor monitor_;  // last: its thread stops before the rest goes
};

}  // namespace

Backend& NativeBackend() {
  static LinuxBackend backend;
  return backend;
}

}  // namespace vexaro::hid
