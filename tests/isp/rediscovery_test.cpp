// After a dropped connection the next command must find the device again,
// also when starting the application or leaving the loader had told the
// engine that the device was already found.
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

// The loader re-enumerates on another port while the engine holds handles to
// the old one: the first command's write fails and drops the connection, the
// next one finds the device on its new port.
TEST_F(EngineTest, CommandAfterADroppedConnectionFindsTheDeviceAgain) {
  for (bool viaExit : {false, true}) {
    simbus::TheBus().Reset();
    ResetEngine();
    auto before = PlugLoader();
    ASSERT_EQ(viaExit ? ISP_Exit() : ISP_Execute(), ISP_OK);
    ASSERT_TRUE(TheEngine().Discovered());
    simbus::TheBus().Unplug(before->port);
    auto after = PlugLoader();
    EXPECT_EQ(ISP_EraseMass(), ISP_FAILED) << "exit " << viaExit;
    EXPECT_EQ(ISP_EraseMass(), ISP_OK) << "exit " << viaExit;
    const auto commands = after->Commands();
    ASSERT_EQ(commands.size(), 1u) << "exit " << viaExit;
    EXPECT_EQ(commands[0][1], 0x00);
    EXPECT_EQ(commands[0][2], 0x0A);
  }
}

// The same on one port: a write that fails once leaves the device present.
TEST_F(EngineTest, FailedWriteAfterStartingTheApplicationStillRediscovers) {
  auto device = PlugLoader();
  ASSERT_EQ(ISP_Execute(), ISP_OK);
  device->failWriteNumber = static_cast<int>(device->Writes().size()) + 2;  // the erase after its probe
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);
}

}  // namespace
}  // namespace vexaro::isp::testing
