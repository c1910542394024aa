// Bad packages at the end of the program file: vexaro-flash (and the
// controller the window uses) answers "Image format invalid!" or another
// failure result, never success and never a crash, and the keyboard keeps
// its old firmware.
#include <gtest/gtest.h>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/reliability/bad_packages.h"
#include "tests/reliability/campaign.h"
#include "tests/reliability/simulated_bus_test.h"
#include "tools/vexaro-flash/flash_options.h"

namespace vexaro::reliability {
namespace {


class BadPackageTest : public SimulatedBusTest {};

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(BadPackageTest, EveryBadPackageFailsWithoutTouchingTheKeyboardsFirmware) {
  Campaign campaign({sim::LoaderKind::kIap, true}, "bad-package");
  const std::vector<std::uint8_t> good = campaign.PackageBytes();
  const std::vector<std::uint8_t> oldImage = Campaign::OldImage();
  for (const BadPackage& bad : BadPackages(good, kPackageKey)) {
    SCOPED_TRACE(bad.name);
    campaign.ReplacePackage(bad.bytes);
    const RunResult run = campaign.RunFresh("");
    EXPECT_NE(run.exitCode, flash::kExitSuccess) << run.output;
    EXPECT_FALSE(run.success);
    // Refused at the start, refused by the checks, or the update's failure.
    EXPECT_TRUE(run.exitCode == flash::kExitBadPackage || run.exitCode == flash::kExitUpdateFailed ||
                run.exitCode == flash::kExitRefused || run.exitCode == flash::kExitNoKeyboard)
        << run.exitCode << "\n" << run.output;
    if (run.exitCode == flash::kExitBadPackage) {
      EXPECT_TRUE(Has(run.output, "Image format invalid!")) << run.output;
      EXPECT_EQ(campaign.Keyboard().OutputReports(), 0u) << "refused only after talking to the keyboard";
    }
    // A damaged package that carries a digest never gets as far as the keyboard.
    if (bad.name.rfind("bit flipped", 0) == 0) {
      EXPECT_EQ(run.exitCode, flash::kExitBadPackage) << run.output;
    }
    EXPECT_EQ(campaign.Keyboard().ReadFlash(campaign.Keyboard().ApplicationStart(), 64),
              std::vector<std::uint8_t>(oldImage.begin(), oldImage.begin() + 64));
    EXPECT_EQ(campaign.Keyboard().PowerOnMode(), sim::Mode::kApplication);
  }
  // The good package still installs.
  campaign.ReplacePackage(good);
  const RunResult run = campaign.RunFresh("");
  EXPECT_EQ(run.exitCode, flash::kExitSuccess) << run.output;
}

}  // namespace
}  // namespace vexaro::reliability
