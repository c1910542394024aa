// The sample dialog on the Win32 display (wine's desktop under Xvfb in CI):
// the native window shows the headless rendering at chosen pixels, and a
// click made of real WM_LBUTTONDOWN/UP messages reaches the shaped button.
// Without a desktop the test is skipped.
#include <gtest/gtest.h>

#include "platform/gui/backend.h"
#include "tests/gui/gui_test_util.h"
#include "tests/gui/sample_dialog.h"
// windows.h last: its macros would rename the framework's declarations.
#include <windows.h>

#include <string>

namespace vexaro::gui {
namespace {

// gui_test_util.h asks for the headless display; this program wants the
// native one (initialised after it, in this file's order).
const bool kNativeDisplay = [] { return _putenv_s("VEXARO_DISPLAY", "native") == 0; }();

// The display thread works asynchronously; this bounds the waits for it.
constexpr int kDisplayWaitSteps = 300;
constexpr ::DWORD kDisplayWaitStepMs = 10;

::BOOL CALLBACK FindVisible(::HWND hwnd, ::LPARAM found) {
  char name[64] = {};
  ::DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  ::GetClassNameA(hwnd, name, sizeof name);
  if (pid == ::GetCurrentProcessId() && std::string(name) == "VexaroWindow" && ::IsWindowVisible(hwnd)) {
    *reinterpret_cast<::HWND*>(found) = hwnd;
    return FALSE;
  }
  return TRUE;
}

::HWND NativeWindow() {
  ::HWND found = nullptr;
  for (int i = 0; i < kDisplayWaitSteps && found == nullptr; ++i) {
    ::EnumWindows(FindVisible, reinterpret_cast<::LPARAM>(&found));
    if (found == nullptr) ::Sleep(kDisplayWaitStepMs);
  }
  return found;
}

// The screen's pixel once the display has painted it as expected (or the
// last one seen).
COLORREF ShownPixel(::HWND native, int x, int y, COLORREF expected) {
  ::COLORREF seen = CLR_INVALID;
  for (int i = 0; i < kDisplayWaitSteps; ++i) {
    ::HDC dc = ::GetDC(native);
    seen = ::GetPixel(dc, x, y);
    ::ReleaseDC(native, dc);
    if (seen == static_cast<::COLORREF>(expected)) break;
    ::Sleep(kDisplayWaitStepMs);
  }
  return static_cast<COLORREF>(seen);
}

TEST(Win32Display, ShowsTheHeadlessPixelsAndTakesARealClickOnTheShapedButton) {
  ASSERT_TRUE(kNativeDisplay);
  if (std::string(CurrentDisplay().Name()) != "win32") GTEST_SKIP() << "no desktop for the Win32 display";
  test::SampleDialog d;
  std::unique_ptr<Bitmap> shot;
  ::HWND native = nullptr;
  std::vector<std::pair<COLORREF, COLORREF>> compared;
  int clicks = -1;
  d.on_finished = [&](test::SampleDialog& self) {
    test::Pump();
    shot = CaptureTopLevel(self.m_hWnd);
    native = NativeWindow();
    if (!shot || !native) return;
    for (POINT p : {POINT{300, 5}, POINT{26, 28}, POINT{21, 9}, POINT{15, 145}, POINT{305, 145}}) {
      const COLORREF want = ColorFromPixel(shot->At(p.x, p.y));
      compared.emplace_back(want, ShownPixel(native, p.x, p.y, want));
    }
    RECT button;
    RECT dialog;
    GetWindowRect(self.m_btnRound.m_hWnd, &button);
    GetWindowRect(self.m_hWnd, &dialog);
    const ::LPARAM at = MAKELPARAM(button.left - dialog.left + 20, button.top - dialog.top + 20);
    ::PostMessageA(native, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(native, WM_LBUTTONUP, 0, at);
    for (int i = 0; i < kDisplayWaitSteps && self.clicks == 0; ++i) {
      test::Pump();
      ::Sleep(kDisplayWaitStepMs);
    }
    clicks = self.clicks;
  };
  d.DoModal();
  ASSERT_NE(shot, nullptr);
  ASSERT_NE(native, nullptr) << "no native window was shown";
  for (const auto& [want, seen] : compared) EXPECT_EQ(seen, want);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace vexaro::gui
