// What the main window reacts to: its buttons and keys, device changes, the
// report channel's presence message, result timers, closing.
#include "app/main_window.h"

#include "app/main_window_messages.h"
#include "isp/isp_api.h"
#include "package/package.h"
#include "platform/gui/hid_device_events.h"
#include "platform/sys/sys.h"
#include "ui/resource_ids.h"
#include "ui/result_dialog.h"

namespace vexaro::app {

using namespace gui;

namespace {

// Closing with the keyboard in its loader asks the loader to start the
// application; the keyboard needs this long to leave the bus and return.
constexpr std::uint32_t kLoaderRestartPauseMs = 3000;
// Polling while the window waits for a running worker to end at shutdown.
constexpr std::uint32_t kShutdownPollMs = 10;

}  // namespace

LRESULT CVexaroDlg::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case usb::WM_USB_PRESENCE:
      return static_cast<LRESULT>(m_controller->OnDevicePresence(w, l));
    case kMsgFocus: OnFocusRequest(w); return 0;
    case kMsgMessageBox: {
      const auto* box = reinterpret_cast<const MessageBoxText*>(l);
      MessageBox(box->text, box->caption, MB_OK);
      return 0;
    }
    default: return CDialog::WindowProc(msg, w, l);
  }
}

// The skinned buttons have control id 0 and are known by their handles; the
// notification code is not looked at, so a right press acts like a click.
BOOL CVexaroDlg::OnCommand(WPARAM w, LPARAM l) {
  const auto from = reinterpret_cast<HWND>(l);
  if (from && from == m_btnUpdate.m_hWnd) {
    m_controller->ConnectAndStart();
  } else if (from && from == m_btnClose.m_hWnd) {
    PostQuitMessage(0);
  } else if (HIWORD(w) == BN_CLICKED && LOWORD(w) == ui::kIdcOk) {
    m_controller->ConnectAndStart();
    return TRUE;
  } else if (HIWORD(w) == BN_CLICKED && LOWORD(w) == ui::kIdcProgram) {
    m_controller->StartProgramming();
    return TRUE;
  }
  return CDialog::OnCommand(w, l);
}

// Escape never closes the window; Enter acts by the update state.
BOOL CVexaroDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) return TRUE;
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    m_controller->OnEnterKey();
    return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

BOOL CVexaroDlg::OnDeviceChange(UINT event, DWORD_PTR) {
  if (event == DBT_DEVICEARRIVAL || event == DBT_DEVICEREMOVECOMPLETE) m_controller->RefreshDeviceState();
  return TRUE;
}

void CVexaroDlg::OnLButtonDown(UINT flags, CPoint point) {
  // No caption: pressing anywhere on the skin drags the window.
  PostMessage(WM_NCLBUTTONDOWN, static_cast<WPARAM>(HTCAPTION), MAKELPARAM(point.x, point.y));
  CDialog::OnLButtonDown(flags, point);
}

void CVexaroDlg::OnTimer(UINT_PTR id) {
  switch (id) {
    case updater::kLayoutErrorTimer: ShowResultDialog(updater::kLayoutErrorTimer, ui::kResultLayoutError); break;
    case updater::kSuccessTimer: ShowResultDialog(updater::kSuccessTimer, ui::kResultSuccess); break;
    case updater::kFailureTimer: ShowResultDialog(updater::kFailureTimer, ui::kResultFailed); break;
    case kAutoUpdateTimer:
      if (m_autoUpdate) m_autoUpdate->Tick();
      break;
    default: break;
  }
  CDialog::OnTimer(id);
}

void CVexaroDlg::ShowResultDialog(unsigned timerId, int resultCode) {
  KillTimer(timerId);
  m_controller->OnResultShown(timerId);
  // The worker has ended. The keyboard's return may have been seen while it
  // still ran, when device changes leave the close controls alone; without
  // this the window could not be closed and kept its progress bar until the
  // next device change.
  if (m_controller->State() != updater::UpdateState::Updating) {
    EnableCloseControls(true);
    InvalidateProgressArea();
  }
  ui::CWarning warning;
  warning.m_nResultCode = resultCode;
  // The picture's "Reconnect and try again." would be wrong for a keyboard
  // left in its loader: it does not type until the update is run again.
  const auto update = m_controller->LastUpdate();
  if (timerId == updater::kFailureTimer && update && updater::LeavesKeyboardInUpdateMode(*update)) {
    warning.m_strNote = updater::kStaysInUpdateModeNote;
  }
  warning.DoModal();
}

void CVexaroDlg::OnClose() {
  // The close controls are disabled while the worker runs; a close message
  // that comes anyway must not touch the engine the worker is using.
  if (m_controller->State() == updater::UpdateState::Updating) return;
  const package::PackageInfo& info = package::ThePackageInfo();
  if (ISP_IsConnectedToDevice(static_cast<std::int32_t>(info.IapVendorId),
                              static_cast<std::int32_t>(info.IapProductId),
                              static_cast<std::int32_t>(info.IapInterfaceIndex)) == ISP_CONNECTED) {
    ISP_ResetToIAP(ISP_RESET_KEYED);
    ISP_CloseSerialPortConnect();
    SetStatusText("Starting IAP mode....");
    sys::SleepMs(kLoaderRestartPauseMs);
  }
  CDialog::OnClose();
}

void CVexaroDlg::OnDestroy() {
  WaitForWorkerToEnd();
  if (m_hDevNotify) UnregisterDeviceNotification(m_hDevNotify);
  m_hDevNotify = nullptr;
  // The window connected the HID platform's events to the framework; no
  // event may be broadcast once it is gone (nor during the process's exit).
  DisconnectHidDeviceEvents();
  CDialog::OnDestroy();
  m_bmpBackground.DeleteObject();
  m_bmpProgressBack.DeleteObject();
  m_bmpProgressFill.DeleteObject();
}

// A worker still running sends to this window (texts, focus, message box),
// also after the state went back to Idle; the window keeps handling those
// while it waits, then joins the worker.
void CVexaroDlg::WaitForWorkerToEnd() {
  while (m_controller->WorkerRunning()) {
    PumpPendingMessages();
    sys::SleepMs(kShutdownPollMs);
  }
  m_controller->JoinWorker();
}

}  // namespace vexaro::app
