// The presence monitor: a hidden window on the creating thread that follows
// arrivals and removals of HID interfaces of one vendor/product pair and
// tells an owner window when the device is there (WM_USB_PRESENCE), after
// pending driver installations have finished.
#pragma once

#include <list>

#include "hid/device_state.h"
#include "platform/gui/afx/afx_wnd.h"

namespace vexaro::usb {

// True while the system reports device installations pending (or cannot tell).
bool IsDeviceInstallPending();

class CUsbInfo : public gui::CWnd {
 public:
  static constexpr gui::UINT_PTR IDT_INSTALL_WAIT = 0x10001;
  static constexpr gui::UINT_PTR IDT_PRESENCE_FALLBACK = 0x10002;

  // Creates the hidden window on the calling thread and registers it for HID
  // interface notifications.
  CUsbInfo();
  ~CUsbInfo() override;

  // True when path contains "vid_xxxx&pid_xxxx" (any case) for the pair;
  // vendor and product both 0 mean the monitor's own target.
  bool IsTargetPath(const gui::CString& path, int vendor, int product) const;
  // Adds or removes a path and re-evaluates presence. Always TRUE.
  gui::BOOL UpdatePresence(const gui::CString& path, bool arrived);

  int m_nProductID = 0;
  int m_nVendorID = 0;
  gui::HWND m_hOwner = nullptr;
  int m_nExpected = 1;
  gui::BYTE m_bReported = 0;
  std::list<gui::CString> m_PathList;

 protected:
  gui::BOOL OnDeviceChange(gui::UINT event, gui::DWORD_PTR data) override;
  void OnTimer(gui::UINT_PTR id) override;

 private:
  void PostPresence(gui::LPARAM present);
};

}  // namespace vexaro::usb
