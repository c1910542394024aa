// The skinned button: its painting table, state images, hover tracking with
// the capture, clicks, keys, auto-repeat on the scaled clock, the right-press
// notification, toggle mode and its window style.
#include <gtest/gtest.h>

#include "tests/ui/ui_test_util.h"
#include "ui/bitmap_button.h"

namespace vexaro::ui {
namespace {

using namespace gui;

constexpr COLORREF kNormal = RGB(200, 0, 0);
constexpr COLORREF kHover = RGB(0, 200, 0);
constexpr COLORREF kPressed = RGB(0, 0, 200);
constexpr COLORREF kDisabled = RGB(90, 90, 90);
constexpr int kSize = 30;

// A strip of four solid states stacked from the top.
HBITMAP StateStrip() {
  HBITMAP strip = CreateBitmap32(kSize, 4 * kSize);
  const COLORREF colours[] = {kNormal, kHover, kPressed, kDisabled};
  for (int y = 0; y < 4 * kSize; ++y)
    for (int x = 0; x < kSize; ++x) strip->Row(y)[x] = PixelFromColor(colours[y / kSize]);
  return strip;
}

TEST(PaintTable, OrdinaryButtonsFirstMatchWins) {
  const auto ord = [](bool disabled, bool latched, bool pressed, bool hovering) {
    return ChoosePaint(ButtonMode::Ordinary, {disabled, latched, pressed, hovering});
  };
  using I = StateImage;
  using C = TextColour;
  EXPECT_EQ(ord(true, true, true, true), (PaintChoice{I::Disabled, C::Disabled}));
  EXPECT_EQ(ord(false, true, true, true), (PaintChoice{I::Pressed, C::Normal}));
  EXPECT_EQ(ord(false, false, true, true), (PaintChoice{I::Pressed, C::Hover}));
  EXPECT_EQ(ord(false, false, false, true), (PaintChoice{I::Hover, C::Hover}));
  EXPECT_EQ(ord(false, false, false, false), (PaintChoice{I::Normal, C::Normal}));
}

TEST(PaintTable, ToggleButtonsShowTheLatchedState) {
  using I = StateImage;
  using C = TextColour;
  const auto tog = [](bool disabled, bool latched, bool pressed, bool hovering) {
    return ChoosePaint(ButtonMode::Toggle, {disabled, latched, pressed, hovering});
  };
  EXPECT_EQ(tog(true, true, true, true), (PaintChoice{I::Disabled, C::Disabled}));
  EXPECT_EQ(tog(false, true, false, false), (PaintChoice{I::Pressed, C::Hover}));
  // Press and hover do not show in toggle mode.
  EXPECT_EQ(tog(false, false, true, true), (PaintChoice{I::Normal, C::Normal}));
}

TEST(PaintTable, InvertedHoverSwapsIdleAndHover) {
  using I = StateImage;
  using C = TextColour;
  const auto inv = [](bool disabled, bool latched, bool pressed, bool hovering) {
    return ChoosePaint(ButtonMode::InvertedHover, {disabled, latched, pressed, hovering});
  };
  EXPECT_EQ(inv(true, false, false, true), (PaintChoice{I::Normal, C::Normal}));  // hover before disabled
  EXPECT_EQ(inv(false, true, false, false), (PaintChoice{I::Normal, C::Normal}));
  EXPECT_EQ(inv(false, false, true, false), (PaintChoice{I::Normal, C::Normal}));
  EXPECT_EQ(inv(true, false, false, false), (PaintChoice{I::Disabled, C::Disabled}));
  EXPECT_EQ(inv(false, false, false, false), (PaintChoice{I::Hover, C::Hover}));
}

class Button : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Open(300, 300, 200, 120));
    strip = StateStrip();
    ASSERT_TRUE(button.Create("", kSkinButtonStyle, CRect(20, 20, 20 + kSize, 20 + kSize), &host, 0));
    button.SetStateStrip(strip, kSize, kSize);
    test::Pump();
  }
  void TearDown() override {
    input::MouseButton(input::kLeft, false, 0, 0);
    input::MouseMove(0, 0);
    host.DestroyWindow();
    test::Pump();
    DeleteObject(strip);
    sys::SetClockScale(1);
  }
  COLORREF Shown() { return headless::PixelAt(host, 20 + kSize / 2, 20 + kSize / 2); }
  POINT Centre() {
    POINT p{kSize / 2, kSize / 2};
    button.ClientToScreen(&p);
    return p;
  }
  void Hover() {
    const POINT p = Centre();
    input::MouseMove(p.x, p.y);
    test::Pump();
  }
  void Leave() {
    POINT p{150, 100};
    host.ClientToScreen(&p);
    input::MouseMove(p.x, p.y);
    test::Pump();
  }
  void Press(bool down) {
    const POINT p = Centre();
    input::MouseButton(input::kLeft, down, p.x, p.y);
    test::Pump();
  }
  int Clicks() const { return host.Count(MAKEWPARAM(0, BN_CLICKED)); }

  test::Host host;
  CBitmapBtn button;
  HBITMAP strip = nullptr;
};

TEST_F(Button, EachStateShowsItsImage) {
  EXPECT_EQ(Shown(), kNormal);
  Hover();
  EXPECT_EQ(Shown(), kHover);
  Press(true);
  EXPECT_EQ(Shown(), kPressed);
  Press(false);
  EXPECT_EQ(Shown(), kHover);
  Leave();
  EXPECT_EQ(Shown(), kNormal);
  button.EnableWindow(FALSE);
  test::Pump();
  EXPECT_EQ(Shown(), kDisabled);
}

TEST_F(Button, StateImagesAreCopiesOfTheStripParts) {
  for (auto which : {StateImage::Normal, StateImage::Hover, StateImage::Pressed, StateImage::Disabled}) {
    HBITMAP image = button.Image(which);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, kSize);
    EXPECT_EQ(image->height, kSize);
    EXPECT_TRUE(image->bottomUp);
    EXPECT_EQ(image->At(0, 0), strip->At(0, kSize * static_cast<int>(which)));
  }
  // The images are the button's own: changing the strip changes nothing.
  strip->pixels.assign(strip->pixels.size(), PixelFromColor(RGB(1, 2, 3)));
  button.Invalidate();
  test::Pump();
  EXPECT_EQ(Shown(), kNormal);
}

TEST_F(Button, ShiftWhenPressedDrawsThePressedImageOneRowLower) {
  constexpr COLORREF kMarker = RGB(250, 250, 0);
  for (int x = 0; x < kSize; ++x) test::SetPixel(strip, x, 2 * kSize, kMarker);  // pressed image, top row
  button.SetStateStrip(strip, kSize, kSize);
  Hover();
  Press(true);
  EXPECT_EQ(headless::PixelAt(host, 25, 20), kMarker);
  Press(false);
  button.SetShiftWhenPressed(true);
  Press(true);
  EXPECT_EQ(headless::PixelAt(host, 25, 21), kMarker);
  EXPECT_EQ(headless::PixelAt(host, 25, 22), kPressed);
}

TEST_F(Button, EmptySourceKeepsTheImageButStillDropsBorderAndTabStop) {
  HBITMAP before = button.Image(StateImage::Hover);
  SetWindowLongPtr(button, GWL_STYLE, static_cast<LONG_PTR>(button.GetStyle() | WS_BORDER | WS_TABSTOP));
  button.SetHoverImage(nullptr, RECT{0, 0, kSize, kSize});
  EXPECT_EQ(button.Image(StateImage::Hover), before);
  EXPECT_EQ(button.GetStyle() & (WS_BORDER | WS_TABSTOP), 0u);
}

TEST_F(Button, HoverTakesTheCaptureAndLeavingReleasesIt) {
  Hover();
  EXPECT_TRUE(button.IsHovering());
  EXPECT_EQ(GetCapture(), button.m_hWnd);
  Leave();
  EXPECT_FALSE(button.IsHovering());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Button, LeavingForAPointWithNoWindowEndsHover) {
  // The desktop lies there: the button sees the mouse leave as it does for
  // any other window.
  Hover();
  ASSERT_EQ(GetCapture(), button.m_hWnd);
  input::MouseMove(1900, 1070);
  test::Pump();
  EXPECT_FALSE(button.IsHovering());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Shown(), kNormal);
}

TEST_F(Button, MouseMovesAreForwardedInScreenCoordinates) {
  Hover();
  ASSERT_FALSE(host.moves.empty());
  const MSG& m = host.moves.back();
  const POINT p = Centre();
  EXPECT_EQ(GET_X_LPARAM(m.lParam), p.x);
  EXPECT_EQ(GET_Y_LPARAM(m.lParam), p.y);
}

TEST_F(Button, FocusOnHoverTakesTheFocusOnlyWhenSet) {
  host.SetFocus();
  Hover();
  EXPECT_EQ(GetFocus(), host.m_hWnd);
  Leave();
  button.SetFocusOnHover(true);
  Hover();
  EXPECT_EQ(GetFocus(), button.m_hWnd);
}

TEST_F(Button, FocusLossEndsHover) {
  Hover();
  button.SetFocus();
  host.SetFocus();
  EXPECT_FALSE(button.IsHovering());
}

TEST_F(Button, AnotherWindowTakingTheCaptureKeepsIt) {
  Hover();
  host.SetCapture();
  EXPECT_EQ(GetCapture(), host.m_hWnd);
  EXPECT_FALSE(button.IsHovering());
  ReleaseCapture();
}

TEST_F(Button, ClickNotifiesOnce) {
  Hover();
  Press(true);
  Press(false);
  test::Pump();
  EXPECT_EQ(Clicks(), 1);
  ASSERT_FALSE(host.commands.empty());
  EXPECT_EQ(reinterpret_cast<HWND>(host.commands.back().l), button.m_hWnd);
}

TEST_F(Button, ReleaseOutsideIsNoClick) {
  Hover();
  Press(true);
  Leave();  // with the left button down the capture stays
  EXPECT_EQ(GetCapture(), button.m_hWnd);
  POINT p{150, 100};
  host.ClientToScreen(&p);
  input::MouseButton(input::kLeft, false, p.x, p.y);
  test::Pump();
  EXPECT_EQ(Clicks(), 0);
}

TEST_F(Button, KeysDoNotPressIt) {
  Hover();
  button.SetFocus();
  for (UINT vk : {VK_SPACE, VK_RETURN}) {
    input::Key(vk, true, vk == VK_SPACE ? ' ' : '\r');
    test::Pump();
    EXPECT_FALSE(button.GetState() & BST_PUSHED);
    input::Key(vk, false);
    test::Pump();
  }
  EXPECT_TRUE(host.commands.empty());
}

// Messages that reach the window procedure under a subclassing button.
std::vector<UINT> g_underneath;
LRESULT RecordingProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  g_underneath.push_back(msg);
  return DefWindowProc(hwnd, msg, w, l);
}

TEST_F(Button, KeysNeverReachTheDefaultProcessing) {
  WNDCLASS wc;
  wc.lpszClassName = "UiTestKeyRecorder";
  wc.lpfnWndProc = RecordingProc;
  RegisterClass(wc);
  HWND plain = CreateWindowEx(0, "UiTestKeyRecorder", "", WS_CHILD | WS_VISIBLE, 100, 20, 30, 30, host, 9);
  ASSERT_NE(plain, nullptr);
  CBitmapBtn skinned;
  ASSERT_TRUE(skinned.SubclassWindow(plain));
  g_underneath.clear();
  skinned.SendMessage(WM_KEYDOWN, VK_SPACE, 1);
  skinned.SendMessage(WM_KEYUP, VK_SPACE, 1);
  skinned.SendMessage(WM_CHAR, ' ', 1);
  EXPECT_EQ(g_underneath, std::vector<UINT>{WM_CHAR});
  skinned.DestroyWindow();
}

TEST_F(Button, RightPressSendsCodeFF) {
  CBitmapBtn numbered;
  ASSERT_TRUE(numbered.Create("", kSkinButtonStyle, CRect(100, 20, 130, 50), &host, 0x12345));
  test::Pump();
  POINT p{5, 5};
  numbered.ClientToScreen(&p);
  input::MouseMove(p.x, p.y);
  input::MouseButton(input::kRight, true, p.x, p.y);
  input::MouseButton(input::kRight, false, p.x, p.y);
  test::Pump();
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0].w, static_cast<WPARAM>(0x00FF2345));
  EXPECT_EQ(reinterpret_cast<HWND>(host.commands[0].l), numbered.m_hWnd);
}

// Records when its repeat timer fires, on the program clock.
class TimedButton : public CBitmapBtn {
 public:
  std::vector<std::uint64_t> ticks;

 protected:
  void OnTimer(UINT_PTR id) override {
    if (id == kAutoRepeatTimer) ticks.push_back(sys::NowMs());
    CBitmapBtn::OnTimer(id);
  }
};

TEST_F(Button, AutoRepeatWaitsLongerFirstThenRepeatsAtTheInterval) {
  sys::SetClockScale(10);
  TimedButton held;
  ASSERT_TRUE(held.Create("", kSkinButtonStyle, CRect(100, 20, 130, 50), &host, 0));
  held.SetStateStrip(strip, kSize, kSize);
  held.SetAutoRepeat(true, 100);
  POINT p{5, 5};
  held.ClientToScreen(&p);
  input::MouseMove(p.x, p.y);
  test::Pump();
  const std::uint64_t pressed_at = sys::NowMs();
  input::MouseButton(input::kLeft, true, p.x, p.y);
  ASSERT_TRUE(test::PumpUntil([&] { return host.Count(kAutoRepeatCommand) >= 4; }, 5000));
  ASSERT_GE(held.ticks.size(), 4u);
  EXPECT_GE(held.ticks[0] - pressed_at, 300u);
  for (std::size_t i = 1; i < held.ticks.size(); ++i) {
    EXPECT_GE(held.ticks[i] - held.ticks[i - 1], 100u);
    EXPECT_LT(held.ticks[i] - held.ticks[i - 1], 300u);
  }
  for (const auto& c : host.commands)
    if (c.w == kAutoRepeatCommand) {
      EXPECT_EQ(reinterpret_cast<HWND>(c.l), held.m_hWnd);
    }
  input::MouseButton(input::kLeft, false, p.x, p.y);
  test::Pump();
  const int repeats = host.Count(kAutoRepeatCommand);
  test::PumpUntil([] { return false; }, 1000);
  EXPECT_EQ(host.Count(kAutoRepeatCommand), repeats);
  EXPECT_EQ(Clicks(), 1);
}

TEST_F(Button, AutoRepeatStopsWhenTheCaptureIsTaken) {
  sys::SetClockScale(10);
  button.SetAutoRepeat(true, 100);
  Hover();
  Press(true);
  ASSERT_TRUE(test::PumpUntil([&] { return host.Count(kAutoRepeatCommand) >= 1; }, 5000));
  host.SetCapture();  // the release will not reach the button
  test::Pump();
  const int repeats = host.Count(kAutoRepeatCommand);
  test::PumpUntil([] { return false; }, 1000);
  EXPECT_EQ(host.Count(kAutoRepeatCommand), repeats);
  ReleaseCapture();
}

TEST_F(Button, ToggleModeLatchesAndNotifiesWithItsId) {
  button.SetToggleMode(true);
  Hover();
  Press(true);
  Press(false);
  EXPECT_TRUE(button.IsLatched());
  EXPECT_EQ(Shown(), kPressed);
  ASSERT_EQ(host.commands.size(), 1u);
  EXPECT_EQ(host.commands[0].w, MAKEWPARAM(0, BN_CLICKED));
  Press(true);
  Press(false);
  EXPECT_FALSE(button.IsLatched());
  EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(Button, StyleIsOwnerDrawWithoutTabStop) {
  CBitmapBtn plain;
  ASSERT_TRUE(plain.Create("", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, CRect(100, 20, 130, 50), &host, 4));
  EXPECT_EQ(plain.GetStyle() & BS_TYPEMASK, BS_OWNERDRAW);
  EXPECT_EQ(plain.GetStyle() & WS_TABSTOP, 0u);
  EXPECT_EQ(GetClassLong(plain, GCL_STYLE) & CS_PARENTDC, 0u);
  EXPECT_EQ(plain.SendMessage(WM_ERASEBKGND, 0, 0), 0);
}

TEST_F(Button, TooltipIsMadeInactiveOnFirstRelay) {
  EXPECT_EQ(button.Tooltip(), nullptr);
  MSG msg{button.m_hWnd, WM_MOUSEMOVE, 0, 0, 0, {}};
  EXPECT_FALSE(WalkPreTranslateTree(host, &msg));
  ASSERT_NE(button.Tooltip(), nullptr);
  const CToolTipCtrl* tip = button.Tooltip();
  EXPECT_TRUE(IsWindow(tip->m_hWnd));
  EXPECT_FALSE(tip->IsActive());
  EXPECT_EQ(tip->GetToolText(&button), "");
  // Relayed moves of an inactive tooltip show nothing, and it is made once.
  WalkPreTranslateTree(host, &msg);
  EXPECT_EQ(button.Tooltip(), tip);
  EXPECT_FALSE(IsWindowVisible(tip->m_hWnd));
}

TEST_F(Button, CaptionIsDrawnAndWhiteIsNotPainted) {
  // A normal image with a white band at the top: with a caption, white is
  // left out, and the picture lands one row lower.
  HBITMAP banded = StateStrip();
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < kSize; ++x) test::SetPixel(banded, x, y, RGB(255, 255, 255));
  button.SetNormalImage(banded, RECT{0, 0, kSize, kSize});
  DeleteObject(banded);
  button.SetTextColours(RGB(255, 255, 0), RGB(255, 255, 0), RGB(255, 255, 0));
  button.Invalidate();
  test::Pump();
  EXPECT_EQ(headless::PixelAt(host, 25, 21), RGB(255, 255, 255));
  button.SetCaption("WWWW");
  host.Invalidate();  // the host paints under the button first
  test::Pump();
  EXPECT_EQ(headless::PixelAt(host, 25, 21), host.background);  // white skipped
  EXPECT_EQ(headless::PixelAt(host, 25, 20 + 4), host.background);
  EXPECT_EQ(headless::PixelAt(host, 25, 20 + 5), kNormal);  // image row 4 lands one lower
  auto shot = headless::Capture(host);
  ASSERT_NE(shot, nullptr);
  int text = 0;
  for (int y = 24; y < 20 + kSize; ++y)
    for (int x = 20; x < 20 + kSize; ++x) text += ((shot->At(x, y) >> 8) & 0xFF) > 100 ? 1 : 0;  // yellow over red
  EXPECT_GT(text, 10);
}

}  // namespace
}  // namespace vexaro::ui
