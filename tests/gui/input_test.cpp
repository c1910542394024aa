// Mouse and keyboard: hit testing through window regions and disabled
// windows, button clicks, capture, hover enter and leave, caption dragging.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

class Logged : public CWnd {
 public:
  std::vector<UINT> msgs;
  std::vector<std::pair<WPARAM, LPARAM>> commands;
  int Count(UINT m) const { return static_cast<int>(std::count(msgs.begin(), msgs.end(), m)); }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
    if (msg != WM_PAINT && msg != WM_ERASEBKGND) msgs.push_back(msg);
    if (msg == WM_COMMAND) commands.emplace_back(w, l);
    return CWnd::WindowProc(msg, w, l);
  }
};

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(top.CreateEx(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 200, 100, nullptr, 0));
    // A child with SS_NOTIFY takes the mouse like any window.
    ASSERT_TRUE(child.CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10, 10, 40, 40, top, 5));
    ASSERT_TRUE(button.CreateEx(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE, 100, 10, 60, 30, top, 7));
    test::Pump();
  }
  void TearDown() override {
    top.DestroyWindow();
    test::Pump();
  }
  Logged top, child, button;
};

TEST_F(Input, RegionDecidesWhichWindowGetsTheClick) {
  // Only the left half of the child belongs to it.
  SetWindowRgn(child, CreateRectRgn(0, 0, 20, 40), TRUE);
  EXPECT_EQ(WindowFromPoint({115, 115}), child.m_hWnd);
  EXPECT_EQ(WindowFromPoint({140, 115}), top.m_hWnd);
  headless::Click(top, 40, 20);  // in the child's rectangle, outside its region
  test::Pump();
  EXPECT_EQ(child.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(top.Count(WM_LBUTTONDOWN), 1);
  SetWindowRgn(child, nullptr, TRUE);
  EXPECT_EQ(WindowFromPoint({140, 115}), child.m_hWnd);
}

TEST_F(Input, DisabledWindowsLetTheMouseThroughAndGetNoKeys) {
  child.EnableWindow(FALSE);
  headless::Click(top, 15, 15);
  test::Pump();
  EXPECT_EQ(child.Count(WM_LBUTTONDOWN), 0);
  EXPECT_EQ(top.Count(WM_LBUTTONDOWN), 1);
  // A disabled top-level window gets nothing at all.
  top.EnableWindow(FALSE);
  headless::Click(top, 5, 5);
  test::Pump();
  EXPECT_EQ(top.Count(WM_LBUTTONDOWN), 1);
}

TEST_F(Input, EmptyRegionTakesNoInput) {
  SetWindowRgn(child, CreateRectRgn(0, 0, 0, 0), TRUE);
  EXPECT_EQ(WindowFromPoint({115, 115}), top.m_hWnd);
}

TEST_F(Input, ButtonClickNotifiesTheParentWithItsHandle) {
  headless::Click(button, 5, 5);
  test::Pump();
  ASSERT_EQ(top.commands.size(), 1u);
  EXPECT_EQ(LOWORD(top.commands[0].first), 7);
  EXPECT_EQ(HIWORD(top.commands[0].first), BN_CLICKED);
  EXPECT_EQ(reinterpret_cast<HWND>(top.commands[0].second), button.m_hWnd);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetFocus(), button.m_hWnd);
}

TEST_F(Input, ReleaseOutsideTheButtonIsNoClick) {
  POINT p{5, 5};
  ClientToScreen(button, &p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  test::Pump();
  EXPECT_EQ(GetCapture(), button.m_hWnd);
  EXPECT_TRUE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
  input::MouseMove(p.x + 100, p.y);  // captured: the button still hears it
  test::Pump();
  EXPECT_FALSE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
  input::MouseButton(input::kLeft, false, p.x + 100, p.y);
  test::Pump();
  EXPECT_TRUE(top.commands.empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, CaptureRoutesEverythingAndReleaseNotifies) {
  child.SetCapture();
  headless::Click(top, 150, 80);  // far from the child
  test::Pump();
  EXPECT_EQ(child.Count(WM_LBUTTONDOWN), 1);
  EXPECT_EQ(top.Count(WM_LBUTTONDOWN), 0);
  button.SetCapture();  // taking it away tells the old holder
  EXPECT_EQ(child.Count(WM_CAPTURECHANGED), 1);
  ReleaseCapture();
  EXPECT_EQ(button.Count(WM_CAPTURECHANGED), 1);
}

TEST_F(Input, HoverLeaveIsReportedOnceWhenTracked) {
  headless::MoveMouse(child, 5, 5);
  test::Pump();
  EXPECT_EQ(child.Count(WM_MOUSEMOVE), 1);
  TRACKMOUSEEVENT tme;
  tme.dwFlags = TME_LEAVE;
  tme.hwndTrack = child;
  ASSERT_TRUE(TrackMouseEvent(&tme));
  headless::MoveMouse(child, 6, 6);
  test::Pump();
  EXPECT_EQ(child.Count(WM_MOUSELEAVE), 0);
  headless::MoveMouse(top, 180, 80);  // left
  headless::MoveMouse(top, 181, 80);
  test::Pump();
  EXPECT_EQ(child.Count(WM_MOUSELEAVE), 1);
  EXPECT_EQ(top.Count(WM_MOUSEMOVE), 2);
}

TEST_F(Input, CaptionDragMovesTheWindowWithTheMouse) {
  // What a caption-less skin does on a click: post the caption hit-test.
  POINT p{50, 50};
  ClientToScreen(top, &p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  top.PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(50, 50));
  test::Pump();
  input::MouseMove(p.x + 30, p.y + 12);
  input::MouseMove(p.x + 40, p.y + 20);
  input::MouseButton(input::kLeft, false, p.x + 40, p.y + 20);
  input::MouseMove(p.x + 90, p.y + 90);  // after the release the window stays
  test::Pump();
  RECT r;
  top.GetWindowRect(&r);
  EXPECT_EQ(r.left, 140);
  EXPECT_EQ(r.top, 120);
  EXPECT_EQ(r.right - r.left, 200);
}

TEST_F(Input, TheDesktopLiesUnderEveryPointWithoutAWindow) {
  const HWND desktop = GetDesktopWindow();
  ASSERT_NE(desktop, nullptr);
  EXPECT_FALSE(IsWindow(desktop));
  EXPECT_EQ(WindowFromPoint({1500, 900}), desktop);
  EXPECT_EQ(WindowFromPoint({-5, -5}), desktop);
  EXPECT_EQ(WindowFromPoint({250, 180}), top.m_hWnd);
}

TEST_F(Input, CaptionDragCountsFromWhereTheButtonWentDown) {
  // The mouse moves on before the window's thread handles the press; the
  // drag still covers the whole way from the press.
  POINT p{50, 50};
  ClientToScreen(top, &p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  input::MouseMove(p.x + 20, p.y);
  top.PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(50, 50));
  test::Pump();
  RECT r;
  top.GetWindowRect(&r);
  EXPECT_EQ(r.left, 120);  // caught up with the move made before the drag began
  input::MouseMove(p.x + 40, p.y);
  input::MouseButton(input::kLeft, false, p.x + 40, p.y);
  test::Pump();
  top.GetWindowRect(&r);
  EXPECT_EQ(r.left, 140);
  EXPECT_EQ(r.top, 100);
}

TEST_F(Input, KeysGoToTheFocusWindow) {
  child.SetFocus();
  headless::PressKey(VK_RETURN);
  test::Pump();
  EXPECT_EQ(child.Count(WM_KEYDOWN), 1);
  EXPECT_EQ(child.Count(WM_KEYUP), 1);
  EXPECT_EQ(top.Count(WM_KEYDOWN), 0);
  button.SetFocus();
  EXPECT_EQ(child.Count(WM_KILLFOCUS), 1);
  EXPECT_EQ(button.Count(WM_SETFOCUS), 1);
}

// The main window's start disables its OK button and then focuses it: Enter
// and Escape must still reach the dialog, as they do under the system.
TEST_F(Input, DisabledWindowTakesNoFocusAndKeysGoToTheActiveWindow) {
  SetActiveWindow(top);
  button.EnableWindow(FALSE);
  button.SetFocus();
  EXPECT_NE(GetFocus(), button.m_hWnd);
  EXPECT_EQ(button.Count(WM_SETFOCUS), 0);
  // Nor does a child of a disabled parent.
  top.EnableWindow(FALSE);
  child.SetFocus();
  EXPECT_NE(GetFocus(), child.m_hWnd);
  top.EnableWindow(TRUE);
  headless::PressKey(VK_RETURN);
  headless::PressKey(VK_ESCAPE);
  test::Pump();
  EXPECT_EQ(top.Count(WM_KEYDOWN), 2);
  EXPECT_EQ(button.Count(WM_KEYDOWN), 0);
  // A focused window that becomes disabled gives the keys back to the active window.
  child.SetFocus();
  ASSERT_EQ(GetFocus(), child.m_hWnd);
  child.EnableWindow(FALSE);
  headless::PressKey(VK_RETURN);
  test::Pump();
  EXPECT_EQ(top.Count(WM_KEYDOWN), 3);
  EXPECT_EQ(child.Count(WM_KEYDOWN), 0);
}

TEST_F(Input, EditFieldTakesTypedCharacters) {
  CWnd edit;
  ASSERT_TRUE(edit.CreateEx(0, "EDIT", "ab", WS_CHILD | WS_VISIBLE, 10, 60, 80, 20, top, 9));
  headless::Click(edit, 3, 3);
  test::Pump();  // keys go to where the focus is when they are pressed
  headless::PressKey('C', 'c');
  headless::PressKey(VK_BACK, '\b');
  headless::PressKey('D', 'd');
  test::Pump();
  EXPECT_EQ(GetWindowText(edit), "abd");
}

}  // namespace
}  // namespace vexaro::gui

namespace vexaro::gui {
namespace {

TEST_F(Input, TooltipShowsOnlyWhileActiveAndOverItsTool) {
  CToolTipCtrl tip;
  ASSERT_TRUE(tip.Create(&top));
  EXPECT_FALSE(tip.IsWindowVisible());
  ASSERT_TRUE(tip.AddTool(&button, "Start the update"));
  MSG over;
  over.hwnd = button;
  over.message = WM_MOUSEMOVE;
  tip.RelayEvent(&over);
  EXPECT_FALSE(tip.IsWindowVisible());  // created inactive
  tip.Activate(TRUE);
  tip.RelayEvent(&over);
  EXPECT_TRUE(tip.IsWindowVisible());
  EXPECT_EQ(GetWindowText(tip), "Start the update");
  EXPECT_NE(GetActiveWindow(), tip.m_hWnd);  // shown without taking activation
  MSG click = over;
  click.message = WM_LBUTTONDOWN;
  tip.RelayEvent(&click);
  EXPECT_FALSE(tip.IsWindowVisible());
  tip.DestroyWindow();
}

}  // namespace
}  // namespace vexaro::gui
