// CHidMonitor: one HID monitor of a slot, with its hidden notification window
// on a thread of its own and its list of open endpoints. Internal to the HID
// layer; programs use the HidMon_* slot functions.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "hid/device_state.h"
#include "hid/endpoint.h"
#include "hid/hid_monitor.h"
#include "platform/gui/devnotify.h"

namespace vexaro::usb {

// Private message of the hidden window: lParam a notification registration to
// release outside the notification that named it.
inline constexpr gui::UINT WM_UNREGISTER_NOTIFY = 0x05F5;

class CHidMonitor {
 public:
  CHidMonitor() = default;
  CHidMonitor(const CHidMonitor&) = delete;
  CHidMonitor& operator=(const CHidMonitor&) = delete;

  void SetConfig(const HID_MONITOR_CONFIG& config);
  void SetCallback(INPUT_REPORT_PROC callback);
  int Start(gui::HWND client, gui::UINT msg);
  void Stop();
  int Write(std::uint16_t deviceId, const std::uint8_t* data, std::uint32_t length);
  int GetInputReport(std::uint16_t deviceId, std::uint8_t* data, std::uint32_t length);
  hid::Error OpenError();

  gui::HWND HiddenWindow() const { return m_hHiddenWnd.load(); }
  // The hidden window's procedure, once the window proc has found the monitor.
  gui::LRESULT HandleMessage(gui::HWND hwnd, gui::UINT msg, gui::WPARAM w, gui::LPARAM l);

 private:
  struct StartBlock;
  bool StartWindowThread();
  void StopWindowThread();
  static void WindowThreadProc(CHidMonitor* monitor, StartBlock* start);
  void OnClose(gui::HWND hwnd);
  void OnDeviceChange(gui::WPARAM event, gui::LPARAM data);
  void OnPowerBroadcast(gui::WPARAM event);
  void OnArrival(const std::string& path);
  void OnHandleRemoval(const void* notifyHandle);
  bool IsAttached(const std::string& path);
  // Opens a collection the platform lists or announces: attached when it
  // matches, its refusal kept when it matches but would not open. False only
  // when attaching failed (no notification registration).
  bool TryCollection(const std::string& path, const HID_MONITOR_CONFIG& config);
  void NoteOpenError(hid::Error error);
  bool AttachEndpoint(std::unique_ptr<HID_ENDPOINT> endpoint);
  static _DEVICE_STATE StateRecord(std::uint32_t state, const HID_ENDPOINT& endpoint);
  void SendDeviceState(const _DEVICE_STATE& record);
  int EnumerateDevices();
  void CloseAllEndpoints(bool sendRecords);
  void CloseEndpoint(std::unique_ptr<HID_ENDPOINT> endpoint, bool sendRecord);
  HID_MONITOR_CONFIG Config();

  std::atomic<gui::HWND> m_hHiddenWnd{nullptr};
  gui::HDEVNOTIFY m_hInterfaceNotify = nullptr;
  std::thread m_hThread;
  std::atomic<bool> m_bWindowThreadEnded{false};  // set as the window thread returns
  std::atomic<bool> m_bSuspended{false};
  std::mutex m_csIo;  // around the issuing of writes (reads cannot be split)

  // m_csList guards everything below. A change of the list and a lookup never
  // overlap; it is never held while a state record is sent (the client, which
  // handles the record, may be waiting for it).
  std::mutex m_csList;
  HID_MONITOR_CONFIG m_Config;
  INPUT_REPORT_PROC m_pfnInputReport = nullptr;
  gui::HWND m_hNotifyWnd = nullptr;
  gui::UINT m_uNotifyMsg = 0;
  std::uint32_t m_wNextDeviceID = 1;
  EndpointList m_Endpoints;
  // Why the last matching collection would not open; cleared by a start and
  // by every collection attached.
  hid::Error m_openError;
};

// The monitor whose hidden window hwnd is, looked up in the slots.
CHidMonitor* MonitorOfWindow(gui::HWND hwnd);

}  // namespace vexaro::usb
