// Every text of the real windows, as the headless display renders them, keeps
// the WCAG AA contrast of 4.5:1 against what it is drawn on: the texts baked
// into the skin and the ones the window paints, before, during and after an
// update, with and without a keyboard, and in each result dialog. The figures
// are printed, so docs/skin.md can quote what was measured.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "tests/app/text_contrast.h"
#include "tests/app/window_fixture.h"
#include "tests/gui/gui_test_util.h"
#include "tools/skin-gen/skin_layout.h"
#include "ui/resource_ids.h"
#include "ui/result_dialog.h"

namespace vexaro::app::test {
namespace {

using namespace gui;
namespace layout = skin;

constexpr double kAa = 4.5;
// Below this nothing stands out of a box: it holds no text.
constexpr double kNoText = 1.6;

struct TextBox {
  const char* name;
  layout::Rect box;
};

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

layout::Rect Offset(const layout::Rect& r, const layout::Rect& by) {
  return {r.left + by.left, r.top + by.top, r.right + by.left, r.bottom + by.top};
}

// The texts in the background picture, and the two values always painted.
const std::vector<TextBox>& MainWindowTexts() {
  static const std::vector<TextBox> texts = {
      {"wordmark", layout::kWordmarkText},
      {"product line", layout::kProductLineText},
      {"title", layout::kTitleText},
      {"label: update version", layout::kUpdateVersionLabel},
      {"label: keyboard", layout::kProductNameLabel},
      {"label: current version", layout::kCurrentVersionLabel},
      {"advice line 1", layout::kHintText1},
      {"advice line 2", layout::kHintText2},
      {"value: update version", layout::kUpdateVersionText},
      {"value: product name", layout::kProductNameText},
      {"update button lettering", Offset(layout::kUpdateLetteringBox, layout::kUpdateButton)},
  };
  return texts;
}

void ExpectReadable(const Bitmap& shot, const TextBox& text, const std::string& when) {
  const TextContrast c = MeasureText(shot, ToRect(text.box));
  std::printf("contrast %-10s %-26s %s\n", when.c_str(), text.name, Describe(c).c_str());
  EXPECT_GE(c.ratio, kAa) << when << ", " << text.name << ": " << Describe(c);
}

class SkinContrastTest : public MainWindowTest {
 protected:
  std::unique_ptr<Bitmap> Shot() {
    auto shot = headless::Capture(window_->m_hWnd);
    EXPECT_NE(shot, nullptr);
    return shot;
  }
  void ExpectAllReadable(const std::string& when, bool currentVersionShown) {
    auto shot = Shot();
    ASSERT_NE(shot, nullptr);
    for (const TextBox& text : MainWindowTexts()) ExpectReadable(*shot, text, when);
    const TextBox current{"value: current version", layout::kCurrentVersionText};
    if (currentVersionShown) {
      ExpectReadable(*shot, current, when);
    } else {
      // The empty state is the empty slot: nothing drawn in it.
      const layout::Rect inner{current.box.left, current.box.top + 1, current.box.right - 2, current.box.bottom - 2};
      EXPECT_LT(MeasureText(*shot, ToRect(inner)).ratio, kNoText) << when << ": the slot is not empty";
    }
  }
};

TEST_F(SkinContrastTest, MainWindowTextsReadBeforeDuringAndAfterAnUpdate) {
  StartKeyboard(kOlderVersion);
  OpenWindow();
  ExpectAllReadable("idle", true);
  // The lettering stays readable on the lighter face of the hovered button.
  headless::MoveMouse(window_->m_hWnd, 435, 192);
  RunFor(200);
  ASSERT_NE(window_->UpdateButton().m_hWnd, nullptr);
  auto hovered = Shot();
  ASSERT_NE(hovered, nullptr);
  ExpectReadable(*hovered, MainWindowTexts().back(), "hovered");
  headless::MoveMouse(window_->m_hWnd, 200, 200);
  RunFor(200);

  ClickUpdateButton();
  bool measured = false;
  ASSERT_TRUE(RunUntil(
      [&] {
        const int pos = window_->ProgressPos();
        if (!measured && pos >= 30 && pos < 90) {
          measured = true;
          ExpectAllReadable("updating", false);
        }
        return window_->Controller().State() == updater::UpdateState::Idle &&
               window_->Controller().LastResultKind() != updater::ResultKind::None;
      },
      kUpdateLimitMs));
  EXPECT_TRUE(measured);
  ASSERT_TRUE(RunUntil([&] { return FieldText(ui::kIdcCurrentVersion) == kPackageVersion; }));
  RunFor(500);
  ExpectAllReadable("updated", true);
}

TEST_F(SkinContrastTest, WithoutAKeyboardTheCurrentVersionSlotIsEmptyAndEveryTextReads) {
  OpenWindow();
  EXPECT_EQ(window_->Controller().Channel().Version(), "");
  SavePicture("main-window-no-keyboard.png");
  ExpectAllReadable("no keyboard", false);
}

TEST(ResultDialogContrast, EveryTextOfEachResultDialogReads) {
  const char* const names[] = {"layout error", "success", "failed"};
  const std::vector<TextBox> texts = {{"wordmark", layout::kResultWordmarkText},
                                      {"heading", layout::kResultHeadingText},
                                      {"outcome", layout::kResultOutcomeText},
                                      {"advice", layout::kResultAdviceText}};
  for (int code = 0; code < 3; ++code) {
    ui::CWarning dialog;
    dialog.m_nResultCode = code;
    ASSERT_TRUE(dialog.Create(0, nullptr));
    dialog.ShowWindow(SW_SHOW);
    gui::test::Pump();
    auto shot = headless::Capture(dialog);
    ASSERT_NE(shot, nullptr);
    for (const TextBox& text : texts) ExpectReadable(*shot, text, names[code]);
    dialog.DestroyWindow();
    gui::test::Pump();
  }
}

}  // namespace
}  // namespace vexaro::app::test
