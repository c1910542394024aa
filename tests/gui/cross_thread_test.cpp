// A worker thread changes controls of a dialog that the UI thread runs:
// texts, enabled state, visibility, the progress position and invalidation
// are carried to the UI thread (run under the thread sanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

DialogTemplate WorkTemplate() {
  DialogTemplate t;
  t.cx = 200;
  t.cy = 80;
  t.items.push_back(LText("NA", 1007, 10, 10, 150, 8));
  t.items.push_back(Progress(1011, 10, 30, 150, 10));
  t.items.push_back(PushButton("Program", 1003, 10, 50, 50, 14));
  return t;
}

class WorkDialog : public CDialog {
 public:
  WorkDialog() : CDialog(WorkTemplate()) {}
  CProgressCtrl m_Progress;
  CButton m_btnProgram;
  std::atomic<int> worker_done{0};
  std::thread worker;

 protected:
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Control(dx, 1011, m_Progress);
    DDX_Control(dx, 1003, m_btnProgram);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    worker = std::thread([this] { Work(); });
    SetTimer(1, 5);
    return TRUE;
  }
  void OnTimer(UINT_PTR) override {
    if (worker_done.load() == 1) {
      KillTimer(1);
      worker.join();
      EndDialog(IDOK);
    }
  }

 private:
  void Work() {
    for (int pos = 0; pos <= 100; pos += 7) {
      GetDlgItem(1007)->SetWindowText("Programming " + std::to_string(pos));
      m_Progress.SetPos(pos);
      m_btnProgram.EnableWindow(pos % 2 == 0);
      RECT r{0, 0, 10, 10};
      InvalidateRect(&r, TRUE);
    }
    m_Progress.SetPos(100);
    m_btnProgram.EnableWindow(FALSE);
    GetDlgItem(1007)->ShowWindow(SW_HIDE);
    GetDlgItem(1007)->SetWindowText("Done");
    worker_done = 1;
  }
};

// The same worker against a dialog that checks every value on the UI thread
// before it ends.
class CheckingDialog : public WorkDialog {
 public:
  std::string text;
  int pos = -1;
  BOOL enabled = TRUE;
  BOOL visible = TRUE;

 protected:
  void OnTimer(UINT_PTR id) override {
    if (worker_done.load() == 1) {
      text = gui::GetWindowText(gui::GetDlgItem(m_hWnd, 1007));
      pos = m_Progress.GetPos();
      enabled = m_btnProgram.IsWindowEnabled();
      visible = GetDlgItem(1007)->IsWindowVisible();
    }
    WorkDialog::OnTimer(id);
  }
};

TEST(CrossThread, FinalStateIsWhatTheWorkerSetLast) {
  CheckingDialog d;
  EXPECT_EQ(d.DoModal(), IDOK);
  EXPECT_EQ(d.text, "Done");
  EXPECT_EQ(d.pos, 100);
  EXPECT_FALSE(d.enabled);
  EXPECT_FALSE(d.visible);
}

TEST(CrossThread, ProgressRangeDefaultsToHundredAndClamps) {
  class Quick : public CDialog {
   public:
    Quick() : CDialog(WorkTemplate()) {}
    int lo = -1, hi = -1, clamped = -1, stepped = -1;
    BOOL OnInitDialog() override {
      CDialog::OnInitDialog();
      CProgressCtrl p;
      p.SubclassDlgItem(1011, this);
      p.GetRange(lo, hi);
      p.SetPos(250);
      clamped = p.GetPos();
      p.SetPos(95);
      p.SetStep(10);
      p.StepIt();
      stepped = p.GetPos();
      p.UnsubclassWindow();
      EndDialog(IDOK);
      return TRUE;
    }
  } q;
  q.DoModal();
  EXPECT_EQ(q.lo, 0);
  EXPECT_EQ(q.hi, 100);
  EXPECT_EQ(q.clamped, 100);
  EXPECT_EQ(q.stepped, 5);  // past the end, the bar wraps round
}

}  // namespace
}  // namespace vexaro::gui
