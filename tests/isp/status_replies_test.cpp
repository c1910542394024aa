// How long each command waits for a status that never comes, on the scaled
// program clock, and how zero bytes inside a status are read.
#include <cstdint>
#include <functional>
#include <string>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

constexpr std::uint8_t kReadCommand = 0x01, kReadSubCommand = 0x02, kInformationCommand = 0x03;

// Windows are counted in whole seconds of the clock. Starting half-way
// through a second keeps a command's write and the engine's first poll in the
// same second, so the bounds below meet.
void StartMidSecond() {
  const std::uint64_t now = sys::NowMs();
  sys::SleepMs(static_cast<std::uint32_t>((1500 - now % 1000) % 1000));
}

// The window W (in whole seconds) that a run of unanswered polls shows. The
// engine reads the second t0 after its command's write and before its first
// poll, and polls again while the clock's second is at most t0 + W: so the
// check after the last poll but one passed (W >= its second - t0) and the
// check after the last poll, read before the call returned, failed
// (W < its second - t0). The readings come from inside the engine's calls;
// a stall of the thread can only widen the bounds, never exclude the true W.
// Without a stall both bounds are W.
struct WindowBounds {
  std::int64_t least = 0;
  std::int64_t most = 0;
};

WindowBounds WindowFromPolls(const PollTimes& polls, std::uint64_t returnedMs) {
  const auto second = [](std::uint64_t ms) { return static_cast<std::int64_t>(ms / 1000); };
  if (polls.refused == 0) return {1, 0};  // no poll at all: no window fits
  return {second(polls.lastButOneRefusedMs) - second(polls.firstRefusedMs),
          second(returnedMs) - second(polls.writeMs) - 1};
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
  // About 37 program seconds in under 4 s.
  sys::SetClockScale(10);
  auto device = PlugLoader();
  GiveDataButNoStatus(*device);
  std::vector<std::uint8_t> buffer(64);
  char text[32];
  std::int32_t length = 0;
  std::uint16_t value = 0;
  struct Case {
    const char* name;
    std::int64_t windowSeconds;
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
    StartMidSecond();
    EXPECT_EQ(c.run(), c.expected) << c.name;
    const std::uint64_t end = sys::NowMs();
    const WindowBounds bounds = WindowFromPolls(device->PollsSinceLastWrite(), end);
    EXPECT_TRUE(bounds.least <= c.windowSeconds && c.windowSeconds <= bounds.most)
        << c.name << ": a window of " << c.windowSeconds << " s, the polls allow " << bounds.least << " to "
        << bounds.most << " s";
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
