// Filler bytes over many seeds: the generator is seeded with the second of
// every ready probe, so one second's worth of reports shows only one sequence.
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

TEST_F(EngineTest, FillerIsNeverZeroWhicheverSecondSeedsIt) {
  constexpr int kSeconds = 256;
  sys::SetClockScale(1000);
  auto device = PlugLoader();
  for (int second = 0; second < kSeconds; ++second) {
    ASSERT_EQ(ISP_EraseMass(), ISP_OK);
    sys::SleepMs(1000);  // the next probe seeds the generator with another second
  }
  const auto writes = device->Writes();
  ASSERT_EQ(writes.size(), 2u * kSeconds);
  for (const Report& r : writes) {
    const bool probe = ScriptedDevice::IsProbe(r);
    for (std::size_t i = probe ? 2 : 5; i < 65; ++i) {
      ASSERT_NE(r[i], 0) << "byte " << i << (probe ? " of a probe" : " of an erase");
    }
  }
}

}  // namespace
}  // namespace vexaro::isp::testing
