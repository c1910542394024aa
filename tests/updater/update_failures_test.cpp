// Each failure of the update sequence, provoked by the simulated keyboard:
// its text, the failure result, the closing status text, the loader left
// running, and the size check at its boundary.
#include <algorithm>

#include "tests/updater/update_fixture.h"

namespace vexaro::updater::testing {
namespace {

struct FailureCase {
  const char* name;
  const char* faults;
  sim::LoaderKind loader;
  bool external;
  const char* text;
  UpdateStage stage;
};

// The start keyboard's version record holds "1.2": 0x27FC up to 0x2802.
// The image is 0x601 bytes from 0x2C00: the application area up to 0x3200.
// The external image lies at 0x9000.
// A stage is given up after 1000 polls (10 s of program time, 0.4 s of real
// time at the fixture's clock scale) while the report channel is closed; the
// image is kept small (30 reports) so that a loaded machine finishes each
// transfer well inside that, and only the injected fault fails a stage.
constexpr std::uint32_t kFailureImageLength = 0x601;
const FailureCase kFailures[] = {
    {"EraseExternal", "erase-fail-at=0x9100", sim::LoaderKind::kIap, true, "Erase external failed! 00009000-00009405", UpdateStage::EraseExternal},
    {"ProgramExternal", "program-fail-at=0x9100", sim::LoaderKind::kIap, true, "Program External Failed!", UpdateStage::ProgramExternal},
    {"VerifyExternal", "verify-fail-at=0x9100", sim::LoaderKind::kIap, true, "External Verify Failed!", UpdateStage::VerifyExternal},
    {"EraseVersion", "erase-fail-at=0x27FC", sim::LoaderKind::kIap, false, "Erase Ver failed! 0x000027FC-0x00002802", UpdateStage::Erase},
    {"EraseApplication", "erase-fail-at=0x3000", sim::LoaderKind::kIap, false, "Erase AP failed! 00002C00-00003200", UpdateStage::Erase},
    {"MassErase", "erase-fail-at=0x3000", sim::LoaderKind::kIsp, false, "Mass Erase failed!", UpdateStage::Erase},
    {"Reset", "fail-reset", sim::LoaderKind::kIsp, false, "Reset Failed!", UpdateStage::Reset},
    {"Program", "program-fail-at=0x3000", sim::LoaderKind::kIap, false, "Program Failed!", UpdateStage::Program},
    {"Verify", "verify-fail-at=0x3000", sim::LoaderKind::kIap, false, "AP Verify Failed!", UpdateStage::Verify},
    {"ProgramVersion", "program-fail-at=0x27FC", sim::LoaderKind::kIap, false, "Program Version Failed!", UpdateStage::VersionRecord},
    {"VerifyVersion", "verify-fail-at=0x27FC", sim::LoaderKind::kIap, false, "Version Verify Failed!", UpdateStage::VersionRecord},
    {"ApplicationDoesNotStart", "stay-in-loader", sim::LoaderKind::kIap, false, "[ERROR] Can't Reset to AP...", UpdateStage::StartApplication},
};

class UpdateFailureTest : public UpdateFixture, public ::testing::WithParamInterface<FailureCase> {
 protected:
  void ExpectFailure(const std::string& text) {
    ASSERT_TRUE(view_.Outcome().has_value());
    EXPECT_FALSE(view_.Outcome()->success);
    EXPECT_EQ(view_.Outcome()->failureText, text);
    EXPECT_TRUE(view_.HasStatus(text));
    EXPECT_TRUE(view_.HasTimer(kFailureTimer));
    EXPECT_FALSE(view_.HasTimer(kSuccessTimer));
    // The hidden status field closes with this text on every run.
    EXPECT_EQ(view_.Statuses().back(), "Operation successful.");
    EXPECT_FALSE(view_.HasStatus("Operation Success"));
    EXPECT_EQ(view_.Progress().back(), 0);
  }
};

TEST_P(UpdateFailureTest, EndsWithItsTextTheFailureResultAndTheLoaderRunning) {
  const FailureCase& c = GetParam();
  PackagePlan package;
  package.external = c.external;
  package.imageLength = kFailureImageLength;
  KeyboardPlan keyboard;
  keyboard.loader = c.loader;
  keyboard.faults = c.faults;
  Start(package, keyboard);
  RunUpdate();
  ExpectFailure(c.text);
  ASSERT_TRUE(Controller().LastUpdate().has_value());
  EXPECT_EQ(Controller().LastUpdate()->stage, c.stage);
  EXPECT_TRUE(LeavesKeyboardInUpdateMode(*Controller().LastUpdate()));
  EXPECT_EQ(keyboard_->CurrentMode(), sim::Mode::kLoader);
  EXPECT_TRUE(keyboard_->IsPlugged());
  EXPECT_EQ(Controller().State(), UpdateState::Idle);
}

INSTANTIATE_TEST_SUITE_P(EveryStage, UpdateFailureTest, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& p) { return std::string(p.param.name); });

using SizeCheckTest = UpdateFixture;

// The check keeps 1024 bytes of the 64 KiB flash for the loader, and the
// image must fit between the application start (0x2C00) and the flash end:
// an image of FlashSize - 1024 bytes passes the first rule but not the
// second, and is refused before the old firmware is erased.
TEST_F(SizeCheckTest, ImageThatCannotFitFromTheApplicationStartIsRefusedBeforeAnyErase) {
  PackagePlan package;
  package.imageLength = kFlashSize - 1024;
  Start(package, {});
  RunUpdate();
  const std::vector<std::string> box = {"Image size is large the chip size! / Image Size Error"};
  EXPECT_EQ(view_.MessageBoxes(), box);
  EXPECT_FALSE(view_.HasStatus("Eraseing internal...."));
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->imageTooLarge);
  // The old firmware and its version record are still there.
  EXPECT_EQ(Flash(kApStart, 4), ApplicationImage(4, 9));
  EXPECT_EQ(Flash(kVersionRecordAddress, 4), (std::vector<std::uint8_t>{3, 0, 0, 0}));

  Restart();
  package.imageLength = kFlashSize - kApStart + 1;
  Start(package, {});
  RunUpdate();
  EXPECT_EQ(view_.MessageBoxes(), box);
  EXPECT_EQ(Flash(kApStart, 4), ApplicationImage(4, 9));
}

TEST_F(SizeCheckTest, ImageOfFlashSizeLess1024PlusOneFailsTheLoaderReserve) {
  PackagePlan package;
  package.imageLength = kFlashSize - 1024 + 1;
  Start(package, {});
  RunUpdate();
  const std::vector<std::string> boxes = {"Image size is large the chip size! / Image Size Error"};
  EXPECT_EQ(view_.MessageBoxes(), boxes);
  EXPECT_FALSE(view_.HasStatus("Eraseing internal...."));
  EXPECT_EQ(view_.Connections().back(), "Not Connected");
  const auto statuses = view_.Statuses();
  EXPECT_EQ(statuses[statuses.size() - 2], "NA");
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_FALSE(view_.Outcome()->success);
  EXPECT_TRUE(view_.Outcome()->imageTooLarge);
  EXPECT_TRUE(view_.HasTimer(kFailureTimer));
  // Nothing was erased: the old firmware is still there.
  EXPECT_EQ(Flash(kApStart, 4), ApplicationImage(4, 9));
}

// Refused once the loader has told its flash, before the first write: the
// keyboard keeps its firmware and version record and starts them again, and
// nothing of the external image was written.
TEST_F(SizeCheckTest, ExternalImageOutsideTheFlashOrOverTheUpdatedPagesIsRefusedBeforeAnyWrite) {
  struct Case {
    std::uint32_t imageLength, externalStart;
    std::string box;
  };
  const std::string sizeBox = "Image size is large the chip size! / Image Size Error";
  const Case cases[] = {
      {kFailureImageLength, 0x2400,
       "External image 0x00002400-0x00002807 overlaps the version record's pages 0x00002400-0x00002BFF"},
      {kFailureImageLength, 0x3000,
       "External image 0x00003000-0x00003407 overlaps the application's pages 0x00002C00-0x000033FF"},
      {kFailureImageLength, 0xFE00, "External image 0x0000FE00-0x00010207 lies outside the flash 0x00000000-0x0000FFFF"},
      // The size check too comes before the external image is written.
      {kFlashSize - 1024 + 1, 0x9000, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.externalStart);
    Restart();
    PackagePlan package;
    package.imageLength = c.imageLength;
    package.external = true;
    package.externalStart = c.externalStart;
    Start(package, {});
    RunUpdate();
    const std::string box = c.box.empty() ? sizeBox : c.box + " / Image Range Error";
    EXPECT_EQ(view_.MessageBoxes(), std::vector<std::string>{box});
    ASSERT_TRUE(view_.Outcome().has_value());
    EXPECT_FALSE(view_.Outcome()->success);
    EXPECT_EQ(view_.Outcome()->failureText, c.box.empty() ? "Image size is large the chip size!" : c.box);
    EXPECT_FALSE(view_.HasStatus("Erasing external...."));
    EXPECT_EQ(Flash(kApStart, 4), ApplicationImage(4, 9));
    EXPECT_EQ(Flash(kVersionRecordAddress, 7), (std::vector<std::uint8_t>{3, 0, 0, 0, '1', '.', '2'}));
    EXPECT_EQ(Flash(0x9000, 4), std::vector<std::uint8_t>(4, 0xFF));
    EXPECT_EQ(keyboard_->PowerOnMode(), sim::Mode::kApplication);
    // Nothing was written: the old firmware runs again at once.
    EXPECT_TRUE(PumpUntil([&] { return keyboard_->CurrentMode() == sim::Mode::kApplication; }));
    EXPECT_FALSE(LeavesKeyboardInUpdateMode(*Controller().LastUpdate()));
  }
}

}  // namespace
}  // namespace vexaro::updater::testing
