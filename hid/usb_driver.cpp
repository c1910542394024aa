// The report channel's window side: construction, the monitor slot, the list
// of open collections kept from the monitor's state records, and the deferred
// presence notice to the owner.
#include "hid/usb_driver.h"

#include <cstdio>

#include "hid/hid_monitor.h"
#include "platform/sys/sys.h"

namespace vexaro::usb {
namespace {

constexpr int kDefaultVendorId = 0x04D9;
// Monitored only when Open is asked for the stored pair before any other.
constexpr int kDefaultProductId = 0xA1C0;
// The collection the channel speaks through: the keyboard's vendor collection.
constexpr std::uint32_t kChannelUsage = 0x0001;
constexpr std::uint32_t kChannelUsagePage = 0xFF00;
// The presence notice goes out from the message loop, after Open returned.
constexpr gui::UINT kOpenNotifyDelayMs = 1;

void Trace(const char* what, const _DEVICE_STATE& r) {
  char line[128];
  std::snprintf(line, sizeof line, "%s:dwDeviceID=%x,usage:0x%x,uagePage:0x%x\n", what,
                static_cast<unsigned>(r.wDeviceID), static_cast<unsigned>(r.wUsage),
                static_cast<unsigned>(r.wUsagePage));
  sys::DebugOutput(line);
}

}  // namespace

CUSBDriver::CUSBDriver() : m_nVendorID(kDefaultVendorId), m_nProductID(kDefaultProductId) {
  CreateEx(0, gui::AfxRegisterWndClass(), "", gui::WS_POPUP, 1, 1, 1, 1, nullptr, 0);
}

CUSBDriver::~CUSBDriver() {
  ReleaseActive(this);
  // The slot's threads would otherwise outlive the channel they report to.
  if (m_bStarted) HidMon_Stop(m_nSlot);
  DestroyWindow();
}

void CUSBDriver::SetOwner(gui::HWND owner, int slot) {
  m_hOwner = owner;
  m_nSlot = slot;
}

gui::BOOL CUSBDriver::Open(int vendorId, int productId) {
  if (m_bOpen != 0) HidMon_Stop(m_nSlot);
  if (vendorId == 0 && productId == 0) {
    vendorId = m_nVendorID;
    productId = m_nProductID;
  }
  m_nVendorID = vendorId;
  m_nProductID = productId;
  HID_MONITOR_CONFIG config;
  config.dwVendorID = static_cast<std::uint32_t>(vendorId);
  config.dwProductID = static_cast<std::uint32_t>(productId);
  config.dwUsageCount = 1;
  config.Usages[0] = {kChannelUsage, kChannelUsagePage};
  HidMon_SetConfig(&config, m_nSlot);
  HidMon_SetCallback(InputReportProc, m_nSlot);
  m_bStarted = true;
  return HidMon_Start(m_hWnd, WM_DEVICE_STATE, m_nSlot) != 0 ? gui::TRUE : gui::FALSE;
}

gui::LRESULT CUSBDriver::WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
  if (msg == WM_DEVICE_STATE && w == 1 && l != 0) {
    const _DEVICE_STATE r = *reinterpret_cast<const _DEVICE_STATE*>(l);
    if (r.dwState == kCollectionOpened) {
      if (OnCollectionOpened(r)) return 1;
    } else if (r.dwState == kCollectionClosed) {
      OnCollectionClosed(r);
    }
  }
  return CWnd::WindowProc(msg, w, l);
}

bool CUSBDriver::OnCollectionOpened(const _DEVICE_STATE& r) {
  Trace("MONITOROPEN", r);
  {
    std::lock_guard lock(m_listLock);
    for (_DEVICE_STATE& entry : m_DeviceList) {
      if (entry.wUsage == r.wUsage && entry.wUsagePage == r.wUsagePage) {
        entry = r;
        return true;
      }
    }
    m_DeviceList.push_back(r);
  }
  m_bOpen = 1;
  SetTimer(IDT_OPEN_NOTIFY, kOpenNotifyDelayMs);
  return false;
}

void CUSBDriver::OnCollectionClosed(const _DEVICE_STATE& r) {
  Trace("MONITORCLOSE", r);
  bool unmatched = false;
  bool empty = false;
  {
    std::lock_guard lock(m_listLock);
    auto it = m_DeviceList.begin();
    while (it != m_DeviceList.end() && it->wDeviceID != r.wDeviceID) ++it;
    if (it == m_DeviceList.end()) it = m_DeviceList.begin();
    unmatched = it == m_DeviceList.end();
    if (!unmatched) m_DeviceList.erase(it);
    empty = m_DeviceList.empty();
  }
  if (!((empty && m_bOpen != 0) || unmatched)) return;
  m_strVersion.Empty();
  m_bOpen = 0;
  KillTimer(IDT_OPEN_NOTIFY);
  if (m_hOwner != nullptr) gui::PostMessage(m_hOwner, WM_USB_PRESENCE, 0, 0);
}

hid::Error CUSBDriver::LastOpenError() const {
  if (m_bOpen != 0) return {};
  hid::Error error = HidMon_GetOpenError(m_nSlot);
  if (!error.Failed()) error = {hid::Reason::kNotFound, 0, "no collection of the keyboard is there", ""};
  return error;
}

void CUSBDriver::OnTimer(gui::UINT_PTR id) {
  if (id == IDT_OPEN_NOTIFY) {
    if (m_bOpen >= 1 && m_hOwner != nullptr) gui::PostMessage(m_hOwner, WM_USB_PRESENCE, 0, m_bOpen.load());
    KillTimer(IDT_OPEN_NOTIFY);
  }
  CWnd::OnTimer(id);
}

std::uint16_t CUSBDriver::FindDeviceID(std::uint16_t usage, std::uint16_t usagePage) const {
  std::lock_guard lock(m_listLock);
  for (const _DEVICE_STATE& entry : m_DeviceList) {
    if (entry.wUsage == usage && entry.wUsagePage == usagePage) return entry.wDeviceID;
  }
  return m_DeviceList.empty() ? 0 : m_DeviceList.back().wDeviceID;
}

}  // namespace vexaro::usb
