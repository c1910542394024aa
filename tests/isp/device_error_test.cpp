// Why the engine failed to find, open or talk to the loader, through
// isp/isp_status.h: a refused loader is not "no loader", and a failed write
// or an unanswered status window each leave their own reason.
#include "isp/isp_status.h"
#include "sim/keyboard.h"
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

bool NamesLoader(const hid::Error& e) { return hid::PathNamesDevice(e.path, kLoaderVid, kLoaderPid); }

TEST_F(EngineTest, ALoaderThatRefusesToOpenIsReportedWithItsReasonAndPath) {
  for (hid::Reason reason : {hid::Reason::kPermissionDenied, hid::Reason::kBusy, hid::Reason::kGone}) {
    SCOPED_TRACE(hid::ReasonName(reason));
    simbus::TheBus().Reset();
    auto device = PlugLoader();
    simbus::TheBus().SetOpenRefusal(device->port, reason);
    EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 0);
    EXPECT_EQ(LastDeviceError().reason, reason);
    EXPECT_TRUE(NamesLoader(LastDeviceError())) << LastDeviceError().path;
  }
}

TEST_F(EngineTest, NoInterfaceWithTheWantedIdsIsNotFound) {
  struct Case {
    const char* bus;
    bool plugOther;
  };
  for (const Case& c : {Case{"empty", false}, Case{"another device only", true}}) {
    SCOPED_TRACE(c.bus);
    simbus::TheBus().Reset();
    auto other = c.plugOther ? ScriptedDevice::Plug(0x04D9, 0x1234) : nullptr;
    if (other) simbus::TheBus().SetOpenRefusal(other->port, hid::Reason::kPermissionDenied);
    EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 0);
    EXPECT_EQ(LastDeviceError().reason, hid::Reason::kNotFound);
  }
}

TEST_F(EngineTest, AFoundLoaderClearsTheReasonAndAResetToo) {
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 0);
  auto device = PlugLoader();
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  EXPECT_FALSE(LastDeviceError().Failed());
  simbus::TheBus().Reset();
  EXPECT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 0);
  ResetEngine();
  EXPECT_FALSE(LastDeviceError().Failed());
}

TEST_F(EngineTest, FailedTransfersLeaveTheirReasons) {
  sys::SetClockScale(1000);
  struct Case {
    const char* what;
    std::function<void(ScriptedDevice&)> script;
    hid::Reason reason;
  };
  const std::vector<Case> cases = {
      {"the erase command is not taken", [](ScriptedDevice& d) { d.failWriteNumber = 2; },
       hid::Reason::kDeviceRefused},
      {"the erase is never answered",
       [](ScriptedDevice& d) { d.onCommand = [](const Report&, ScriptedDevice&) {}; },
       hid::Reason::kTimedOut},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    simbus::TheBus().Reset();
    ResetEngine();
    auto device = PlugLoader();
    c.script(*device);
    ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
    EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
    EXPECT_EQ(LastDeviceError().reason, c.reason) << hid::Describe(LastDeviceError());
  }
}

}  // namespace
}  // namespace vexaro::isp::testing
