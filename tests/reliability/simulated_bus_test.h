// The fixture the reliability tests share: windows on the headless display,
// the simulated bus emptied around each test, the program clock scaled.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/reliability/campaign.h"

namespace vexaro::reliability {

inline void UseHeadlessDisplay() {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "headless");
#else
  setenv("VEXARO_DISPLAY", "headless", 1);
#endif
}

class SimulatedBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseHeadlessDisplay();
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    sys::SetClockScale(kClockScale);
  }
  void TearDown() override {
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
  }
};

}  // namespace vexaro::reliability
