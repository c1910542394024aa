// The main window as the controller's view. Texts, enabled states, progress
// positions, invalidation and timers may be changed from the worker thread:
// the framework carries those calls to the window's thread. Focus and the
// modal message box belong to the window's thread and are sent there.
#include "app/main_window.h"

#include "app/main_window_messages.h"
#include "ui/resource_ids.h"

namespace vexaro::app {

using namespace gui;
using namespace ui;

void CVexaroDlg::SetConnectionText(const std::string& text) { SetDlgItemText(kIdcConnection, text); }

void CVexaroDlg::SetStatusText(const std::string& text) { SetDlgItemText(kIdcStatus, text); }

void CVexaroDlg::SetCurrentVersionText(const std::string& text) { SetDlgItemText(kIdcCurrentVersion, text); }

void CVexaroDlg::EnableUpdateButtons(bool enable) {
  m_btnOK.EnableWindow(enable ? TRUE : FALSE);
  m_btnUpdate.EnableWindow(enable ? TRUE : FALSE);
}

void CVexaroDlg::EnableCloseControls(bool enable) {
  if (CMenu* menu = GetSystemMenu(FALSE)) menu->EnableMenuItem(SC_CLOSE, enable ? MF_ENABLED : MF_GRAYED);
  m_btnClose.EnableWindow(enable ? TRUE : FALSE);
}

void CVexaroDlg::ShowProgramButton(bool show) { m_btnProgram.ShowWindow(show ? SW_SHOW : SW_HIDE); }

void CVexaroDlg::EnableProgramButton(bool enable) { m_btnProgram.EnableWindow(enable ? TRUE : FALSE); }

void CVexaroDlg::FocusUpdateButton() { SendMessage(kMsgFocus, kFocusUpdate); }

void CVexaroDlg::FocusProgramButton() { SendMessage(kMsgFocus, kFocusProgram); }

void CVexaroDlg::OnFocusRequest(WPARAM which) {
  (which == kFocusProgram ? m_btnProgram : m_btnOK).SetFocus();
}

void CVexaroDlg::SetProgress(int position) {
  m_nProgressPos = position;
  m_Progress.SetPos(position);
  InvalidateProgressArea();
}

void CVexaroDlg::InvalidateProgressArea() { InvalidateRect(&m_rcProgress, TRUE); }

void CVexaroDlg::InvalidateWindow() { Invalidate(TRUE); }

void CVexaroDlg::SetResultTimer(unsigned id, unsigned periodMs) { SetTimer(id, periodMs); }

void CVexaroDlg::KillResultTimer(unsigned id) { KillTimer(id); }

void CVexaroDlg::ShowMessageBox(const std::string& text, const std::string& caption) {
  const MessageBoxText box{text, caption};
  SendMessage(kMsgMessageBox, 0, reinterpret_cast<LPARAM>(&box));
}

}  // namespace vexaro::app
