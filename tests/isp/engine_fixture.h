// Common set-up for engine tests: the simulated bus, an empty bus and a fresh
// engine for every test, the clock back at real speed afterwards.
#pragma once

#include <gtest/gtest.h>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/isp/scripted_device.h"

namespace vexaro::isp::testing {

inline constexpr std::uint16_t kLoaderVid = 0x04D9;
inline constexpr std::uint16_t kLoaderPid = 0x8010;

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    ResetEngine();
  }
  void TearDown() override {
    ResetEngine();
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
  }
  static std::shared_ptr<ScriptedDevice> PlugLoader() { return ScriptedDevice::Plug(kLoaderVid, kLoaderPid); }
};

inline std::uint32_t WordIn(const Report& r, std::size_t offset) {
  return static_cast<std::uint32_t>(r[offset]) | static_cast<std::uint32_t>(r[offset + 1]) << 8 |
         static_cast<std::uint32_t>(r[offset + 2]) << 16 | static_cast<std::uint32_t>(r[offset + 3]) << 24;
}

}  // namespace vexaro::isp::testing
