// The monitor's client-side operations and its endpoint list: start and stop,
// enumeration, state records, closing, and the lookups of writes and
// GET_REPORT requests.
#include "hid/chid_monitor.h"

#include "platform/gui/window.h"
#include "platform/sys/sys.h"

namespace vexaro::usb {

HID_MONITOR_CONFIG CHidMonitor::Config() {
  std::lock_guard lock(m_csList);
  return m_Config;
}

void CHidMonitor::SetConfig(const HID_MONITOR_CONFIG& config) {
  std::lock_guard lock(m_csList);
  m_Config = config;
}

void CHidMonitor::SetCallback(INPUT_REPORT_PROC callback) {
  std::lock_guard lock(m_csList);
  m_pfnInputReport = callback;
}

int CHidMonitor::Start(gui::HWND client, gui::UINT msg) {
  {
    std::lock_guard lock(m_csList);
    m_hNotifyWnd = client;
    m_uNotifyMsg = msg;
  }
  if (!StartWindowThread()) return 0;
  return EnumerateDevices();
}

void CHidMonitor::Stop() {
  CloseAllEndpoints(false);
  {
    std::lock_guard lock(m_csList);
    m_wNextDeviceID = 1;
  }
  StopWindowThread();
  // An arrival handled while the window thread was being stopped.
  CloseAllEndpoints(false);
}

int CHidMonitor::Write(std::uint16_t deviceId, const std::uint8_t* data, std::uint32_t length) {
  if (m_bSuspended) return 0;
  std::lock_guard lock(m_csList);
  HID_ENDPOINT* ep = FindEndpoint(m_Endpoints, deviceId);
  return ep != nullptr ? WriteEndpoint(ep, data, length) : 0;
}

int CHidMonitor::GetInputReport(std::uint16_t deviceId, std::uint8_t* data, std::uint32_t length) {
  if (m_bSuspended) return 0;
  std::lock_guard lock(m_csList);
  HID_ENDPOINT* ep = FindEndpoint(m_Endpoints, deviceId);
  return ep != nullptr ? GetEndpointInputReport(ep, data, length) : 0;
}

hid::Error CHidMonitor::OpenError() {
  std::lock_guard lock(m_csList);
  return m_openError;
}

void CHidMonitor::NoteOpenError(hid::Error error) {
  std::lock_guard lock(m_csList);
  m_openError = std::move(error);
}

bool CHidMonitor::TryCollection(const std::string& path, const HID_MONITOR_CONFIG& config) {
  auto ep = std::make_unique<HID_ENDPOINT>();
  hid::Error refusal;
  if (OpenCollection(path, config, ep->collection, refusal)) {
    NoteOpenError({});
    return AttachEndpoint(std::move(ep));
  }
  if (refusal.Failed()) {
    sys::DebugOutput("hid: a matching collection would not open: " + hid::Describe(refusal) + "\n");
    NoteOpenError(std::move(refusal));
  }
  return true;
}

bool CHidMonitor::IsAttached(const std::string& path) {
  std::lock_guard lock(m_csList);
  for (const auto& ep : m_Endpoints) {
    if (ep->collection.path == path) return true;
  }
  return false;
}

_DEVICE_STATE CHidMonitor::StateRecord(std::uint32_t state, const HID_ENDPOINT& ep) {
  _DEVICE_STATE r;
  r.dwState = state;
  r.wDeviceID = ep.wDeviceID;
  r.wVendorID = ep.collection.attributes.vendorId;
  r.wProductID = ep.collection.attributes.productId;
  r.wUsage = ep.collection.caps.usage;
  r.wUsagePage = ep.collection.caps.usagePage;
  return r;
}

void CHidMonitor::SendDeviceState(const _DEVICE_STATE& record) {
  gui::HWND client = nullptr;
  gui::UINT msg = 0;
  {
    std::lock_guard lock(m_csList);
    client = m_hNotifyWnd;
    msg = m_uNotifyMsg;
  }
  if (client == nullptr) return;
  gui::SendMessage(client, msg, 1, reinterpret_cast<gui::LPARAM>(&record));
}

int CHidMonitor::EnumerateDevices() {
  const HID_MONITOR_CONFIG config = Config();
  NoteOpenError({});
  for (const std::string& path : hid::EnumerateInterfaces()) {
    if (!TryCollection(path, config)) break;
  }
  std::uint32_t next = 0;
  {
    std::lock_guard lock(m_csList);
    next = m_wNextDeviceID;
  }
  if (next != 1) return static_cast<int>(next);
  SendDeviceState(_DEVICE_STATE{});
  return 0;
}

void CHidMonitor::CloseAllEndpoints(bool sendRecords) {
  for (;;) {
    std::unique_ptr<HID_ENDPOINT> ep;
    {
      std::lock_guard lock(m_csList);
      if (m_Endpoints.empty()) return;
      ep = std::move(m_Endpoints.front());
      m_Endpoints.pop_front();
    }
    CloseEndpoint(std::move(ep), sendRecords);
  }
}

void CHidMonitor::CloseEndpoint(std::unique_ptr<HID_ENDPOINT> ep, bool sendRecord) {
  // Released at once (this is no notification of the handle's own), so that a
  // stop, which discards the window's queue, leaves no registration behind.
  if (ep->handleNotify != nullptr) gui::UnregisterDeviceNotification(ep->handleNotify);
  StopReader(ep.get());
  if (sendRecord) SendDeviceState(StateRecord(kCollectionClosed, *ep));
  CloseCollection(ep->collection);
}

}  // namespace vexaro::usb
