// Finding the device, the ready probe's window, dropping and rediscovering
// the connection.
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

TEST_F(EngineTest, IndexCountsOnlyDevicesWithTheWantedIds) {
  auto first = PlugLoader();
  auto other = ScriptedDevice::Plug(0x04D9, 0x1234);
  auto second = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 1), 1);
  ISP_EraseMass();
  EXPECT_TRUE(first->Writes().empty());
  EXPECT_TRUE(other->Writes().empty());
  EXPECT_EQ(second->Commands().size(), 1u);
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  ISP_EraseMass();
  EXPECT_EQ(first->Commands().size(), 1u);
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 2), 0);
}

TEST_F(EngineTest, ConnectionFunctionsWithoutDevice) {
  EXPECT_EQ(ISP_SetupSerialPortConnection(), 0);
  EXPECT_EQ(ISP_SendAuthentication(), 1);
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 0);
  EXPECT_EQ(ISP_CloseSerialPortConnect(), 0);
  auto device = PlugLoader();
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  EXPECT_EQ(ISP_SetupSerialPortConnection(), 0);
  EXPECT_EQ(ISP_SendAuthentication(), 1);
  EXPECT_EQ(ISP_CloseSerialPortConnect(), 1);
  EXPECT_EQ(ISP_CloseSerialPortConnect(), 0);  // nothing left to close
}

TEST_F(EngineTest, UnansweredProbeFailsAfterThirtyToThirtyOneSeconds) {
  // 30 s in 0.75 s. The upper bound leaves 3 program seconds (75 ms of real
  // time) for a loaded machine to stall the test; a window twice as long or
  // counted in other units still fails it.
  sys::SetClockScale(40);
  auto device = PlugLoader();
  device->SetProbeAnswer("");
  const std::uint64_t start = sys::NowMs();
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  const std::uint64_t elapsed = sys::NowMs() - start;
  EXPECT_GE(elapsed, 30000u);
  EXPECT_LE(elapsed, 34000u);
  EXPECT_TRUE(device->Commands().empty());
}

TEST_F(EngineTest, FailedWriteDropsTheConnectionAndTheNextCommandRediscovers) {
  auto device = PlugLoader();
  device->failWriteNumber = 2;  // the command after the first probe
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_FALSE(TheEngine().Discovered());
  EXPECT_EQ(TheEngine().WriteHandle(), hid::kInvalidHandle);
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);  // the probe found and reopened the device
  EXPECT_EQ(device->Writes().size(), 4u);
}

TEST_F(EngineTest, VanishedDeviceFailsCommandsWithoutHanging) {
  sys::SetClockScale(1000);
  auto device = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  simbus::TheBus().Unplug(device->port);
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_EQ(ISP_Execute(), ISP_DEVICE_NOT_FOUND);
  std::uint8_t data[8] = {};
  EXPECT_EQ(ISP_WriteProgramB(0x1000, 0x1007, 1, data), ISP_FAILED);
}

TEST_F(EngineTest, StatusWindowEndsAtOnceWhenTheDeviceLeaves) {
  // Each window below lasts at least 30 program seconds while the device is
  // there; gone, it must end at once with the failure its expiry gives.
  constexpr std::uint64_t kWellBelowTheWindowMs = 10000;
  sys::SetClockScale(40);
  auto device = PlugLoader();
  device->onCommand = [](const Report&, ScriptedDevice& d) { simbus::TheBus().Unplug(d.port); };
  std::uint64_t start = sys::NowMs();
  EXPECT_EQ(ISP_ErasePage(0x1000, 0x13FF), ISP_FAILED);  // 10 s window after the command
  EXPECT_LT(sys::NowMs() - start, kWellBelowTheWindowMs);
  auto second = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  simbus::TheBus().Unplug(second->port);
  start = sys::NowMs();
  EXPECT_EQ(ISP_GetUserResult(30), 0);
  EXPECT_LT(sys::NowMs() - start, kWellBelowTheWindowMs);
}

TEST_F(EngineTest, StatusPollsRepeatWhileTheDeviceIsThere) {
  // The status comes late; the window keeps polling the device until it does.
  sys::SetClockScale(40);
  auto device = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  simbus::TheBus().After(2000, [device] { device->QueueStatus("O"); });
  EXPECT_EQ(ISP_GetUserResult(30), 1);
}

}  // namespace
}  // namespace vexaro::isp::testing
