// What the simulated loader receives during an update, read back from the
// keyboard's trace: the wait after an ISP reset, the checksum command's
// digest bytes, the restart into the loader after a failure, and a one-byte
// external image written to flash.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/loader_protocol.h"
#include "tests/support/temp_path.h"
#include "tests/updater/update_fixture.h"

namespace vexaro::updater::testing {
namespace {

// One trace record: its program-clock time, kind, and the rest of the line.
struct TraceLine {
  std::uint64_t ms = 0;
  std::string kind;
  std::string rest;
  std::vector<std::uint8_t> bytes;  // report bytes of OUT/GET/IN, report ID first
};

std::vector<TraceLine> ReadTrace(const std::string& path) {
  std::vector<TraceLine> lines;
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    if (text.empty() || text[0] == '#') continue;
    std::istringstream fields(text);
    TraceLine line;
    fields >> line.ms >> line.kind;
    std::getline(fields, line.rest);
    if (line.kind == "OUT" || line.kind == "GET" || line.kind == "IN") {
      std::istringstream hex(line.rest);
      std::string collection, byte;
      hex >> collection;
      while (hex >> byte) line.bytes.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

// Loader command bytes as the keyboard receives them (report ID at 0).
namespace protocol = sim::protocol;
// The fixture's package carries these two digest bytes, in this order.
constexpr std::uint8_t kDigestBytes[2] = {0x12, 0x34};
// The chip needs this long after a reset before the host looks for its loader.
constexpr std::uint64_t kResetSettleMs = 2000;

std::optional<std::size_t> FindEvent(const std::vector<TraceLine>& trace, const std::string& text,
                                     std::size_t from = 0) {
  for (std::size_t i = from; i < trace.size(); ++i) {
    if (trace[i].kind == "EVENT" && trace[i].rest == " " + text) return i;
  }
  return std::nullopt;
}

class UpdateTraceTest : public UpdateFixture {
 protected:
  void SetUp() override {
    UpdateFixture::SetUp();
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    tracePath_ = test_support::ProcessTempPath("vexaro-trace-" + name, ".txt");
  }
  void TearDown() override {
    UpdateFixture::TearDown();
    std::filesystem::remove(tracePath_);
  }
  KeyboardPlan Traced(KeyboardPlan plan) const {
    plan.traceFile = tracePath_;
    return plan;
  }
  std::vector<TraceLine> Trace() const { return ReadTrace(tracePath_); }

  std::string tracePath_;
};

TEST_F(UpdateTraceTest, IspLoaderIsLeftAloneForTwoSecondsAfterItsReset) {
  KeyboardPlan keyboard;
  keyboard.loader = sim::LoaderKind::kIsp;
  Start({}, Traced(keyboard));
  RunUpdate();
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->success) << view_.Outcome()->failureText;
  const auto trace = Trace();
  // The reset follows the mass erase; an earlier restart took the keyboard
  // from its application into the loader.
  std::optional<std::size_t> erase;
  for (std::size_t i = 0; i < trace.size() && !erase; ++i) {
    const auto& b = trace[i].bytes;
    if (trace[i].kind == "OUT" && b.size() > 2 && b[protocol::kCommandAt] == protocol::kErase && b[protocol::kSubCommandAt] == protocol::kEraseMass) erase = i;
  }
  ASSERT_TRUE(erase.has_value());
  const auto reset = FindEvent(trace, "restart loader", *erase + 1);
  ASSERT_TRUE(reset.has_value());
  std::optional<std::size_t> next;
  for (std::size_t i = *reset + 1; i < trace.size() && !next; ++i) {
    if (trace[i].kind == "OUT") next = i;
  }
  ASSERT_TRUE(next.has_value());
  EXPECT_GE(trace[*next].ms - trace[*reset].ms, kResetSettleMs);
}

TEST_F(UpdateTraceTest, ChecksumCommandCarriesBothDigestBytesInStoredOrder) {
  Start({}, Traced({}));
  RunUpdate();
  int commands = 0;
  for (const TraceLine& line : Trace()) {
    if (line.kind != "OUT" || line.bytes.size() <= protocol::kPayloadAt + 1) continue;
    if (line.bytes[protocol::kCommandAt] != protocol::kChecksum) continue;
    ++commands;
    EXPECT_EQ(line.bytes[protocol::kPayloadAt], kDigestBytes[0]);
    EXPECT_EQ(line.bytes[protocol::kPayloadAt + 1], kDigestBytes[1]);
  }
  EXPECT_EQ(commands, 1);
}

TEST_F(UpdateTraceTest, FailedProgramRestartsTheLoader) {
  KeyboardPlan keyboard;
  keyboard.faults = "program-fail-at=0x3000";
  Start({}, Traced(keyboard));
  RunUpdate();
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_FALSE(view_.Outcome()->success);
  const auto trace = Trace();
  const auto fault = FindEvent(trace, "fault program-failed");
  ASSERT_TRUE(fault.has_value());
  // The loader is restarted, so the keyboard is ready for another try.
  EXPECT_TRUE(FindEvent(trace, "restart loader", *fault + 1).has_value());
}

TEST_F(UpdateTraceTest, OneByteExternalImageIsWritten) {
  PackagePlan package;
  package.external = true;
  package.externalLength = 1;
  Start(package, Traced({}));
  RunUpdate();
  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->success) << view_.Outcome()->failureText;
  ASSERT_EQ(externalImage_.size(), 1u);
  EXPECT_EQ(Flash(package.externalStart, 1), externalImage_);
  EXPECT_TRUE(view_.HasStatus("Programming external...."));
}

}  // namespace
}  // namespace vexaro::updater::testing
