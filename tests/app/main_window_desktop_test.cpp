// The main window and its result dialog on the SDL2 display of a private X
// server with a window manager and no compositing, as users meet them: what
// the screen shows of each window is what the window painted after another
// window covered it and went, after the dialog was dragged across the main
// window and after it closed; the main window carries its title and icon, a
// message box its caption. The X server going away ends the program without
// a crash. Skipped with a message where Xvfb or the window manager is missing.
#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/main_window_messages.h"
#include "platform/gui/display.h"
#include "platform/gui/input.h"
#include "platform/headless/headless.h"
#include "platform/linux/gui_sdl_display.h"
#include "tests/app/window_fixture.h"
#include "tests/app/x11_screen.h"
#include "tests/app/x11_session.h"
#include "ui/resource_ids.h"

namespace vexaro::app::test {
namespace {

using namespace gui;

// Program time (on the scaled clock) for the screen to show a change: the
// display's thread and the X server need a few real milliseconds.
constexpr std::uint64_t kShowLimitMs = 100000;
constexpr std::uint32_t kPollMs = 25;
// Program time a program may take to notice that its X server has gone.
constexpr std::uint64_t kServerGoneLimitMs = 250000;
// Program time the whole sequence may take, the layout check included.
constexpr std::uint64_t kSequenceLimitMs = 600000;
constexpr std::uint32_t kCoverColour = 0xFF00FF;
// Where the dialog is taken hold of (on its picture, clear of its close
// button) and how far it is dragged: down and left, half off the main window.
constexpr POINT kGrip{100, 70};
constexpr POINT kDrag{-180, 120};
constexpr int kDragSteps = 6;
constexpr POINT kDialogClose{200, 10};
const MessageBoxText kBox{"The keyboard is not ready.", "Keyboard Not Ready"};

template <typename Pred>
bool WaitFor(Pred pred, std::uint64_t limit_ms = kShowLimitMs) {
  const std::uint64_t end = sys::NowMs() + limit_ms;
  while (!pred()) {
    if (sys::NowMs() >= end) return false;
    sys::SleepMs(kPollMs);
  }
  return true;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

class MainWindowDesktopTest : public MainWindowTest {
 protected:
  static void SetUpTestSuite() {
    MainWindowTest::SetUpTestSuite();
    desktop_ = Session().Start(&why_);
  }
  // Ended at exit after the SDL display, which keeps its connection to the
  // server until then (made later, it is ended first).
  static X11Session& Session() {
    static X11Session session;
    return session;
  }

  // How many pixels of the window's area on the screen differ from what the
  // window painted, leaving out those under `above` (a window over it);
  // -1 when the window is not on the screen.
  int Differences(HWND h, const RECT* above) {
    RECT client{}, grabbed{};
    const std::unique_ptr<Bitmap> painted = headless::Capture(h);
    if (!painted || !screen_.ClientRect(sdl::X11Window(h), client)) return -1;
    if (client.right - client.left != painted->width || client.bottom - client.top != painted->height) return -1;
    const std::vector<std::uint32_t> shown = screen_.Grab(client, grabbed);
    int differences = 0;
    std::size_t i = 0;
    for (int y = grabbed.top; y < grabbed.bottom; ++y)
      for (int x = grabbed.left; x < grabbed.right; ++x, ++i) {
        if (above && Inside(*above, x, y)) continue;
        if (shown[i] != (painted->At(x - client.left, y - client.top) & 0xFFFFFFu)) ++differences;
      }
    return differences;
  }

  // Waits until the main window and, while it is open, the dialog over it
  // show on the screen what they painted; a failure names the step.
  void ExpectShownAsPainted(HWND dialog, const char* step) {
    int main_left = -1, dialog_left = 0;
    WaitFor([&] {
      RECT frame{};
      const bool open = IsWindow(dialog) && screen_.FrameRect(sdl::X11Window(dialog), frame);
      main_left = Differences(window_->m_hWnd, open ? &frame : nullptr);
      dialog_left = open ? Differences(dialog, nullptr) : 0;
      return main_left == 0 && dialog_left == 0;
    });
    EXPECT_EQ(main_left, 0) << "pixels of the main window not as painted " << step;
    EXPECT_EQ(dialog_left, 0) << "pixels of the dialog not as painted " << step;
  }

  HWND WaitForResultDialog() {
    HWND dialog = nullptr;
    WaitFor([&] {
      HWND active = GetActiveWindow();
      HWND text = active && active != window_->m_hWnd ? GetDlgItem(active, ui::kIdcResultText) : nullptr;
      if (text && GetWindowText(text) != "Static") dialog = active;
      return dialog != nullptr;
    }, kSequenceLimitMs / 2);
    return dialog;
  }

  void ExpectTitleAndIcon() {
    const unsigned long main = sdl::X11Window(window_->m_hWnd);
    const std::string title = GetWindowText(window_->m_hWnd);
    EXPECT_FALSE(title.empty());
    EXPECT_EQ(screen_.Text(main, "WM_NAME"), title);
    EXPECT_EQ(screen_.Text(main, "_NET_WM_NAME"), title);
    const std::vector<unsigned long> icon = screen_.Cardinals(main, "_NET_WM_ICON");
    ASSERT_GT(icon.size(), 2u) << "no _NET_WM_ICON on the main window";
    EXPECT_EQ(icon.size(), 2 + icon[0] * icon[1]);
    // A title given to the window once it is on the screen.
    const std::string renamed = title + " (renamed)";
    SetWindowText(window_->m_hWnd, renamed);
    EXPECT_TRUE(WaitFor([&] { return screen_.Text(main, "_NET_WM_NAME") == renamed; }));
    SetWindowText(window_->m_hWnd, title);
  }

  void CoverAndUncover(HWND dialog) {
    RECT main{}, box{}, both{};
    ASSERT_TRUE(screen_.FrameRect(sdl::X11Window(window_->m_hWnd), main));
    ASSERT_TRUE(screen_.FrameRect(sdl::X11Window(dialog), box));
    UnionRect(&both, &main, &box);
    screen_.Cover(both, kCoverColour);
    RECT grabbed{};
    const RECT middle{(box.left + box.right) / 2, (box.top + box.bottom) / 2, 0, 0};
    EXPECT_TRUE(WaitFor([&] {
      const auto shown = screen_.Grab({middle.left, middle.top, middle.left + 1, middle.top + 1}, grabbed);
      return shown.size() == 1 && shown[0] == kCoverColour;
    })) << "the covering window never showed";
    screen_.Uncover();
  }

  // Drags the dialog by the pointer, as the hand does: a press through SDL,
  // then the desktop's pointer moved in steps, then the release.
  void DragDialog(HWND dialog) {
    RECT client{}, before{}, after{};
    ASSERT_TRUE(screen_.ClientRect(sdl::X11Window(dialog), client));
    GetWindowRect(dialog, &before);
    const POINT from{client.left + kGrip.x, client.top + kGrip.y};
    sdl::MovePointer(from.x, from.y);
    ASSERT_TRUE(sdl::Press(dialog, kGrip.x, kGrip.y, true));
    ASSERT_TRUE(WaitFor([] { return input::CaptionDragActive(); })) << "the press on the dialog started no drag";
    for (int step = 1; step <= kDragSteps; ++step) {
      const POINT to{before.left + kDrag.x * step / kDragSteps, before.top + kDrag.y * step / kDragSteps};
      sdl::MovePointer(from.x + kDrag.x * step / kDragSteps, from.y + kDrag.y * step / kDragSteps);
      EXPECT_TRUE(WaitFor([&] {
        GetWindowRect(dialog, &after);
        return after.left == to.x && after.top == to.y;
      })) << "the dialog did not follow the pointer at step " << step;
    }
    sdl::Press(dialog, kGrip.x, kGrip.y, false);
    EXPECT_TRUE(WaitFor([] { return !input::CaptionDragActive(); }));
  }

  // A message box is made hidden and gets its caption before it is shown.
  void ExpectBoxCaptionAsTitle() {
    PostMessage(window_->m_hWnd, kMsgMessageBox, 0, reinterpret_cast<LPARAM>(&kBox));
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      HWND active = GetActiveWindow();
      if (active && active != window_->m_hWnd && sdl::X11Window(active)) box = active;
      return box != nullptr;
    })) << "no message box came up";
    EXPECT_EQ(screen_.Text(sdl::X11Window(box), "WM_NAME"), kBox.caption);
    ExpectShownAsPainted(box, "with a message box over it");
    PostMessage(box, WM_CLOSE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
  }

  // Runs on a thread of its own while the window's thread is in the dialog's
  // modal loop.
  void Sequence() {
    HWND dialog = WaitForResultDialog();
    if (!dialog) {
      ADD_FAILURE() << "no result dialog came up";
      return;
    }
    ExpectShownAsPainted(dialog, "once shown");
    ExpectTitleAndIcon();
    CoverAndUncover(dialog);
    ExpectShownAsPainted(dialog, "after a window over them went away");
    DragDialog(dialog);
    ExpectShownAsPainted(dialog, "after the dialog was dragged");
    sdl::Click(dialog, kDialogClose.x, kDialogClose.y);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "the dialog's close button did not close it";
    ExpectShownAsPainted(dialog, "after the dialog closed");
    // Whatever failed, the modal loop must end for the test to.
    if (IsWindow(dialog)) {
      PostMessage(dialog, WM_CLOSE);
      return;
    }
    ExpectBoxCaptionAsTitle();
  }

  static inline bool desktop_ = false;
  static inline std::string why_;
  X11Screen screen_;
};

TEST_F(MainWindowDesktopTest, WindowsShowWhatTheyPaintedUnderAWindowManager) {
  if (!desktop_) GTEST_SKIP() << "no desktop to test on: " << why_;
  ASSERT_TRUE(screen_.Ok());
  ASSERT_STREQ(CurrentDisplay().Name(), "sdl");
  StartKeyboard(kOtherLayoutVersion);
  SetMessageBoxHook({});  // message boxes as users see them
  window_ = std::make_unique<CVexaroDlg>();
  ASSERT_TRUE(window_->Create(ui::kIddMainWindow));
  std::atomic<bool> done{false};
  std::thread sequence([&] {
    Sequence();
    done = true;
  });
  EXPECT_TRUE(RunUntil([&] { return done.load(); }, kSequenceLimitMs));
  sequence.join();
}

// Xlib ends the program from the display's thread when the X server goes
// away (the desktop session ended or crashed); that exit waits for the
// display's thread to end, which must not be a wait for itself (an abort).
TEST_F(MainWindowDesktopTest, AnXServerGoneEndsTheProgramWithoutACrash) {
  if (!desktop_) GTEST_SKIP() << "no desktop to test on: " << why_;
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        CreateWindowEx(0, "#32770", "Lost", WS_POPUP | WS_VISIBLE, 10, 10, 100, 80, nullptr, 0);
        PumpPendingMessages();
        Session().EndServer();
        const std::uint64_t end = sys::NowMs() + kServerGoneLimitMs;
        while (sys::NowMs() < end) sys::SleepMs(kPollMs);
        std::exit(2);  // the loss went unnoticed
      },
      ::testing::ExitedWithCode(1), "");
}

}  // namespace
}  // namespace vexaro::app::test
