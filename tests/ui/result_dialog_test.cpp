// The result dialog: picture and hidden text per result code, its size and
// place, dragging, the shaped close button and the modal run it ends.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_util.h"
#include "ui/resource_ids.h"
#include "ui/result_dialog.h"

namespace vexaro::ui {
namespace {

using namespace gui;

// Pixels of the dialog that differ from the picture, outside the close button.
int PictureMismatches(HWND dialog, int picture_id) {
  HBITMAP picture = LoadBitmap(picture_id);
  auto shot = headless::Capture(dialog);
  if (!picture || !shot || shot->width != picture->width || shot->height != picture->height) {
    DeleteObject(picture);
    return -1;
  }
  int wrong = 0;
  for (int y = 0; y < shot->height; ++y)
    for (int x = 0; x < shot->width; ++x) {
      if (x >= 190 && x < 211 && y < 21) continue;
      wrong += (shot->At(x, y) & 0xFFFFFF) != (picture->At(x, y) & 0xFFFFFF) ? 1 : 0;
    }
  DeleteObject(picture);
  return wrong;
}

class ResultDialog : public ::testing::TestWithParam<int> {
 protected:
  void Open(int code) {
    dialog.m_nResultCode = code;
    ASSERT_TRUE(dialog.Create(0, nullptr));
    dialog.ShowWindow(SW_SHOW);
    test::Pump();
  }
  void TearDown() override {
    input::MouseButton(input::kLeft, false, 0, 0);
    input::MouseMove(0, 0);
    if (dialog.m_hWnd) dialog.DestroyWindow();
    test::Pump();
  }
  CWarning dialog;
};

TEST_P(ResultDialog, ShowsThePictureAndKeepsTheTextHidden) {
  const int code = GetParam();
  Open(code);
  const int picture = code == 1 ? kIdbResultSuccess : code == 2 ? kIdbResultFailed : kIdbResultLayoutError;
  EXPECT_EQ(ResultPictureId(code), picture);
  EXPECT_EQ(PictureMismatches(dialog, picture), 0);
  CWnd* text = dialog.GetDlgItem(kIdcResultText);
  ASSERT_NE(text, nullptr);
  EXPECT_FALSE(text->IsWindowVisible());
  CString s;
  text->GetWindowText(s);
  const char* expected = code == 1 ? "Firmware Update Success!"
                         : code == 2 ? "Firmware Update Failed!"
                                     : "Firmware Update Layout Error!";
  EXPECT_EQ(s, expected);
  EXPECT_FALSE(dialog.GetDlgItem(IDOK)->IsWindowVisible());
}

INSTANTIATE_TEST_SUITE_P(Codes, ResultDialog, ::testing::Values(0, 1, 2));

// A note replaces the picture's closing line and nothing above it.
TEST_F(ResultDialog, NoteIsPaintedOverTheClosingLineOnly) {
  dialog.m_strNote = "The keyboard stays in update mode until the update is run again.";
  Open(2);
  HBITMAP picture = LoadBitmap(kIdbResultFailed);
  auto shot = headless::Capture(dialog);
  ASSERT_TRUE(picture && shot);
  int above = 0, inside = 0;
  for (int y = 0; y < shot->height; ++y)
    for (int x = 0; x < shot->width; ++x) {
      if (x >= 190 && x < 211 && y < 21) continue;
      const bool differs = (shot->At(x, y) & 0xFFFFFF) != (picture->At(x, y) & 0xFFFFFF);
      (y < 111 ? above : inside) += differs ? 1 : 0;
    }
  DeleteObject(picture);
  EXPECT_EQ(above, 0);
  EXPECT_GT(inside, 100);
  const char* folder = std::getenv("VEXARO_UPDATER_PICTURES");
  std::string error;
  if (folder && *folder) headless::SaveWindowPng(dialog, std::string(folder) + "/result-failed-update-mode.png", &error);
}

class ResultDialogWindow : public ResultDialog {};

TEST_F(ResultDialogWindow, Is213By142CentredWithoutCaption) {
  Open(kResultSuccess);
  CRect r;
  dialog.GetWindowRect(&r);
  EXPECT_EQ(r.Width(), 213);
  EXPECT_EQ(r.Height(), 142);
  EXPECT_EQ(r.left, (1920 - 213) / 2);
  EXPECT_EQ(r.top, (1080 - 142) / 2);
  EXPECT_EQ(dialog.GetStyle() & WS_CAPTION, 0u);
  EXPECT_EQ(dialog.SendMessage(WM_ERASEBKGND, 0, 0), TRUE);
}

TEST_F(ResultDialogWindow, DraggingAnywhereMovesIt) {
  Open(kResultFailed);
  CRect before;
  dialog.GetWindowRect(&before);
  POINT p{60, 80};
  dialog.ClientToScreen(&p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kLeft, true, p.x, p.y);
  test::Pump();
  input::MouseMove(p.x + 30, p.y - 20);
  input::MouseButton(input::kLeft, false, p.x + 30, p.y - 20);
  test::Pump();
  CRect after;
  dialog.GetWindowRect(&after);
  EXPECT_EQ(after.left - before.left, 30);
  EXPECT_EQ(after.top - before.top, -20);
  EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(ResultDialogWindow, CloseButtonEndsTheDialog) {
  Open(kResultSuccess);
  HWND h = dialog.m_hWnd;
  headless::MoveMouse(dialog, 200, 10);
  test::Pump();
  EXPECT_TRUE(dialog.CloseButton().IsHovering());
  headless::Click(dialog, 200, 10);
  test::Pump();
  EXPECT_FALSE(IsWindow(h));
}

TEST_F(ResultDialogWindow, WhiteCornersOfTheCloseButtonBelongToTheDialog) {
  Open(kResultSuccess);
  HWND h = dialog.m_hWnd;
  // Column 20 and rows 18 to 20 of the close button are white in its mask.
  for (POINT corner : {POINT{210, 5}, POINT{195, 19}}) {
    POINT s = corner;
    dialog.ClientToScreen(&s);
    EXPECT_EQ(WindowFromPoint(s), h);
    headless::Click(dialog, corner.x, corner.y);
    test::Pump();
    EXPECT_TRUE(IsWindow(h));
    EXPECT_FALSE(dialog.CloseButton().IsHovering());
  }
}

// Clicks the close button once the modal loop runs.
class ClickedWarning : public CWarning {
 public:
  BOOL OnInitDialog() override {
    const BOOL r = CWarning::OnInitDialog();
    SetTimer(1, 10);
    return r;
  }

 protected:
  void OnTimer(UINT_PTR id) override {
    KillTimer(id);
    headless::Click(m_hWnd, 200, 10);
  }
};

TEST(ResultDialogModal, CloseButtonEndsTheModalRunLikeCancel) {
  ClickedWarning dialog;
  dialog.m_nResultCode = kResultLayoutError;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  test::Pump();
}

// Where the dialog stands once set up, before the close button is clicked.
class PlacedWarning : public ClickedWarning {
 public:
  CRect placed;
  BOOL OnInitDialog() override {
    const BOOL r = ClickedWarning::OnInitDialog();
    GetWindowRect(&placed);
    return r;
  }
};

TEST(ResultDialogModal, ConstructedWithoutParentItIsCentredOverTheMainWindow) {
  // As the main window runs it: no parent given, the application's main
  // window off the screen's centre.
  CWinApp app;
  test::Host main;
  ASSERT_TRUE(main.Open(100, 60, 480, 240));
  app.m_pMainWnd = &main;
  PlacedWarning dialog;
  dialog.m_nResultCode = kResultSuccess;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  app.m_pMainWnd = nullptr;
  EXPECT_EQ(dialog.placed.Width(), 213);
  EXPECT_EQ(dialog.placed.Height(), 142);
  EXPECT_EQ(dialog.placed.left, 100 + (480 - 213) / 2);
  EXPECT_EQ(dialog.placed.top, 60 + (240 - 142) / 2);
  main.DestroyWindow();
  test::Pump();
}

}  // namespace
}  // namespace vexaro::ui
