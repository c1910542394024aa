// Soak: consecutive updates of one simulated keyboard with random faults at
// a low rate, each failed update followed by a fault-free one. Nothing may
// be left behind: the process ends with the file descriptors and threads it
// had after the first update, and (without the address sanitizer, whose
// quarantine holds freed memory) its resident memory stays flat.
// VEXARO_SOAK_UPDATES sets the count (200 for the long soak).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/reliability/campaign.h"
#include "tests/reliability/simulated_bus_test.h"
#include "tools/vexaro-flash/flash_options.h"

namespace vexaro::reliability {
namespace {

// GCC names a sanitizer by a macro, clang by a feature test.
#if defined(__has_feature)
#define SOAK_HAS_FEATURE(name) __has_feature(name)
#else
#define SOAK_HAS_FEATURE(name) 0
#endif
#if defined(__SANITIZE_ADDRESS__) || SOAK_HAS_FEATURE(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#if defined(__SANITIZE_THREAD__) || SOAK_HAS_FEATURE(thread_sanitizer)
constexpr bool kThreadSanitizer = true;
#else
constexpr bool kThreadSanitizer = false;
#endif

// CI's short soak: 20 updates, 8 in the sanitizer builds (each about 2.5 s
// there).
constexpr int kDefaultUpdates = kAddressSanitizer || kThreadSanitizer ? 8 : 20;
// One update in five meets a fault.
constexpr int kFaultOneIn = 5;
// Resident memory may grow this much over the soak (allocator caches).
constexpr long kRssSlackKiB = 8 * 1024;

const char* const kFaultItems[] = {"vanish-after", "fail-write", "drop-replies-at", "corrupt-replies-at",
                                   "power-loss-at", "no-reenumeration-at", "wrong-mode-at"};

int Updates() {
  const char* v = std::getenv("VEXARO_SOAK_UPDATES");
  return v == nullptr ? kDefaultUpdates : std::max(1, std::atoi(v));
}

#ifdef __linux__
std::size_t Entries(const char* directory) {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(directory)) ++n;
  return n;
}

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

#endif

class SoakTest : public SimulatedBusTest {};

TEST_F(SoakTest, ConsecutiveUpdatesWithRareFaultsLeaveNothingBehind) {
  const std::uint32_t seed = static_cast<std::uint32_t>(std::random_device{}());
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  Campaign campaign({sim::LoaderKind::kIsp, true}, "soak");
  const std::vector<Write> writes = campaign.Reference();
  ASSERT_FALSE(writes.empty());
  ASSERT_EQ(campaign.RunFresh("").exitCode, flash::kExitSuccess);
#ifdef __linux__
  const std::size_t fds = Entries("/proc/self/fd"), threads = Entries("/proc/self/task");
  const long rss = ResidentKiB();
#endif
  std::uniform_int_distribution<int> rare(1, kFaultOneIn);
  std::uniform_int_distribution<std::size_t> kind(0, std::size(kFaultItems) - 1), at(1, writes.size());
  int faults = 0;
  for (int update = 1; update <= Updates(); ++update) {
    std::string fault;
    if (rare(random) == 1) {
      fault = std::string(kFaultItems[kind(random)]) + "=" + std::to_string(at(random));
      ++faults;
    }
    SCOPED_TRACE("update " + std::to_string(update) + " " + fault);
    const RunResult run = campaign.RunAgain(fault);
    if (run.exitCode != flash::kExitSuccess) {
      const RunResult again = campaign.RunAgain();
      ASSERT_EQ(again.exitCode, flash::kExitSuccess) << again.output;
    }
    std::string why;
    ASSERT_TRUE(campaign.KeyboardUpdated(true, why)) << why;
  }
  RecordProperty("faults", faults);
#ifdef __linux__
  EXPECT_EQ(Entries("/proc/self/fd"), fds);
  EXPECT_EQ(Entries("/proc/self/task"), threads);
  if (!kAddressSanitizer) {
    EXPECT_LE(ResidentKiB(), rss + kRssSlackKiB);
  }
#endif
}

}  // namespace
}  // namespace vexaro::reliability
