// The monitor's hidden window: the thread that creates and pumps it, its
// class names, and what it does with device-change and power messages.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "hid/chid_monitor.h"
#include "platform/gui/hid_device_events.h"
#include "platform/gui/window.h"

namespace vexaro::usb {
namespace {

constexpr const char* kClassName = "Thread In DLL";
constexpr const char* kWindowTitle = "KVNT HidDevice Window";
constexpr int kFallbackClassNames = 99;  // "Thread In DLL_0" .. "_98"
// How long a start waits for the window thread to have its window: creating a
// window is quick; this only guards against a thread that never gets going.
// Real time, not the program clock: with the clock sped up, a busy machine
// would otherwise fail starts whose thread was merely scheduled late.
constexpr std::chrono::milliseconds kWindowReadyWait{2000};
constexpr gui::DWORD kInterfaceFilterSize = 32;
constexpr gui::DWORD kHandleFilterSize = 44;

gui::LRESULT MonitorWndProc(gui::HWND hwnd, gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
  CHidMonitor* m = MonitorOfWindow(hwnd);
  return m != nullptr ? m->HandleMessage(hwnd, msg, w, l) : gui::DefWindowProc(hwnd, msg, w, l);
}

// Registers the window class under its name or the first free fallback name;
// empty when every name is taken.
std::string RegisterMonitorClass() {
  gui::WNDCLASS wc;
  wc.lpfnWndProc = MonitorWndProc;
  wc.lpszClassName = kClassName;
  if (gui::RegisterClass(wc)) return wc.lpszClassName;
  for (int i = 0; i < kFallbackClassNames; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%d", kClassName, i);
    wc.lpszClassName = name;
    if (gui::RegisterClass(wc)) return wc.lpszClassName;
  }
  return {};
}

}  // namespace

struct CHidMonitor::StartBlock {
  std::mutex lock;
  std::condition_variable cv;
  bool ready = false;      // the window exists
  bool failed = false;     // the thread gave up
  bool abandoned = false;  // the starter stopped waiting
};

void CHidMonitor::WindowThreadProc(CHidMonitor* monitor, StartBlock* start) {
  const std::string registered = RegisterMonitorClass();
  gui::HWND hwnd = nullptr;
  if (!registered.empty()) {
    // Always the first name: an earlier monitor's class has the same procedure.
    hwnd = gui::CreateWindowEx(gui::WS_EX_CLIENTEDGE | gui::WS_EX_WINDOWEDGE, kClassName, kWindowTitle,
                               gui::WS_POPUP | gui::WS_CLIPSIBLINGS, 0, 0, 5, 5, nullptr, 0);
  }
  {
    std::lock_guard lock(start->lock);
    if (hwnd != nullptr && !start->abandoned) {
      monitor->m_hHiddenWnd = hwnd;
      start->ready = true;
    } else {
      start->failed = true;
    }
    start->cv.notify_all();
    if (!start->ready) {
      if (hwnd != nullptr) gui::DestroyWindow(hwnd);
      if (!registered.empty()) gui::UnregisterClass(registered);
      return;
    }
  }
  gui::MSG msg;
  while (gui::GetMessage(&msg) > 0) {
    gui::TranslateMessage(&msg);
    gui::DispatchMessage(&msg);
  }
  gui::UnregisterClass(registered);
}

bool CHidMonitor::StartWindowThread() {
  if (m_hThread.joinable()) return true;
  auto start = std::make_shared<StartBlock>();
  try {
    m_bWindowThreadEnded = false;
    m_hThread = std::thread([this, start] {
      WindowThreadProc(this, start.get());
      m_bWindowThreadEnded = true;
    });
  } catch (const std::system_error&) {
    return false;
  }
  bool ready = false;
  {
    std::unique_lock lock(start->lock);
    start->cv.wait_for(lock, kWindowReadyWait,
                       [&] { return start->ready || start->failed; });
    ready = start->ready;
    start->abandoned = !ready;
  }
  if (!ready) {
    m_hThread.join();
    return false;
  }
  // Without the process's event bridge the window would hear of nothing.
  gui::ConnectHidDeviceEvents();
  gui::DEV_BROADCAST_DEVICEINTERFACE filter;
  filter.dbcc_size = kInterfaceFilterSize;
  filter.dbcc_classguid = gui::kHidInterfaceClassGuid;
  m_hInterfaceNotify = gui::RegisterDeviceNotification(HiddenWindow(), &filter, gui::DEVICE_NOTIFY_WINDOW_HANDLE);
  if (m_hInterfaceNotify == nullptr) {
    StopWindowThread();
    return false;
  }
  return true;
}

void CHidMonitor::StopWindowThread() {
  if (!m_hThread.joinable()) return;
  if (gui::HWND hwnd = HiddenWindow()) gui::SendMessage(hwnd, gui::WM_CLOSE);
  // Until it has returned, the window thread may be sending a device state
  // to the client, which lives on this thread: a plain join would wait for
  // it while it waits for us. Peeking handles the messages sent to us.
  while (!m_bWindowThreadEnded.load()) {
    gui::MSG ignored;
    gui::PeekMessage(&ignored, nullptr, 0, 0, gui::PM_NOREMOVE);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  m_hThread.join();
  m_hHiddenWnd = nullptr;
}

gui::LRESULT CHidMonitor::HandleMessage(gui::HWND hwnd, gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
  switch (msg) {
    case gui::WM_CREATE: return 0;
    case gui::WM_CLOSE: OnClose(hwnd); return 0;
    case gui::WM_POWERBROADCAST: OnPowerBroadcast(w); return 0;
    case gui::WM_DEVICECHANGE: OnDeviceChange(w, l); return 0;
    case WM_UNREGISTER_NOTIFY:
      gui::UnregisterDeviceNotification(reinterpret_cast<gui::HDEVNOTIFY>(l));
      return 0;
    default: return gui::DefWindowProc(hwnd, msg, w, l);
  }
}

void CHidMonitor::OnClose(gui::HWND hwnd) {
  gui::UnregisterDeviceNotification(m_hInterfaceNotify);
  m_hInterfaceNotify = nullptr;
  // Releases still queued would be lost with the window; release them now.
  gui::MSG queued;
  while (gui::PeekMessage(&queued, hwnd, WM_UNREGISTER_NOTIFY, WM_UNREGISTER_NOTIFY, gui::PM_REMOVE)) {
    gui::UnregisterDeviceNotification(reinterpret_cast<gui::HDEVNOTIFY>(queued.lParam));
  }
  gui::DestroyWindow(hwnd);
  gui::PostQuitMessage(0);
  gui::UnregisterClass(kClassName);
}

void CHidMonitor::OnDeviceChange(gui::WPARAM event, gui::LPARAM data) {
  const auto* hdr = reinterpret_cast<const gui::DEV_BROADCAST_HDR*>(data);
  if (hdr == nullptr) return;
  if (event == gui::DBT_DEVICEARRIVAL && hdr->dbch_devicetype == gui::DBT_DEVTYP_DEVICEINTERFACE) {
    if (m_bSuspended) return;
    const auto* rec = reinterpret_cast<const gui::DEV_BROADCAST_DEVICEINTERFACE*>(data);
    OnArrival(std::string(rec->dbcc_name, strnlen(rec->dbcc_name, sizeof rec->dbcc_name)));
  } else if (event == gui::DBT_DEVICEREMOVECOMPLETE && hdr->dbch_devicetype == gui::DBT_DEVTYP_HANDLE) {
    OnHandleRemoval(reinterpret_cast<const gui::DEV_BROADCAST_HANDLE*>(data)->dbch_handle);
  }
}

void CHidMonitor::OnArrival(const std::string& path) {
  // An interface that arrived while the start was enumerating is open already.
  if (IsAttached(path)) return;
  TryCollection(path, Config());
}

void CHidMonitor::OnHandleRemoval(const void* notifyHandle) {
  const hid::Handle handle = gui::HidHandleFromNotify(notifyHandle);
  std::unique_ptr<HID_ENDPOINT> ep;
  {
    std::lock_guard lock(m_csList);
    for (auto it = m_Endpoints.begin(); it != m_Endpoints.end(); ++it) {
      if ((*it)->collection.handle != handle) continue;
      ep = std::move(*it);
      m_Endpoints.erase(it);
      break;
    }
  }
  if (!ep) return;
  StopReader(ep.get());
  // Released later: this message is the registration's own notification.
  if (ep->handleNotify != nullptr) {
    gui::PostMessage(HiddenWindow(), WM_UNREGISTER_NOTIFY, 0, reinterpret_cast<gui::LPARAM>(ep->handleNotify));
  }
  SendDeviceState(StateRecord(kCollectionClosed, *ep));
  CloseCollection(ep->collection);
}

void CHidMonitor::OnPowerBroadcast(gui::WPARAM event) {
  switch (event) {
    case gui::PBT_APMSUSPEND:
      m_bSuspended = true;
      CloseAllEndpoints(true);
      {
        std::lock_guard lock(m_csList);
        m_wNextDeviceID = 1;
      }
      return;
    case gui::PBT_APMQUERYSUSPENDFAILED:
    case gui::PBT_APMRESUMECRITICAL:
    case gui::PBT_APMRESUMESUSPEND:
    case gui::PBT_APMRESUMEAUTOMATIC:
      if (m_bSuspended.exchange(false)) EnumerateDevices();
      return;
    default: return;
  }
}

bool CHidMonitor::AttachEndpoint(std::unique_ptr<HID_ENDPOINT> ep) {
  gui::DEV_BROADCAST_HANDLE filter;
  filter.dbch_size = kHandleFilterSize;
  filter.dbch_handle = gui::DeviceNotifyHandle(ep->collection.handle);
  ep->handleNotify = gui::RegisterDeviceNotification(HiddenWindow(), &filter, gui::DEVICE_NOTIFY_WINDOW_HANDLE);
  if (ep->handleNotify == nullptr) {
    CloseCollection(ep->collection);
    return false;
  }
  ep->suspended = &m_bSuspended;
  ep->csIo = &m_csIo;
  {
    std::lock_guard lock(m_csList);
    ep->callback = m_pfnInputReport;
    ep->wDeviceID = static_cast<std::uint16_t>(m_wNextDeviceID++ & 0xFFFF);
  }
  // The reader runs before the endpoint is listed, so whoever unlinks it
  // finds a reader to stop.
  if (!StartReader(ep.get())) {
    gui::UnregisterDeviceNotification(ep->handleNotify);
    CloseCollection(ep->collection);
    return false;
  }
  // Made before listing: once listed, a removal may free the endpoint.
  const _DEVICE_STATE opened = StateRecord(kCollectionOpened, *ep);
  {
    std::lock_guard lock(m_csList);
    m_Endpoints.push_back(std::move(ep));
  }
  SendDeviceState(opened);
  return true;
}

}  // namespace vexaro::usb
