// How long each command waits for a status that never comes, on the scaled
// program clock, and how zero bytes inside a status are read.
#include <functional>
#include <string>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

constexpr std::uint8_t kReadCommand = 0x01, kReadSubCommand = 0x02, kInformationCommand = 0x03;
constexpr int kAttempts = 3;

// Windows are counted in whole seconds of the clock: starting half-way
// through a second puts a window of W seconds at W + 0.5 seconds, and one
// that ends a second early at W - 0.5, whatever the previous wait left.
void StartMidSecond() {
  const std::uint64_t now = sys::NowMs();
  sys::SleepMs(static_cast<std::uint32_t>((1500 - now % 1000) % 1000));
}

// Answers the probe and sends the data reports of reads and information
// requests, but never a status after a command.
void GiveDataButNoStatus(ScriptedDevice& device) {
  device.onCommand = [](const Report& r, ScriptedDevice& d) {
    if ((r[1] == kReadCommand && r[2] == kReadSubCommand) || r[1] == kInformationCommand) {
      d.PushData(Report(64, 0x11));
    }
  };
}

TEST_F(EngineTest, EachCommandWaitsItsOwnWindowForAMissingStatus) {
  // About 37 program seconds in under 4 s; the slack of the upper bound is
  // then at least 250 ms of real time for a loaded machine.
  sys::SetClockScale(10);
  auto device = PlugLoader();
  GiveDataButNoStatus(*device);
  std::vector<std::uint8_t> buffer(64);
  char text[32];
  std::int32_t length = 0;
  std::uint16_t value = 0;
  struct Case {
    const char* name;
    std::uint64_t windowSeconds;
    std::function<std::int32_t()> run;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"page erase", 10, [] { return ISP_ErasePage(0x1000, 0x13FF); }, ISP_FAILED},
      {"mass erase", 2, [] { return ISP_EraseMass(); }, ISP_FAILED},
      {"blank check", 2, [] { return ISP_BlankCheck(0x1000, 0x13FF); }, ISP_FAILED},
      {"read", 2, [&] { return ISP_ReadData(0x1000, 0x103F, buffer.data()); }, ISP_FAILED},
      {"program", 6, [&] { return ISP_WriteProgramB(0x1000, 0x103F, 1, buffer.data()); }, ISP_FAILED},
      {"information", 2, [&] { return ISP_GetInformation(0, text, &length); }, ISP_OK},
      {"checksum", 2, [&] { return ISP_CRCCheck(0, 32, &value, buffer.data()); }, 0},
  };
  for (const Case& c : cases) {
    // A loaded machine may stall the test between the engine's clock readings
    // and its own by a few hundred program milliseconds, which moves either
    // bound; a wrong window is wrong on every attempt, a stall is not.
    std::string elapsedSeen;
    bool within = false;
    for (int attempt = 0; attempt < kAttempts && !within; ++attempt) {
      StartMidSecond();
      const std::uint64_t start = sys::NowMs();
      EXPECT_EQ(c.run(), c.expected) << c.name;
      const std::uint64_t elapsed = sys::NowMs() - start;
      // A window of W whole seconds lasts W to W + 1 seconds; the upper bound
      // leaves room for a loaded machine.
      within = elapsed >= c.windowSeconds * 1000 && elapsed < (2 * c.windowSeconds + 1) * 1000;
      // Appended in two steps: the cross compiler's optimiser misreads a
      // temporary string joined in front of another as an overlapping copy.
      elapsedSeen += ' ';
      elapsedSeen += std::to_string(elapsed);
    }
    EXPECT_TRUE(within) << c.name << ": a window of " << c.windowSeconds
                        << " s, program milliseconds of each attempt:" << elapsedSeen;
  }
}

TEST_F(EngineTest, ZeroBytesInAStatusAreSkippedWhereverTheyStand) {
  auto device = PlugLoader();
  device->SetProbeAnswer(std::string("\0\0F", 3));
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueStatus(std::string("\0O\0", 3)); };
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 3) d.QueueStatus(std::string("O\0\0O\0O", 6));
  };
  const std::vector<std::uint8_t> data(3 * 52, 0x77);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 3 * 52 - 1, 1, data.data()), ISP_OK);
}

}  // namespace
}  // namespace vexaro::isp::testing
