// The fault campaign: every fault kind at the commands of a whole update
// (each stage's commands, a sparse sample of the program and verify
// reports, random ones from a printed seed), with "IAP" and "ISP" loaders,
// with and without an external image. Each run must end with the failure
// result within the window of its stage, or absorb the fault and install
// the package; a fault-free second run must then install the package and
// the keyboard start the new application. VEXARO_RELIABILITY_SAMPLE chooses
// how many writes are struck (below); VEXARO_RELIABILITY_SEED repeats a
// random choice; scripts/reliability-matrix.sh writes the matrix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <map>
#include <random>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/reliability/campaign.h"
#include "tests/reliability/simulated_bus_test.h"
#include "tests/reliability/matrix.h"

namespace vexaro::reliability {
namespace {

// Count-downs of two minutes run in five seconds. A transfer is given up
// after 10 s of program time while the report channel is closed: 0.4 s of
// real time for the image's 61 reports, room enough on a loaded machine.
// Real scheduling on a loaded machine stretches the scaled clock.
constexpr std::uint64_t kWindowSlackTenths = 11;  // 10 % more
// Every 60th report of a transfer: the loader acknowledges in batches of 60.
constexpr std::uint32_t kBatch = 60;
// Stages struck per fault kind and set-up in the quick (CI) sample.
constexpr std::size_t kQuickStages = 2;

struct FaultKind {
  const char* name;  // in the matrix
  const char* item;  // the keyboard's fault, "=N" appended
  bool restartsOnly;  // strikes only a command that restarts the keyboard
};

const FaultKind kKinds[] = {
    {"unplug", "vanish-after", false},
    {"failed write", "fail-write", false},
    {"reply lost", "drop-replies-at", false},
    {"reply corrupted", "corrupt-replies-at", false},
    {"power loss", "power-loss-at", false},
    {"no re-enumeration", "no-reenumeration-at", true},
    {"wrong mode", "wrong-mode-at", true},
};

enum class SampleSize { kQuick, kStages, kFull };

// VEXARO_RELIABILITY_SAMPLE: "quick" (the default, for CI), "stages" or "full".
SampleSize SampleFromEnvironment() {
  const char* v = std::getenv("VEXARO_RELIABILITY_SAMPLE");
  const std::string s = v == nullptr ? "" : v;
  return s == "full" ? SampleSize::kFull : s == "stages" ? SampleSize::kStages : SampleSize::kQuick;
}

std::uint32_t Seed() {
  if (const char* v = std::getenv("VEXARO_RELIABILITY_SEED")) return static_cast<std::uint32_t>(std::strtoul(v, nullptr, 0));
  return static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

bool IsTransfer(const std::string& stage) {
  return stage.rfind("program", 0) == 0 || stage.rfind("verify", 0) == 0;
}

// The writes a fault kind is aimed at. Quick: one random write in each of
// two random stages (CI; the printed seed names them). Stages: one random
// write in every stage. Full: also the first and last write of every stage
// and every 60th report of each transfer.
std::vector<Write> Sample(const std::vector<Write>& writes, const FaultKind& kind, std::mt19937& random) {
  std::map<std::string, std::vector<Write>> byStage;
  for (const Write& w : writes) {
    if (!kind.restartsOnly || w.restart) byStage[w.stage].push_back(w);
  }
  const SampleSize size = SampleFromEnvironment();
  std::vector<std::string> stages;
  for (const auto& entry : byStage) stages.push_back(entry.first);
  if (size == SampleSize::kQuick) {
    std::shuffle(stages.begin(), stages.end(), random);
    stages.resize(std::min<std::size_t>(stages.size(), kQuickStages));
  }
  std::vector<Write> chosen;
  for (const std::string& stage : stages) {
    const std::vector<Write>& list = byStage[stage];
    std::uniform_int_distribution<std::size_t> pick(0, list.size() - 1);
    chosen.push_back(list[pick(random)]);
    if (size != SampleSize::kFull) continue;
    chosen.push_back(list.front());
    chosen.push_back(list.back());
    for (std::size_t i = kBatch - 1; IsTransfer(stage) && i < list.size(); i += kBatch) chosen.push_back(list[i]);
  }
  std::sort(chosen.begin(), chosen.end(), [](const Write& a, const Write& b) { return a.index < b.index; });
  chosen.erase(std::unique(chosen.begin(), chosen.end(), [](const Write& a, const Write& b) { return a.index == b.index; }),
               chosen.end());
  return chosen;
}

struct CampaignCase {
  Setup setup;
  const FaultKind* kind;
};

class FaultCampaignTest : public ::testing::TestWithParam<CampaignCase> {
 protected:
  static void SetUpTestSuite() {
    UseHeadlessDisplay();
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
  }
  void SetUp() override {
    simbus::TheBus().Reset();
    sys::SetClockScale(kClockScale);
  }
  void TearDown() override {
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
  }

  // One fault at one write: the first run's result and the second run's.
  void RunCase(Campaign& campaign, const FaultKind& kind, const Write& w) {
    const std::string fault = std::string(kind.item) + "=" + std::to_string(w.index);
    SCOPED_TRACE(SetupName(GetParam().setup) + ", " + fault + " (" + w.stage + ")");
    const RunResult first = campaign.RunFresh(fault);
    std::string why;
    const bool installed = campaign.KeyboardUpdated(false, why);
    ASSERT_NE(first.exitCode, -1) << "the keyboard could not be set up";
    if (first.exitCode == 0) {
      // Success only when the fault did no harm: the package is in the flash.
      EXPECT_TRUE(first.success);
      EXPECT_TRUE(installed) << "success reported, but " << why;
      Matrix::Instance().Add(kind.name, w.stage, installed ? CaseResult::kAbsorbed : CaseResult::kNotRecovered,
                             first.elapsedMs);
      return;
    }
    EXPECT_FALSE(first.success) << "exit code " << first.exitCode << " with a successful outcome";
    EXPECT_LE(first.elapsedMs, WindowOfStage(w.stage) / 10 * kWindowSlackTenths)
        << "ended with \"" << first.text << "\"";
    const RunResult second = campaign.RunAgain();
    const bool updated = second.exitCode == 0 && campaign.KeyboardUpdated(true, why);
    EXPECT_TRUE(updated) << "after \"" << first.text << "\" (exit " << first.exitCode << "), the second run: \""
                         << second.text << "\" (exit " << second.exitCode << ") " << why << "\n" << second.output;
    Matrix::Instance().Add(kind.name, w.stage, updated ? CaseResult::kRecovered : CaseResult::kNotRecovered,
                           first.elapsedMs);
  }
};

TEST_P(FaultCampaignTest, EveryCaseFailsInItsWindowAndASecondRunInstallsThePackage) {
  const CampaignCase& c = GetParam();
  const std::uint32_t seed = Seed();
  std::mt19937 random(seed);
  Campaign campaign(c.setup, c.kind->item);
  const std::vector<Write> writes = campaign.Reference();
  ASSERT_FALSE(writes.empty()) << "the fault-free update failed";
  Matrix::Instance().Clear();
  for (const Write& w : Sample(writes, *c.kind, random)) {
    const bool failedBefore = HasFailure();
    RunCase(campaign, *c.kind, w);
    // Once, with the first failed case: the seed repeats the whole test.
    if (HasFailure() && !failedBefore) {
      ADD_FAILURE() << "seed " << seed << " (VEXARO_RELIABILITY_SEED=" << seed << " repeats it)";
    }
  }
  Matrix::Instance().Write(SetupName(c.setup));
}

std::vector<CampaignCase> AllCases() {
  std::vector<CampaignCase> cases;
  for (sim::LoaderKind loader : {sim::LoaderKind::kIap, sim::LoaderKind::kIsp}) {
    for (bool external : {false, true}) {
      for (const FaultKind& kind : kKinds) cases.push_back({{loader, external}, &kind});
    }
  }
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<CampaignCase>& info) {
  std::string name = SetupName(info.param.setup) + "_";
  for (const char* p = info.param.kind->name; *p != '\0'; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Campaign, FaultCampaignTest, ::testing::ValuesIn(AllCases()), CaseName);

}  // namespace
}  // namespace vexaro::reliability
