// Filler bytes over many seeds: the generator is seeded with the second of
// every ready probe, so one second's worth of reports shows only one sequence.
#include <algorithm>
#include <array>

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

// A probe carries no checksum; were its random bytes 3 and 4 to form one, a
// loader would take a probe with a command byte from 0x50 up for a
// caller-made command and act on it. Over 2^18 seeds chance alone would form
// about eight of them.
TEST_F(EngineTest, NoProbeEverCarriesAChecksumTheLoaderWouldAccept) {
  auto device = PlugLoader();
  Session session;
  ASSERT_TRUE(session.IsConnectedToDevice({kLoaderVid, kLoaderPid, 0}));
  const std::uint8_t key[8] = {9, 8, 7, 6, 5, 4, 3, 2};
  ASSERT_TRUE(session.SetCrcKey(key));
  for (std::uint32_t seed = 0; seed < (1u << 18); ++seed) {
    const auto probe = session.BuildProbe(seed);
    ASSERT_EQ(probe.size(), 65u);
    // A copy in an array: GCC 12 sees a null vector in a copy made from a span.
    std::array<std::uint8_t, 65> r{};
    std::copy(probe.begin(), probe.end(), r.begin());
    const std::uint16_t stored = static_cast<std::uint16_t>(r[3] | r[4] << 8);
    ASSERT_TRUE(r[1] >= 6 && r[3] != 0 && r[4] != 0) << "seed " << seed;
    r[3] = r[4] = 0;
    const std::uint16_t plain = IspCrc16(0, r.data() + 1, 64);
    const std::uint16_t keyed = IspCrc16(plain, key, sizeof key);
    ASSERT_NE(stored, plain) << "seed " << seed;
    ASSERT_NE(stored, keyed) << "seed " << seed;
  }
}

}  // namespace
}  // namespace vexaro::isp::testing
