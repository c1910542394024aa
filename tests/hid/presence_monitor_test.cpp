// The presence monitor: path matching, the present set and its notices, the
// hold-back while drivers are installed, and real arrivals from the bus.
#include "hid/presence_monitor.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

using PresenceTest = BusTest;

const gui::CString kPath = "\\\\?\\HID#VID_04D9&PID_8010#7&1&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

TEST_F(PresenceTest, PathsMatchTheirIdsInAnyCaseAndAreKeptLowerCase) {
  CUsbInfo info;
  EXPECT_TRUE(info.IsTargetPath(kPath, 0x04D9, 0x8010));
  EXPECT_FALSE(info.IsTargetPath(kPath, 0x04D9, 0x8011));
  EXPECT_FALSE(info.IsTargetPath(kPath, 0, 0));  // left unconfigured: 0000/0000
  info.m_nVendorID = 0x04D9;
  info.m_nProductID = 0x8010;
  EXPECT_TRUE(info.IsTargetPath(kPath, 0, 0));
  info.UpdatePresence(kPath, true);
  ASSERT_EQ(info.m_PathList.size(), 1u);
  EXPECT_EQ(info.m_PathList.front().find("vid_04d9&pid_8010"), 8u);
}

TEST_F(PresenceTest, ArrivalsAndRemovalsPostPresenceOnceEach) {
  Owner owner;
  CUsbInfo info;
  info.m_hOwner = owner.hwnd;
  info.UpdatePresence(kPath, true);
  info.UpdatePresence(kPath, true);  // already listed: re-evaluated, nothing posted
  EXPECT_EQ(info.m_PathList.size(), 1u);
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
  info.UpdatePresence("\\\\?\\hid#vid_04d9&pid_9999#x", false);  // not listed: nothing removed
  EXPECT_EQ(info.m_PathList.size(), 1u);
  info.UpdatePresence(kPath, false);
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1, 0}));
  info.UpdatePresence(kPath, false);  // not reported any more: nothing
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1, 0}));
}

TEST_F(PresenceTest, PendingInstallationsHoldTheNoticeBack) {
  sys::SetClockScale(100);
  simbus::TheBus().SetInstallTimeAfterPlug(5000);
  Plug(std::make_shared<RecordingDevice>());
  ASSERT_TRUE(IsDeviceInstallPending());
  Owner owner;
  CUsbInfo info;
  info.m_hOwner = owner.hwnd;
  info.UpdatePresence(kPath, true);
  EXPECT_EQ(info.m_bReported, 1);
  EXPECT_TRUE(owner.Notices(1000).empty());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return !owner.notices.empty(); }, 10000));
  EXPECT_FALSE(IsDeviceInstallPending());
  EXPECT_EQ(owner.Notices(3000), (std::vector<gui::LPARAM>{1}));  // the timer is gone
}

TEST_F(PresenceTest, FewerInterfacesThanExpectedCountAsPresentAfterTheFallback) {
  sys::SetClockScale(1000);
  Owner owner;
  CUsbInfo info;
  info.m_hOwner = owner.hwnd;
  info.m_nExpected = 2;
  info.UpdatePresence(kPath, true);
  EXPECT_TRUE(owner.Notices(1000).empty());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return !owner.notices.empty(); }, 120000));
  EXPECT_EQ(owner.notices, (std::vector<gui::LPARAM>{1}));
  EXPECT_EQ(info.m_bReported, 1);
}

TEST_F(PresenceTest, FollowsTheBusWhenGivenATarget) {
  Owner owner;
  CUsbInfo info;
  info.m_hOwner = owner.hwnd;
  info.m_nVendorID = kVid;
  info.m_nProductID = kPid;
  const int port = Plug(std::make_shared<RecordingDevice>());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return !owner.notices.empty(); }));
  EXPECT_EQ(info.m_PathList.size(), 2u);  // both collections
  simbus::TheBus().Unplug(port);
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 2; }));
  EXPECT_EQ(owner.notices, (std::vector<gui::LPARAM>{1, 0}));
}

}  // namespace
}  // namespace vexaro::usb::test
