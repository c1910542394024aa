// Program, verify and read transfers: report counts and contents, the
// batched acknowledgements and their judging, argument checks, progress.
#include <numeric>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
  return bytes;
}

// Holds the "O"s back and gives them as one status per batch, as the loader does.
struct BatchingLoader {
  int pending = 0;
  void Attach(ScriptedDevice& device) {
    device.onCommand = [this](const Report&, ScriptedDevice& d) {
      if (++pending % 60 == 0) d.QueueStatus(std::string(60, 'O'));
    };
  }
};

TEST_F(EngineTest, TransferSplitsRangesIntoFiftyTwoByteReports) {
  auto device = PlugLoader();
  const auto data = Pattern(104);
  struct Case { std::uint32_t size; std::vector<std::uint32_t> counts; };
  for (const Case& c : {Case{52, {52}}, Case{53, {52, 1}}, Case{104, {52, 52}}}) {
    const auto before = device->Commands().size();
    std::string acks(c.counts.size(), 'O');
    device->onCommand = [acks, left = c.counts.size()](const Report&, ScriptedDevice& d) mutable {
      if (--left == 0) d.QueueStatus(acks);
    };
    ASSERT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + c.size - 1, 1, data.data()), ISP_OK) << c.size;
    auto commands = device->Commands();
    ASSERT_EQ(commands.size() - before, c.counts.size());
    std::uint32_t offset = 0;
    for (std::size_t i = 0; i < c.counts.size(); ++i) {
      const Report& r = commands[before + i];
      EXPECT_EQ(r.size(), 65u);
      EXPECT_EQ(r[1], 0x01);
      EXPECT_EQ(r[2], 0x01);
      EXPECT_EQ(WordIn(r, 5), 0x1000 + offset);
      EXPECT_EQ(WordIn(r, 9), 0x1000 + offset + c.counts[i] - 1);
      EXPECT_TRUE(std::equal(data.begin() + offset, data.begin() + offset + c.counts[i], r.begin() + 13));
      offset += c.counts[i];
    }
  }
}

TEST_F(EngineTest, AcknowledgementsAreFetchedAfterEverySixtiethReportAndAtTheEnd) {
  sys::SetClockScale(1000);  // the final fetch waits out its 6-second window
  auto device = PlugLoader();
  BatchingLoader batching;
  batching.Attach(*device);
  const auto data = Pattern(60 * 52);
  const int getsBefore = device->SuccessfulGets();
  EXPECT_EQ(ISP_WriteProgramB(0x2000, 0x2000 + 60 * 52 - 1, 1, data.data()), ISP_OK);
  // One GET_REPORT for the probe, one batch after the 60th report, none at the end.
  EXPECT_EQ(device->SuccessfulGets() - getsBefore, 2);
  EXPECT_EQ(device->Commands().size(), 60u);
}

TEST_F(EngineTest, MissingBatchAcknowledgementFailsTheTransfer) {
  sys::SetClockScale(1000);
  auto device = PlugLoader();
  device->onCommand = [](const Report&, ScriptedDevice&) {};
  const auto data = Pattern(61 * 52);
  EXPECT_EQ(ISP_WriteProgramB(0x2000, 0x2000 + 61 * 52 - 1, 1, data.data()), ISP_FAILED);
  EXPECT_EQ(device->Commands().size(), 60u);  // stops at the batch that got no status
}

TEST_F(EngineTest, AnFAmongAcknowledgementsFailsTheTransferEvenWithFullCounts) {
  auto device = PlugLoader();
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 3) d.QueueStatus("OOOF");
  };
  const auto data = Pattern(3 * 52);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 3 * 52 - 1, 0, data.data()), ISP_FAILED);
  n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 3) d.QueueStatus("OOO");
  };
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 3 * 52 - 1, 0, data.data()), ISP_OK);
  n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 3) d.QueueStatus("OO");
  };
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 3 * 52 - 1, 0, data.data()), ISP_FAILED);
}

TEST_F(EngineTest, WriteProgramArgumentChecks) {
  auto device = PlugLoader();
  const auto data = Pattern(8);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1007, 2, data.data()), ISP_OK);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000, 1, data.data()), ISP_INVALID_ARGUMENTS);
  EXPECT_EQ(ISP_WriteProgramB(0x1007, 0x1000, 1, data.data()), ISP_INVALID_ARGUMENTS);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1007, 1, nullptr), ISP_INVALID_ARGUMENTS);
  EXPECT_EQ(ISP_ReadData(0x1000, 0x1000, std::vector<std::uint8_t>(4).data()), ISP_INVALID_ARGUMENTS);
  EXPECT_EQ(ISP_ReadData(0x1000, 0x1003, nullptr), ISP_INVALID_ARGUMENTS);
  EXPECT_TRUE(device->Writes().empty());
}

TEST_F(EngineTest, FourByteReadAsksForSixtyFourAndCopiesFour) {
  auto device = PlugLoader();
  device->onCommand = [](const Report& r, ScriptedDevice& d) {
    if (r[1] == 0x01 && r[2] == 0x02) d.PushData(Pattern(64));
    d.QueueStatus("O");
  };
  std::uint8_t out[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  ASSERT_EQ(ISP_ReadData(0x7C00, 0x7C03, out), ISP_OK);
  const Report r = device->Commands().at(0);
  EXPECT_EQ(WordIn(r, 5), 0x7C00u);
  EXPECT_EQ(WordIn(r, 9), 0x7C00u + 63);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[3], 4);
  EXPECT_EQ(out[4], 0xEE);  // nothing past the range is touched
}

TEST_F(EngineTest, ReadFailsWhenADataReportIsMissing) {
  sys::SetClockScale(1000);  // the missing report is waited for 5 seconds
  auto device = PlugLoader();
  device->onCommand = [](const Report&, ScriptedDevice& d) {
    d.PushData(Pattern(64));  // one of two
    d.QueueStatus("O");
  };
  std::vector<std::uint8_t> out(100);
  EXPECT_EQ(ISP_ReadData(0x1000, 0x1000 + 99, out.data()), ISP_FAILED);
}

TEST_F(EngineTest, TransferProgressReachesAndHoldsOneHundred) {
  sys::SetClockScale(1000);  // the erase below gets no status and waits out its window
  auto device = PlugLoader();
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n % 2 == 0) d.QueueStatus("OO");
  };
  const auto data = Pattern(104);
  EXPECT_EQ(ISP_GetTransProgress(), 0);
  ASSERT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 103, 1, data.data()), ISP_OK);
  EXPECT_EQ(ISP_GetTransProgress(), 100);
  ISP_EraseMass();
  EXPECT_EQ(ISP_GetTransProgress(), 100);
}

TEST_F(EngineTest, RangeAtTheTopOfTheAddressSpaceEnds) {
  auto device = PlugLoader();
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice& d) {
    if (++n == 2) d.QueueStatus("OO");
  };
  const auto data = Pattern(60);
  EXPECT_EQ(ISP_WriteProgramB(0xFFFFFFFF - 59, 0xFFFFFFFF, 1, data.data()), ISP_OK);
  EXPECT_EQ(device->Commands().size(), 2u);
}

TEST_F(EngineTest, StopRequestEndsATransferBeforeItsNextReportAndStaysUntilCleared) {
  auto device = PlugLoader();
  int n = 0;
  device->onCommand = [&n](const Report&, ScriptedDevice&) {
    if (++n == 3) RequestTransferStop(true);
  };
  const auto data = Pattern(52 * 10);
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 52 * 10 - 1, 1, data.data()), ISP_FAILED);
  EXPECT_EQ(device->Commands().size(), 3u);
  EXPECT_TRUE(TheEngine().TransferStopRequested());
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 103, 0, data.data()), ISP_FAILED);
  EXPECT_EQ(device->Commands().size(), 3u);
  RequestTransferStop(false);
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueStatus("O"); };
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 51, 1, data.data()), ISP_OK);
}

}  // namespace
}  // namespace vexaro::isp::testing
