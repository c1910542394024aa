// vexaro-flash with several simulated keyboards (VEXARO_SIM_KEYBOARDS): --all
// updates each in a run of its own and one keyboard's failure or removal
// leaves the others alone; --device drives one keyboard only; a command line
// that does not say which keyboard is refused before anything is sent.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/flash/command_run.h"
#include "tests/support/temp_path.h"

namespace {

using SeveralRun = vexaro::flash::testing::CommandRun;

SeveralRun RunSeveral(const std::string& environment, const std::string& arguments) {
  return vexaro::flash::testing::RunCommand("timeout 120 env LC_ALL=C VEXARO_CLOCK_SCALE=50 VEXARO_SIM=1 " +
                                            environment + " " + VEXARO_FLASH + " " + arguments + " " +
                                            VEXARO_DEMO_PACKAGE + " 2>/dev/null");
}

std::vector<std::string> EventLines(const std::string& out, const std::string& event) {
  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.find("\"event\":\"" + event + "\"") != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// The exit status in each result event, by the port the event carries.
std::map<std::string, int> ResultsByPort(const std::string& out) {
  std::map<std::string, int> results;
  const std::regex result("\"exit\":([0-9]+).*\"port\":\"([^\"]*)\"");
  for (const std::string& line : EventLines(out, "result")) {
    std::smatch m;
    if (std::regex_search(line, m, result)) results[m[2]] = std::stoi(m[1]);
  }
  return results;
}

// The version that --list shows for each port.
std::map<std::string, std::string> VersionsByPort(const std::string& environment) {
  std::map<std::string, std::string> versions;
  const std::regex keyboard("\"version\":\"([^\"]*)\",\"port\":\"([^\"]*)\"");
  for (const std::string& line : EventLines(RunSeveral(environment, "--list --json").out, "keyboard")) {
    std::smatch m;
    if (std::regex_search(line, m, keyboard)) versions[m[2]] = m[1];
  }
  return versions;
}

class FlashSeveral : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = vexaro::test_support::ProcessTempPath("vexaro-flash-several", "");
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string State(int keyboards) const {
    return "VEXARO_SIM_KEYBOARDS=" + std::to_string(keyboards) + " VEXARO_SIM_STATE=" + dir_ + "/kb";
  }
  std::string dir_;
};

struct AllCase {
  const char* name;
  int keyboards;
  const char* faults;  // aimed at one keyboard
  int exit;
  std::map<std::string, int> results;
};

TEST_F(FlashSeveral, AllUpdatesEachKeyboardWhateverBecomesOfAnother) {
  const AllCase cases[] = {
      {"all restart into their loaders at once", 4, "", 0, {{"1", 0}, {"2", 0}, {"3", 0}, {"4", 0}}},
      {"one fails", 3, "VEXARO_SIM_FAULTS_2=program-fail-at=0x3000", 1, {{"1", 0}, {"2", 1}, {"3", 0}}},
      {"one is unplugged mid-update", 2, "VEXARO_SIM_FAULTS_1=vanish-after=40", 1, {{"1", 1}, {"2", 0}}},
  };
  for (const AllCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    const SeveralRun run = RunSeveral(State(c.keyboards) + " " + c.faults, "--all --json");
    EXPECT_EQ(run.code, c.exit) << run.out;
    EXPECT_EQ(ResultsByPort(run.out), c.results) << run.out;
    const std::vector<std::string> summary = EventLines(run.out, "summary");
    ASSERT_EQ(summary.size(), 1u);
    EXPECT_NE(summary[0].find("\"exit\":" + std::to_string(c.exit)), std::string::npos) << summary[0];
    EXPECT_NE(run.out.rfind(summary[0]), std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - summary[0].size() - 1), summary[0] + "\n");
    // What each keyboard carries now, as its own state file keeps it.
    for (const auto& [port, versionShown] : VersionsByPort(State(c.keyboards))) {
      const bool updated = c.results.at(port) == 0;
      if (updated) EXPECT_EQ(versionShown, "V2.07") << "port " << port;
      else EXPECT_NE(versionShown, "V2.07") << "port " << port;
    }
  }
}

TEST_F(FlashSeveral, DeviceUpdatesThatKeyboardOnly) {
  const SeveralRun run = RunSeveral(State(3), "--device 2 --json");
  EXPECT_EQ(run.code, 0) << run.out;
  EXPECT_EQ(ResultsByPort(run.out), (std::map<std::string, int>{{"2", 0}}));
  const std::map<std::string, std::string> expected = {{"1", "V2.05"}, {"2", "V2.07"}, {"3", "V2.05"}};
  EXPECT_EQ(VersionsByPort(State(3)), expected);
}

TEST_F(FlashSeveral, ARunThatCannotTellWhichKeyboardSendsNothing) {
  struct Refusal {
    const char* keyboards;
    const char* arguments;
    int exit;
    const char* text;  // in the output, when the result line says it
  };
  const Refusal refusals[] = {
      {"3", "", 5, "3 keyboards found (ports 1, 2, 3): name one with --device PORT"},
      {"3", "--device 9", 3, "No keyboard found at port 9"},
      {"2", "--all --device 1", 5, ""},
      {"2", "--all --list", 5, ""},
      {"2", "--device=", 5, ""},
      {"0", "--list", 5, ""},
      {"17", "--list", 5, ""},
      {"two", "--list", 5, ""},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(std::string(r.keyboards) + " keyboards, " + r.arguments);
    const std::string environment = "VEXARO_SIM_KEYBOARDS=" + std::string(r.keyboards) + " VEXARO_SIM_STATE=" + dir_ +
                                    "/kb";
    const SeveralRun run = RunSeveral(environment, r.arguments);
    EXPECT_EQ(run.code, r.exit) << run.out;
    EXPECT_NE(run.out.find(r.text), std::string::npos) << run.out;
  }
  // Nothing was written to any keyboard: the fresh ones still carry the start version.
  const std::map<std::string, std::string> untouched = {{"1", "V2.05"}, {"2", "V2.05"}, {"3", "V2.05"}};
  EXPECT_EQ(VersionsByPort(State(3)), untouched);
}

}  // namespace
