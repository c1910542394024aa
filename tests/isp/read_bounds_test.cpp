// Reads ask the loader for whole 64-byte data reports and hand the caller
// exactly the range asked for.
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

TEST_F(EngineTest, ReadAsksForWholeReportsAroundTheSixtyFourByteBoundary) {
  auto device = PlugLoader();
  std::uint8_t next = 0;
  device->onCommand = [&next](const Report& r, ScriptedDevice& d) {
    const std::uint32_t reports = (WordIn(r, 9) - WordIn(r, 5) + 1) / 64;
    for (std::uint32_t k = 0; k < reports; ++k) {
      Report data(64);
      for (auto& b : data) b = ++next;
      d.PushData(data);
    }
    d.QueueStatus("O");
  };
  struct Case { std::uint32_t bytes; std::uint32_t asked; };
  for (const Case& c : {Case{2, 64}, Case{64, 64}, Case{65, 128}, Case{128, 128}, Case{129, 192}}) {
    next = 0;
    std::vector<std::uint8_t> out(c.bytes + 16, 0xEE);
    ASSERT_EQ(ISP_ReadData(0x4000, 0x4000 + c.bytes - 1, out.data()), ISP_OK) << c.bytes;
    const Report r = device->Commands().back();
    EXPECT_EQ(WordIn(r, 9) - WordIn(r, 5) + 1, c.asked) << c.bytes;
    for (std::uint32_t i = 0; i < c.bytes; ++i) {
      ASSERT_EQ(out[i], static_cast<std::uint8_t>(i + 1)) << c.bytes << " byte " << i;
    }
    EXPECT_EQ(out[c.bytes], 0xEE) << c.bytes;
  }
}

}  // namespace
}  // namespace vexaro::isp::testing
