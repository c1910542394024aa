// The presence monitor: matching interface paths, the present set and the
// two timers that hold the notice back while drivers are being installed.
#include "hid/presence_monitor.h"

#include <cstdio>
#include <cstring>

#include "platform/gui/hid_device_events.h"
#include "platform/hid/hid.h"

namespace vexaro::usb {
namespace {

// How often presence is re-checked while the system installs drivers.
constexpr gui::UINT kInstallWaitMs = 2000;
// A device whose interfaces do not all arrive counts as present after this
// long anyway: slow driver installations take about a minute.
constexpr gui::UINT kPresenceFallbackMs = 90000;
constexpr gui::DWORD kPresenceFilterSize = 32;

gui::CString Lower(const gui::CString& text) {
  gui::CString lower = text;
  lower.MakeLower();
  return lower;
}

}  // namespace

bool IsDeviceInstallPending() { return hid::IsInstallPending(); }

CUsbInfo::CUsbInfo() {
  CreateEx(0, gui::AfxRegisterWndClass(), "", gui::WS_POPUP, 1, 1, 1, 1, nullptr, 0);
  gui::ConnectHidDeviceEvents();
  gui::DEV_BROADCAST_DEVICEINTERFACE filter;
  filter.dbcc_size = kPresenceFilterSize;
  filter.dbcc_classguid = gui::kHidInterfaceClassGuid;
  // Not kept: the registration ends with the window.
  gui::RegisterDeviceNotification(m_hWnd, &filter, gui::DEVICE_NOTIFY_WINDOW_HANDLE);
}

CUsbInfo::~CUsbInfo() {
  m_PathList.clear();
  DestroyWindow();
}

bool CUsbInfo::IsTargetPath(const gui::CString& path, int vendor, int product) const {
  if (vendor == 0 && product == 0) {
    vendor = m_nVendorID;
    product = m_nProductID;
  }
  char pattern[32];
  std::snprintf(pattern, sizeof pattern, "vid_%04x&pid_%04x", static_cast<unsigned>(vendor) & 0xFFFFu,
                static_cast<unsigned>(product) & 0xFFFFu);
  return Lower(path).find(pattern) != std::string::npos;
}

gui::BOOL CUsbInfo::UpdatePresence(const gui::CString& path, bool arrived) {
  const gui::CString lower = Lower(path);
  bool found = false;
  for (auto it = m_PathList.begin(); it != m_PathList.end(); ++it) {
    if (*it != lower) continue;
    found = true;
    if (!arrived) m_PathList.erase(it);
    break;
  }
  if (!found && arrived) m_PathList.push_back(lower);
  KillTimer(IDT_PRESENCE_FALLBACK);
  if (static_cast<int>(m_PathList.size()) >= m_nExpected) {
    if (m_bReported != 0) return gui::TRUE;
    m_bReported = 1;
    if (IsDeviceInstallPending()) {
      SetTimer(IDT_INSTALL_WAIT, kInstallWaitMs);
    } else {
      KillTimer(IDT_INSTALL_WAIT);
      PostPresence(1);
    }
  } else if (m_bReported != 0) {
    KillTimer(IDT_INSTALL_WAIT);
    m_bReported = 0;
    PostPresence(0);
  } else if (arrived) {
    SetTimer(IDT_PRESENCE_FALLBACK, kPresenceFallbackMs);
  }
  return gui::TRUE;
}

gui::BOOL CUsbInfo::OnDeviceChange(gui::UINT event, gui::DWORD_PTR data) {
  const auto* hdr = reinterpret_cast<const gui::DEV_BROADCAST_HDR*>(data);
  if (hdr == nullptr || hdr->dbch_devicetype != gui::DBT_DEVTYP_DEVICEINTERFACE) return gui::TRUE;
  if (event != gui::DBT_DEVICEARRIVAL && event != gui::DBT_DEVICEREMOVECOMPLETE) return gui::TRUE;
  const auto* rec = reinterpret_cast<const gui::DEV_BROADCAST_DEVICEINTERFACE*>(data);
  const gui::CString path(std::string(rec->dbcc_name, strnlen(rec->dbcc_name, sizeof rec->dbcc_name)));
  if (IsTargetPath(path, 0, 0)) UpdatePresence(path, event == gui::DBT_DEVICEARRIVAL);
  return gui::TRUE;
}

void CUsbInfo::OnTimer(gui::UINT_PTR id) {
  if (id == IDT_INSTALL_WAIT && !IsDeviceInstallPending()) {
    KillTimer(IDT_INSTALL_WAIT);
    PostPresence(m_bReported);
  } else if (id == IDT_PRESENCE_FALLBACK && !IsDeviceInstallPending()) {
    KillTimer(IDT_PRESENCE_FALLBACK);
    m_bReported = 1;
    PostPresence(1);
  }
  CWnd::OnTimer(id);
}

void CUsbInfo::PostPresence(gui::LPARAM present) {
  if (m_hOwner != nullptr) gui::PostMessage(m_hOwner, WM_USB_PRESENCE, 0, present);
}

}  // namespace vexaro::usb
