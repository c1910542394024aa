// Several simulated keyboards from the environment: the count and its
// limits, each keyboard's port, state and trace files and aimed faults, and
// the port a simulated interface path gives.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/sim/sim_bus.h"
#include "sim/keyboard_set.h"

namespace vexaro::sim {
namespace {

// nullptr removes the variable (on Windows, so does an empty value).
void SetVariable(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value == nullptr ? "" : value);
#else
  if (value == nullptr) unsetenv(name);
  else setenv(name, value, 1);
#endif
}

TEST(SimKeyboardSet, CountIsAWholeNumberFromOneToSixteen) {
  const struct {
    const char* text;
    int count;  // 0: refused
  } cases[] = {{nullptr, 1}, {"", 1}, {"1", 1}, {"4", 4}, {"16", 16}, {"0", 0}, {"17", 0},
               {"99999999999999999999", 0}, {"-2", 0}, {"2x", 0}, {" 2", 0}, {"two", 0}};
  for (const auto& c : cases) {
    SetVariable("VEXARO_SIM_KEYBOARDS", c.text);
    int count = -1;
    std::string error;
    EXPECT_EQ(ReadKeyboardCount(count, error), c.count != 0) << (c.text ? c.text : "(unset)");
    if (c.count != 0) EXPECT_EQ(count, c.count);
    else EXPECT_NE(error.find("VEXARO_SIM_KEYBOARDS"), std::string::npos) << error;
  }
  SetVariable("VEXARO_SIM_KEYBOARDS", nullptr);
}

TEST(SimKeyboardSet, EachKeyboardHasItsPortFilesAndAimedFaults) {
  SetVariable("VEXARO_SIM_FAULTS_2", "fail-write=3");
  const struct {
    int k, count;
    const char* state;
    std::uint32_t failWrite;
  } cases[] = {{1, 1, "/tmp/kb", 7}, {1, 3, "/tmp/kb.1", 7}, {2, 3, "/tmp/kb.2", 3}, {3, 3, "/tmp/kb.3", 7}};
  for (const auto& c : cases) {
    KeyboardConfig config;
    config.stateFile = "/tmp/kb";
    config.faults.failWrite = 7;  // what VEXARO_SIM_FAULTS gave every keyboard
    std::string error;
    ASSERT_TRUE(ApplyKeyboardSlot(config, c.k, c.count, error)) << error;
    EXPECT_EQ(config.port, c.k);
    EXPECT_EQ(config.stateFile, c.state);
    EXPECT_EQ(config.faults.failWrite, c.failWrite) << "keyboard " << c.k;
  }
  SetVariable("VEXARO_SIM_FAULTS_2", "no-such-fault");
  KeyboardConfig config;
  std::string error;
  EXPECT_FALSE(ApplyKeyboardSlot(config, 2, 3, error));
  EXPECT_NE(error.find("VEXARO_SIM_FAULTS_2"), std::string::npos) << error;
  SetVariable("VEXARO_SIM_FAULTS_2", nullptr);
}

TEST(SimKeyboardSet, PortOfASimulatedPath) {
  hid::Attributes ids{0x3C9A, 0x0A21, 0};
  EXPECT_EQ(simbus::PortOfPath(simbus::InterfacePath(12, ids, 1, 2)), "12");
  EXPECT_EQ(simbus::PortOfPath(simbus::InterfacePath(3, ids, 0, 1)), "3");
  for (const char* other : {"", "/dev/hidraw3?vid_3c9a&pid_0a21", "\\\\?\\hid#vid_3c9a&pid_0a21#sim&#{x}",
                            "\\\\?\\hid#vid_3c9a&pid_0a21#sim&12", "\\\\?\\hid#sim&1x#{x}"}) {
    EXPECT_EQ(simbus::PortOfPath(other), "") << other;
  }
}

}  // namespace
}  // namespace vexaro::sim
