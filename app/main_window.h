// CVexaroDlg: the tool's only window. A skinned modal dialog that shows the
// package's product and version and the keyboard's current version, owns the
// report channel and the update controller, and is the controller's view:
// texts go into the (hidden) template controls, progress into a painted bar.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "app/auto_update.h"
#include "hid/usb_driver.h"
#include "platform/gui/afx/afx_dialog.h"
#include "platform/gui/afx/afx_gdi.h"
#include "platform/gui/devnotify.h"
#include "ui/bitmap_button.h"
#include "updater/controller.h"
#include "updater/keyboard_lock.h"
#include "updater/update_view.h"

namespace vexaro::app {

class CVexaroDlg : public gui::CDialog, public updater::UpdateView {
 public:
  explicit CVexaroDlg(gui::CWnd* parent = nullptr);
  ~CVexaroDlg() override;

  void SetDebugMode(bool on) { m_controller->SetDebugMode(on); }
  bool DebugMode() const { return m_controller->DebugMode(); }
  int LastResultKind() const { return static_cast<int>(m_controller->LastResultKind()); }
  updater::UpdateController& Controller() { return *m_controller; }
  const ui::CBitmapBtn& UpdateButton() const { return m_btnUpdate; }
  const ui::CBitmapBtn& CloseButton() const { return m_btnClose; }
  int ProgressPos() const { return m_nProgressPos.load(); }
  const std::string& PackageVersion() const { return m_strUpdateVersion; }
  // The unattended demo run (app/auto_update.h); set before the window starts.
  void EnableAutoUpdate();
  bool AutoUpdateSucceeded() const;

  // ---- UpdateView: called on the user-interface thread or the worker's ----
  void SetConnectionText(const std::string& text) override;
  void SetStatusText(const std::string& text) override;
  void SetCurrentVersionText(const std::string& text) override;
  void EnableUpdateButtons(bool enable) override;
  void EnableCloseControls(bool enable) override;
  void ShowProgramButton(bool show) override;
  void EnableProgramButton(bool enable) override;
  void FocusUpdateButton() override;
  void FocusProgramButton() override;
  void SetProgress(int position) override;
  void InvalidateProgressArea() override;
  void InvalidateWindow() override;
  void SetResultTimer(unsigned id, unsigned periodMs) override;
  void KillResultTimer(unsigned id) override;
  void ShowMessageBox(const std::string& text, const std::string& caption) override;

  gui::BOOL OnInitDialog() override;
  gui::BOOL PreTranslateMessage(gui::MSG* msg) override;
  gui::LRESULT WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override;

 protected:
  gui::BOOL OnCommand(gui::WPARAM w, gui::LPARAM l) override;
  void DoDataExchange(gui::CDataExchange* dx) override;
  void OnPaint() override;
  gui::BOOL OnEraseBkgnd(gui::CDC* dc) override;
  gui::HCURSOR OnQueryDragIcon() override;
  gui::BOOL OnDeviceChange(gui::UINT event, gui::DWORD_PTR data) override;
  void OnLButtonDown(gui::UINT flags, gui::CPoint point) override;
  void OnTimer(gui::UINT_PTR id) override;
  void OnClose() override;
  void OnDestroy() override;

 private:
  void SetupSkin();
  void CreateSkinButton(ui::CBitmapBtn& button, const gui::RECT& rect, int stripId, int stateWidth,
                        int stateHeight, int maskId);
  void HideControls(std::initializer_list<int> ids);
  void ShowPackage();
  bool RefuseDemoPackage();
  bool TakeKeyboardLock();
  void RegisterForHidInterfaces();
  void PaintSkin(gui::CDC& dc);
  void PaintProgress(gui::CDC& dc, gui::CDC& memory);
  void ShowResultDialog(unsigned timerId, int resultCode);
  void WaitForWorkerToEnd();
  void OnFocusRequest(gui::WPARAM which);

  gui::HICON m_hIcon = nullptr;
  usb::CUSBDriver m_Driver;
  updater::KeyboardLock m_keyboardLock;
  gui::CBitmap m_bmpBackground;
  gui::CBitmap m_bmpProgressBack;
  gui::CBitmap m_bmpProgressFill;
  // The package's four texts as the window shows them.
  std::string m_strWindowTitle, m_strCompanyName, m_strProductName, m_strUpdateVersion;
  ui::CBitmapBtn m_btnClose;
  ui::CBitmapBtn m_btnUpdate;
  gui::RECT m_rcProductName{}, m_rcUpdateVersion{}, m_rcCurrentVersion{}, m_rcProgress{};
  // Written by the worker thread, read when painting.
  std::atomic<int> m_nProgressPos{0};
  gui::CButton m_btnProgram;
  gui::CButton m_btnOK;
  gui::CProgressCtrl m_Progress;
  gui::HDEVNOTIFY m_hDevNotify = nullptr;
  // Owns the worker and the stage threads; built after the channel it uses.
  std::unique_ptr<updater::UpdateController> m_controller;
  std::unique_ptr<AutoUpdate> m_autoUpdate;
};

}  // namespace vexaro::app
