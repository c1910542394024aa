// Whole updates of the simulated keyboard through the controller and the
// worker: the stages in order, what ends up in the keyboard's flash, the
// progress bar, and the result.
#include <algorithm>
#include <fstream>

#include "tests/updater/update_fixture.h"

namespace vexaro::updater::testing {
namespace {

using Texts = std::vector<std::string>;

// True when want appears in have in this order (other texts may lie between).
bool InOrder(const Texts& have, const Texts& want) {
  auto at = have.begin();
  for (const std::string& text : want) {
    at = std::find(at, have.end(), text);
    if (at == have.end()) return false;
    ++at;
  }
  return true;
}

std::string Joined(const Texts& texts) {
  std::string all;
  for (const auto& t : texts) all += "[" + t + "] ";
  return all;
}

std::vector<std::uint8_t> Record(const std::string& version) {
  std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(version.size()), 0, 0, 0};
  bytes.insert(bytes.end(), version.begin(), version.end());
  return bytes;
}

class UpdateSequenceTest : public UpdateFixture {
 protected:
  void ExpectInstalled(const std::string& version) {
    EXPECT_EQ(Flash(kApStart, static_cast<std::uint32_t>(image_.size())), image_);
    EXPECT_EQ(Flash(kVersionRecordAddress, static_cast<std::uint32_t>(4 + version.size())), Record(version));
    ASSERT_TRUE(view_.Outcome().has_value());
    EXPECT_TRUE(view_.Outcome()->success) << view_.Outcome()->failureText;
    EXPECT_TRUE(view_.HasTimer(kSuccessTimer));
    EXPECT_FALSE(view_.HasTimer(kFailureTimer));
    EXPECT_EQ(view_.Statuses().back(), "Operation successful.");
    EXPECT_EQ(keyboard_->CurrentMode(), sim::Mode::kApplication);
  }
};

TEST_F(UpdateSequenceTest, IapLoaderWithoutExternalImageInstallsImageAndVersionRecord) {
  Start({}, {});
  EXPECT_EQ(view_.Connections().back(), "AP Connected");
  RunUpdate();
  ExpectInstalled("1.3");
  const Texts statuses = view_.Statuses();
  EXPECT_TRUE(InOrder(statuses, {"NA", "Starting IAP mode....", "Connecting....", "Connected", "Eraseing internal....",
                                 "Programming internal....", "Verifing....", "Digest Check....", "Reset to AP...",
                                 "Operation Success", "Operation successful."}))
      << Joined(statuses);
  EXPECT_FALSE(view_.HasStatus("Reset...."));
  EXPECT_FALSE(view_.HasStatus("Erasing external...."));
  EXPECT_EQ(view_.Connections().back(), "USB, HT32F1654, IAP V100");
  // The internal part of the bar starts at 35 and takes eleven steps of 7 to 105.
  const std::vector<int> progress = view_.Progress();
  const std::vector<int> expected = {35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 105, 0};
  EXPECT_EQ(progress, expected);
  EXPECT_EQ(Controller().Loader().LoaderKind, "IAP");
  EXPECT_EQ(Controller().Loader().VersionEnd, kVersionRecordAddress + 7);  // "1.3": 4 + 3 bytes in whole words
}

// The package is read once, at the start: a file emptied while the keyboard
// waits is not read again, and the update installs what was checked.
TEST_F(UpdateSequenceTest, PackageFileChangedAfterTheStartIsNotReadAgain) {
  Start({}, {});
  std::ofstream(packageFile_, std::ios::binary | std::ios::trunc).put('x');
  RunUpdate();
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->success);
  EXPECT_EQ(Flash(kApStart, static_cast<std::uint32_t>(image_.size())), image_);
}

TEST_F(UpdateSequenceTest, IapLoaderWithExternalImageProgramsItFirst) {
  PackagePlan package;
  package.external = true;
  Start(package, {});
  RunUpdate();
  ExpectInstalled("1.3");
  EXPECT_EQ(Flash(package.externalStart, package.externalLength), externalImage_);
  const Texts statuses = view_.Statuses();
  EXPECT_TRUE(InOrder(statuses, {"Connected", "Erasing external....", "Programming external....",
                                 "Verifing external....", "Eraseing internal....", "Programming internal...."}))
      << Joined(statuses);
  // Four external steps, then the raise to 35 is a no-op and the rest follows.
  const std::vector<int> progress = view_.Progress();
  const std::vector<int> expected = {7, 14, 21, 28, 35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 105, 0};
  EXPECT_EQ(progress, expected);
}

// The "ISP" loader's sequence with the internal image alone.
TEST_F(UpdateSequenceTest, IspLoaderMassErasesResetsAndReconnects) {
  KeyboardPlan keyboard;
  keyboard.loader = sim::LoaderKind::kIsp;
  keyboard.reEnumerationMs = 1500;
  Start({}, keyboard);
  RunUpdate();
  ExpectInstalled("1.3");
  const Texts statuses = view_.Statuses();
  EXPECT_TRUE(InOrder(statuses, {"Connected", "Eraseing internal....", "Reset....", "Connecting....",
                                 "Programming internal....", "Verifing....", "Operation Success"}))
      << Joined(statuses);
  EXPECT_FALSE(view_.HasStatus("Erasing external...."));
  EXPECT_EQ(view_.Connections().back(), "USB, HT32F1654, ISP V100");
}

// An external image in the chip's own flash would be cleared by the mass
// erase, so with an "ISP" loader it is written after the loader is back;
// the bar takes the same steps as without it.
TEST_F(UpdateSequenceTest, IspLoaderWritesAnExternalImageInItsFlashAfterTheMassErase) {
  PackagePlan package;
  package.external = true;
  KeyboardPlan keyboard;
  keyboard.loader = sim::LoaderKind::kIsp;
  Start(package, keyboard);
  RunUpdate();
  ExpectInstalled("1.3");
  EXPECT_EQ(Flash(package.externalStart, package.externalLength), externalImage_);
  EXPECT_TRUE(InOrder(view_.Statuses(), {"Eraseing internal....", "Reset....", "Connecting....", "Erasing external....",
                                         "Programming external....", "Verifing external....",
                                         "Programming internal...."}))
      << Joined(view_.Statuses());
  const std::vector<int> expected = {35, 42, 49, 56, 63, 70, 77, 84, 91, 98, 105, 0};
  EXPECT_EQ(view_.Progress(), expected);
}

TEST_F(UpdateSequenceTest, KeyboardAlreadyInLoaderModeIsUpdatedWithoutARestartRequest) {
  KeyboardPlan keyboard;
  keyboard.startInLoader = true;
  Start({}, keyboard);
  EXPECT_EQ(view_.Connections().back(), "IAP Connected");
  EXPECT_EQ(view_.UpdateEnabled(), true);
  RunUpdate();
  ExpectInstalled("1.3");
  EXPECT_TRUE(InOrder(view_.Statuses(), {"Starting IAP mode....", "Connected IAP....", "Connecting....", "Connected"}));
}

// A keyboard whose version record was never written (erased flash, length
// word 0xFFFFFFFF) shows "NA", has the longest record erased, and is updated.
TEST_F(UpdateSequenceTest, NeverWrittenVersionRecordShowsNaAndTheKeyboardIsUpdated) {
  KeyboardPlan keyboard;
  keyboard.startInLoader = true;
  Start({}, keyboard);
  ASSERT_TRUE(keyboard_->WriteFlash(kVersionRecordAddress, std::vector<std::uint8_t>(132, 0xFF)));
  ASSERT_TRUE(Controller().ConnectLoader());
  EXPECT_EQ(view_.Versions().back(), "NA");
  EXPECT_EQ(Controller().Loader().VersionLength, 128u);
  EXPECT_EQ(Controller().Loader().VersionEnd, kVersionRecordAddress + 131);
  Controller().StartProgramming();
  AwaitResult();
  ExpectInstalled("1.3");
}

}  // namespace
}  // namespace vexaro::updater::testing
