// The report channel: the main window's link to the keyboard while it runs
// its application firmware. It runs HID monitor slot 0 for the keyboard's
// vendor collection, tells its owner window when the keyboard comes and goes
// (WM_USB_PRESENCE) and reads the firmware version and the status report.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <vector>

#include "hid/device_state.h"
#include "hid/presence_monitor.h"
#include "platform/gui/afx/afx_wnd.h"
#include "platform/hid/error.h"

namespace vexaro::usb {

// One read transfer: what was asked for and what has come back.
struct READ_TRANSFER {
  int nFunc = 0;  // kReadFunction while reading memory
  std::uint8_t Param[4] = {};
  std::uint8_t bActive = 0;
  int nReceived = 0;  // payload bytes that came back (may exceed what is stored)
  int nPackets = 0;   // reports received
  int nExpected = 0;  // bytes asked for: end - start + 1
  int nSent = 0;      // request packets written
  int nExtra = 0;     // added to nExpected for the completion test
  std::vector<std::uint8_t> pBuffer;  // nExpected bytes once the first report came
};

class CUSBDriver : public gui::CWnd {
 public:
  static constexpr gui::UINT_PTR IDT_OPEN_NOTIFY = 0x10001;
  static constexpr int kReadFunction = 1;

  // Creates the channel's hidden window on the calling (user-interface) thread.
  CUSBDriver();
  // Stops being the active channel, stops its monitor slot, destroys its window.
  ~CUSBDriver() override;

  // Makes this the channel that receives input reports.
  virtual void SetActive();
  // owner receives WM_USB_PRESENCE; slot is the HID monitor slot (0..4).
  void SetOwner(gui::HWND owner, int slot);
  // (Re)starts the monitor slot for the pair (0, 0: the stored pair). TRUE when
  // a collection was opened; the owner hears lParam 1 once, after the return.
  virtual gui::BOOL Open(int vendorId, int productId);
  // May be asked from any thread (the update worker asks).
  int IsOpen() const { return m_bOpen.load(); }
  // Why the keyboard is not open, for the owner's messages; asked on the
  // user-interface thread. Reason kNone while a collection is open;
  // kPermissionDenied, kBusy, ... when a collection of the keyboard's ids is
  // there but would not open (path names the node or device, systemText the
  // system's words), from the last Open or an arrival since; kNotFound when
  // no such collection was there.
  hid::Error LastOpenError() const;
  // Reads the version text from the keyboard's memory into m_strVersion.
  // 0 success (an erased area gives ""), 1 failure (m_strVersion unchanged).
  // Opens the channel first when closed. Blocks up to 3000 ms.
  int ReadVersion();
  // One GET_REPORT: the index of the first byte that is not 'O' (1 for "OK"),
  // 0 when no report came or all 64 bytes are 'O'.
  int QueryStatus();

  gui::CString m_strVersion;

  // The device id the channel talks to: the first listed collection with that
  // usage and page, else the one listed last, 0 when none is listed.
  std::uint16_t FindDeviceID(std::uint16_t usage, std::uint16_t usagePage) const;
  // Input reports of the monitor's reader threads end up here.
  void OnReport(std::uint16_t deviceId, std::uint8_t reportId, const std::uint8_t* data,
                int length);

 protected:
  gui::LRESULT WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override;
  void OnTimer(gui::UINT_PTR id) override;

 private:
  // Input reports of every collection of the slot, on its reader threads.
  static void InputReportProc(std::uint16_t deviceId, const std::uint8_t* report,
                              std::uint32_t length);
  static void ReleaseActive(CUSBDriver* driver);
  bool OnCollectionOpened(const _DEVICE_STATE& r);
  void OnCollectionClosed(const _DEVICE_STATE& r);
  int SendPacket(std::uint8_t* packet);
  int RequestRead(std::uint32_t start, std::uint32_t end, int func, const std::uint8_t* param,
                  int extra);
  void AppendReceived(const std::uint8_t* data, int length);
  bool EnsureOpen();
  void WaitReport(std::uint64_t ms);
  bool WaitDone(std::uint64_t ms);
  gui::CString VersionFromReceived() const;

  mutable std::mutex m_listLock;  // m_DeviceList: changed here, read by reader threads
  std::list<_DEVICE_STATE> m_DeviceList;
  int m_nVendorID = 0x04D9;
  int m_nProductID;
  CUsbInfo m_UsbInfo;
  std::atomic<int> m_bOpen{0};
  gui::HWND m_hOwner = nullptr;
  int m_nSlot = 0;
  bool m_bStarted = false;  // the slot was started by this channel

  // The transfer record and both events, shared with the reader threads.
  std::mutex m_transferLock;
  std::condition_variable m_transferCv;
  bool m_reportEvent = false;
  bool m_doneEvent = false;
  READ_TRANSFER m_Transfer;
};

}  // namespace vexaro::usb
