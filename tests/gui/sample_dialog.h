// A small skinned dialog used by the demo and display tests: a painted
// background with text, standard controls, an owner-drawn shaped button, a
// timer and a worker thread that moves the progress bar.
#pragma once

#include <atomic>
#include <functional>
#include <thread>

#include "platform/gui/gui.h"

namespace vexaro::gui::test {

constexpr COLORREF kSkinColor = RGB(24, 48, 96);
constexpr COLORREF kButtonColor = RGB(230, 120, 20);
constexpr COLORREF kButtonPressedColor = RGB(120, 60, 10);

class RoundButton : public CButton {
 public:
  int draws = 0;

 protected:
  void DrawItem(DRAWITEMSTRUCT* dis) override;
};

class SampleDialog : public CDialog {
 public:
  SampleDialog();
  // Called on the dialog's thread once the worker is done and everything is
  // painted; the dialog ends when it returns.
  std::function<void(SampleDialog&)> on_finished;
  CProgressCtrl m_Progress;
  RoundButton m_btnRound;
  std::atomic<int> clicks{0};
  int ticks = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  void OnPaint() override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnTimer(UINT_PTR id) override;
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  void OnLButtonDown(UINT flags, CPoint p) override;

 private:
  std::thread worker_;
  std::atomic<bool> done_{false};
};

}  // namespace vexaro::gui::test
