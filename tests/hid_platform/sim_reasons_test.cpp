// Why a call on the simulated bus failed: opens refused for each reason a
// port can be given, and the reasons of failed transfers, read back through
// hid::LastError on the calling thread.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"

namespace vexaro::hid {
namespace {

// Takes every report; GET_REPORT answers only when told to.
class QuietDevice final : public simbus::Device {
 public:
  bool OnOutputReport(int, std::size_t, const std::uint8_t*, std::size_t) override { return true; }
  bool OnGetInputReport(int, std::size_t, std::uint8_t*, std::size_t) override { return answers; }
  bool answers = false;
};

class SimReasonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SelectBackend(BackendKind::kSimulated));
    simbus::TheBus().Reset();
    simbus::DeviceDescriptor d;
    d.attributes = {0x04D9, 0x8010, 0x0100};
    Caps caps;
    caps.usagePage = 0xFF00;
    caps.usage = 1;
    caps.inputReportByteLength = 65;
    caps.outputReportByteLength = 65;
    d.collections = {caps};
    port = simbus::TheBus().NewPort();
    ASSERT_TRUE(simbus::TheBus().Plug(port, d, device));
    path = EnumerateInterfaces().at(0);
  }
  void TearDown() override { simbus::TheBus().Reset(); }

  std::shared_ptr<QuietDevice> device = std::make_shared<QuietDevice>();
  int port = 0;
  std::string path;
};

TEST_F(SimReasonsTest, ARefusedOpenSaysWhyAndNamesThePathWhileTheInterfaceIsStillListed) {
  for (Reason reason : {Reason::kPermissionDenied, Reason::kBusy, Reason::kGone, Reason::kOther}) {
    SCOPED_TRACE(ReasonName(reason));
    simbus::TheBus().SetOpenRefusal(port, reason);
    EXPECT_EQ(EnumerateInterfaces(), std::vector<std::string>{path});
    for (Access access : {Access::kQuery, Access::kReadWrite}) {
      EXPECT_EQ(Open(path, access), kInvalidHandle);
      EXPECT_EQ(LastError().reason, reason);
      EXPECT_EQ(LastError().path, path);
    }
  }
  simbus::TheBus().SetOpenRefusal(port, Reason::kNone);
  const Handle h = Open(path, Access::kReadWrite);
  EXPECT_NE(h, kInvalidHandle);
  EXPECT_FALSE(LastError().Failed());
  Close(h);
}

TEST_F(SimReasonsTest, TheRefusalStaysAcrossAReplugAndAResetForgetsIt) {
  simbus::TheBus().SetOpenRefusal(port, Reason::kPermissionDenied);
  simbus::DeviceDescriptor d;
  d.attributes = {0x04D9, 0x8010, 0x0100};
  d.collections = {Caps{}};
  ASSERT_TRUE(simbus::TheBus().Unplug(port));
  ASSERT_TRUE(simbus::TheBus().Plug(port, d, device));
  EXPECT_EQ(Open(EnumerateInterfaces().at(0), Access::kQuery), kInvalidHandle);
  EXPECT_EQ(LastError().reason, Reason::kPermissionDenied);
  simbus::TheBus().Reset();
  const int fresh = simbus::TheBus().NewPort();
  ASSERT_TRUE(simbus::TheBus().Plug(fresh, d, device));
  EXPECT_NE(Open(EnumerateInterfaces().at(0), Access::kQuery), kInvalidHandle);
}

TEST_F(SimReasonsTest, EachFailedCallLeavesItsReasonAndTheNextCallClearsIt) {
  const Handle rw = Open(path, Access::kReadWrite);
  const Handle query = Open(path, Access::kQuery);
  ASSERT_NE(rw, kInvalidHandle);
  std::uint8_t report[65] = {};
  struct Case {
    const char* what;
    std::function<bool()> call;
    Reason reason;
  };
  const std::vector<Case> cases = {
      {"GET_REPORT stalled", [&] { return GetInputReport(rw, report, sizeof report); }, Reason::kDeviceRefused},
      {"write on a query handle", [&] { return WriteReport(query, report, sizeof report); }, Reason::kOther},
      {"write of a wrong length", [&] { return WriteReport(rw, report, 3); }, Reason::kOther},
      {"read with nothing coming",
       [&] { return ReadInputReport(rw, report, sizeof report, 1, nullptr) == ReadResult::kOk; },
       Reason::kTimedOut},
      {"open of a path not on the bus", [&] { return Open(path + "x", Access::kQuery) != kInvalidHandle; },
       Reason::kGone},
      {"close of a handle never opened", [&] { return Close(12345678); }, Reason::kOther},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(c.call());
    EXPECT_EQ(LastError().reason, c.reason);
    Attributes attributes;
    EXPECT_TRUE(GetAttributes(rw, attributes));
    EXPECT_FALSE(LastError().Failed());
  }
}

TEST_F(SimReasonsTest, AHandleWhoseDeviceLeftFailsAsGone) {
  const Handle rw = Open(path, Access::kReadWrite);
  ASSERT_NE(rw, kInvalidHandle);
  ASSERT_TRUE(simbus::TheBus().Unplug(port));
  std::uint8_t report[65] = {};
  EXPECT_FALSE(WriteReport(rw, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_EQ(ReadInputReport(rw, report, sizeof report, 10, nullptr), ReadResult::kFailed);
  EXPECT_EQ(LastError().reason, Reason::kGone);
  Attributes attributes;
  EXPECT_FALSE(GetAttributes(rw, attributes));
  EXPECT_EQ(LastError().reason, Reason::kGone);
}

TEST_F(SimReasonsTest, TheErrorBelongsToTheThreadThatFailed) {
  simbus::TheBus().SetOpenRefusal(port, Reason::kBusy);
  EXPECT_EQ(Open(path, Access::kQuery), kInvalidHandle);
  Error seenElsewhere{Reason::kOther, 1, "unset", ""};
  std::thread other([&] { seenElsewhere = LastError(); });
  other.join();
  EXPECT_FALSE(seenElsewhere.Failed());
  EXPECT_EQ(LastError().reason, Reason::kBusy);
}

TEST(HidPaths, APathNamesTheDeviceByItsIdsInEitherCase) {
  struct Case {
    const char* path;
    std::uint16_t vid, pid;
    bool names;
  };
  const Case cases[] = {
      {"/dev/hidraw3?vid_3c9a&pid_0a21&mi_01", 0x3C9A, 0x0A21, true},
      {"\\\\?\\HID#VID_04D9&PID_8010#7&1&0", 0x04D9, 0x8010, true},
      {"\\\\?\\hid#vid_04d9&pid_8011#7&1&0", 0x04D9, 0x8010, false},
      {"/dev/hidraw3", 0x3C9A, 0x0A21, false},
  };
  for (const Case& c : cases) EXPECT_EQ(PathNamesDevice(c.path, c.vid, c.pid), c.names) << c.path;
}

}  // namespace
}  // namespace vexaro::hid
