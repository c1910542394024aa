// Modal dialogs: DoModal returns what EndDialog gave, nested loops end
// inner first, a quit request ends every loop on its way out, and
// PreTranslateMessage sees messages before they are dispatched.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

DialogTemplate SmallTemplate() {
  DialogTemplate t;
  t.style = WS_POPUP | WS_SYSMENU;
  t.cx = 160;
  t.cy = 80;
  t.items.push_back(DefPushButton("OK", IDOK, 20, 50, 50, 14));
  t.items.push_back(PushButton("Cancel", IDCANCEL, 90, 50, 50, 14));
  t.items.push_back(LText("Text", 1021, 10, 10, 100, 8));
  return t;
}

// Runs a step on its first timer tick, so that the test acts from inside the
// dialog's own modal loop.
class Scripted : public CDialog {
 public:
  explicit Scripted(std::function<void(Scripted&)> step) : CDialog(SmallTemplate()), step_(std::move(step)) {}
  std::vector<std::string>* log = nullptr;
  std::string name;
  int swallowed = 0;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    SetTimer(1, 1);
    return TRUE;
  }
  void OnTimer(UINT_PTR id) override {
    if (id != 1) return;
    KillTimer(1);
    if (step_) step_(*this);
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F1) {
      ++swallowed;
      return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
  }
  void OnCancel() override {
    if (log) {
      std::string entry = name;
      entry.append(" cancel");
      log->push_back(entry);
    }
    CDialog::OnCancel();
  }

 private:
  std::function<void(Scripted&)> step_;
};

TEST(Modal, DoModalReturnsTheEndDialogValue) {
  Scripted d([](Scripted& self) { self.EndDialog(42); });
  EXPECT_EQ(d.DoModal(), 42);
  EXPECT_FALSE(IsWindow(d.m_hWnd));
  EXPECT_EQ(d.m_hWnd, nullptr);
}

TEST(Modal, NestedLoopsEndInnerFirstEvenWhenTheOuterEndsEarly) {
  std::vector<std::string> order;
  Scripted outer([&](Scripted& o) {
    Scripted inner([&](Scripted& i) {
      o.EndDialog(1);  // the outer loop cannot end while the inner one runs
      order.push_back("inner ending");
      i.EndDialog(2);
    });
    order.push_back("inner returned " + std::to_string(inner.DoModal()));
  });
  const auto r = outer.DoModal();
  order.push_back("outer returned " + std::to_string(r));
  ASSERT_EQ(order.size(), 3u);
  EXPECT_EQ(order[0], "inner ending");
  EXPECT_EQ(order[1], "inner returned 2");
  EXPECT_EQ(order[2], "outer returned 1");
}

TEST(Modal, AQuitRequestEndsEveryModalLoopAndStaysPosted) {
  int inner_result = 0;
  Scripted outer([&](Scripted&) {
    Scripted inner([](Scripted&) { PostQuitMessage(5); });
    inner_result = static_cast<int>(inner.DoModal());
  });
  EXPECT_EQ(outer.DoModal(), -1);
  EXPECT_EQ(inner_result, -1);
  MSG m;
  EXPECT_FALSE(GetMessage(&m));  // the quit is still there for the next loop
  EXPECT_EQ(m.wParam, 5u);
}

TEST(Modal, OwnerIsDisabledWhileTheDialogRuns) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, 0));
  BOOL enabled_inside = TRUE;
  Scripted d([&](Scripted& self) {
    enabled_inside = owner.IsWindowEnabled();
    self.EndDialog(IDOK);
  });
  d.m_pParentWnd = &owner;
  d.DoModal();
  EXPECT_FALSE(enabled_inside);
  EXPECT_TRUE(owner.IsWindowEnabled());
  owner.DestroyWindow();
}

TEST(Modal, PreTranslateMessageSeesKeysBeforeDispatchAndDialogKeysWork) {
  std::vector<std::string> log;
  Scripted d([](Scripted&) {
    headless::PressKey(VK_F1);      // swallowed by the override
    headless::PressKey(VK_ESCAPE);  // the dialog's Cancel
  });
  d.log = &log;
  d.name.assign(1, 'd');
  EXPECT_EQ(d.DoModal(), IDCANCEL);
  EXPECT_EQ(d.swallowed, 1);
  EXPECT_EQ(log, std::vector<std::string>{"d cancel"});
}

TEST(Modal, EnterPressesTheDefaultButton) {
  Scripted d([](Scripted&) { headless::PressKey(VK_RETURN); });
  EXPECT_EQ(d.DoModal(), IDOK);
}

TEST(Modal, CloseEndsTheDialogLikeCancelUnlessTheCloseCommandIsGreyed) {
  Scripted d([](Scripted& self) {
    self.GetSystemMenu(FALSE)->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    input::CloseRequest(self.m_hWnd);  // ignored
    test::Pump();
    EXPECT_TRUE(IsWindow(self.m_hWnd));
    self.GetSystemMenu(FALSE)->EnableMenuItem(SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    input::CloseRequest(self.m_hWnd);
  });
  EXPECT_EQ(d.DoModal(), IDCANCEL);
}

TEST(Modal, EndDialogDuringInitialisationSkipsTheLoop) {
  class Closing : public CDialog {
   public:
    Closing() : CDialog(SmallTemplate()) {}
    BOOL OnInitDialog() override {
      CDialog::OnInitDialog();
      gui::SendMessage(m_hWnd, WM_CLOSE);
      return FALSE;
    }
  } d;
  EXPECT_EQ(d.DoModal(), IDCANCEL);
}

TEST(Modal, MissingTemplateFailsWithoutAWindow) {
  CDialog d(9999);
  EXPECT_EQ(d.DoModal(), -1);
  EXPECT_EQ(d.m_hWnd, nullptr);
}

TEST(Modal, MessageBoxHookAnswersInsteadOfTheUser) {
  std::string seen;
  SetMessageBoxHook([&](std::string_view text, std::string_view caption, UINT) {
    seen = std::string(caption) + ": " + std::string(text);
    return IDOK;
  });
  EXPECT_EQ(MessageBox(nullptr, "Image format invalid!", "Image Format Invalid"), IDOK);
  SetMessageBoxHook(nullptr);
  EXPECT_EQ(seen, "Image Format Invalid: Image format invalid!");
}

}  // namespace
}  // namespace vexaro::gui
