// Controls as the skinned parts of the program use them: an owner-drawn
// button subclass told its state through DrawItem, bound at creation with
// PreSubclassWindow, and a real message box dismissed with Enter.
#include <gtest/gtest.h>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

class SkinButton : public CButton {
 public:
  std::vector<UINT> states;
  DWORD style_at_attach = 0;

 protected:
  void PreSubclassWindow() override {
    style_at_attach = GetStyle();
    SetButtonStyle(GetButtonStyle() | BS_OWNERDRAW, TRUE);
    ModifyStyle(WS_TABSTOP, 0);
    SetClassLong(m_hWnd, GCL_STYLE, GetClassLong(m_hWnd, GCL_STYLE) & ~CS_PARENTDC);
  }
  void DrawItem(DRAWITEMSTRUCT* dis) override {
    states.push_back(dis->itemState & (ODS_SELECTED | ODS_DISABLED));
    CDC dc(dis->hDC);
    dc.FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(9, 9, 9) : RGB(200, 200, 0));
  }
};

class Parent : public CWnd {
 public:
  std::vector<HWND> clicked;

 protected:
  BOOL OnCommand(WPARAM w, LPARAM l) override {
    if (HIWORD(w) == BN_CLICKED) clicked.push_back(reinterpret_cast<HWND>(l));
    return TRUE;
  }
};

TEST(Controls, OwnerDrawnButtonSeesPressedAndDisabledStates) {
  Parent parent;
  ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, 0));
  SkinButton b;
  ASSERT_TRUE(b.Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 40, 40), &parent, 0));
  EXPECT_EQ(b.style_at_attach & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(b.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_FALSE(b.GetStyle() & WS_TABSTOP);
  test::Pump();
  ASSERT_FALSE(b.states.empty());
  EXPECT_EQ(b.states.back(), 0u);
  POINT p{5, 5};
  b.ClientToScreen(&p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  test::Pump();
  EXPECT_EQ(b.states.back(), static_cast<UINT>(ODS_SELECTED));
  EXPECT_EQ(headless::PixelAt(parent, 15, 15), RGB(9, 9, 9));
  input::MouseButton(input::kLeft, false, p.x, p.y);
  test::Pump();
  EXPECT_EQ(b.states.back(), 0u);
  ASSERT_EQ(parent.clicked.size(), 1u);
  EXPECT_EQ(parent.clicked[0], b.m_hWnd);  // control id 0: known by its handle
  b.EnableWindow(FALSE);
  test::Pump();
  EXPECT_EQ(b.states.back(), static_cast<UINT>(ODS_DISABLED));
  parent.DestroyWindow();
  EXPECT_EQ(b.m_hWnd, nullptr);  // the object let go of its destroyed window
}

TEST(Controls, MessageBoxIsAModalDialogDismissedWithEnter) {
  class Presser : public CWnd {
   public:
    std::string caption;
    std::string text_seen;

   protected:
    void OnTimer(UINT_PTR) override {
      HWND box = gui::GetActiveWindow();
      if (box == m_hWnd || !box) return;
      KillTimer(1);
      caption = gui::GetWindowText(box);
      text_seen = gui::GetWindowText(gui::GetDlgItem(box, 0xFFFF));
      headless::PressKey(VK_RETURN);
    }
  } presser;
  ASSERT_TRUE(presser.CreateEx(0, AfxRegisterWndClass(), "", WS_POPUP, 0, 0, 1, 1, nullptr, 0));
  presser.SetTimer(1, 1);
  EXPECT_EQ(MessageBox(nullptr, "Image size is large the chip size!", "Image Size Error"), IDOK);
  EXPECT_EQ(presser.caption, "Image Size Error");
  EXPECT_EQ(presser.text_seen, "Image size is large the chip size!");
  presser.DestroyWindow();
}

}  // namespace
}  // namespace vexaro::gui
