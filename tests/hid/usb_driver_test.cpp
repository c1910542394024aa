// The report channel with the simulated keyboard: presence notices (also
// across a restart and a suspension), the version read, the status poll, two
// keyboards and a silent device.
#include "hid/usb_driver.h"
#include "sim/demo_keyboard.h"
#include "sim/keyboard.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

class ChannelTest : public BusTest {
 protected:
  std::shared_ptr<sim::SimKeyboard> Keyboard(std::string_view version, bool plug = true) {
    sim::KeyboardConfig config = sim::DemoKeyboardConfig();
    config.timing = sim::Timing::Zero();
    std::string error;
    auto keyboard = sim::SimKeyboard::Create(config, error);
    EXPECT_NE(keyboard, nullptr) << error;
    EXPECT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), version));
    if (plug) {
      EXPECT_TRUE(keyboard->PlugIn());
    }
    return keyboard;
  }
  void Bind(CUSBDriver& channel, Owner& owner) {
    channel.SetActive();
    channel.SetOwner(owner.hwnd, 0);
  }
  const int vid = sim::DemoKeyboardConfig().apVendorId;
  const int pid = sim::DemoKeyboardConfig().apProductId;
};

TEST_F(ChannelTest, OpenFindsTheKeyboardAndTellsTheOwnerOnceAfterwards) {
  auto keyboard = Keyboard("V2.05");
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  EXPECT_TRUE(channel.Open(vid, pid));
  EXPECT_EQ(channel.IsOpen(), 1);
  EXPECT_TRUE(owner.notices.empty());  // not before Open returned
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
  EXPECT_TRUE(channel.Open(vid, pid));  // restarts the slot: the entry is replaced
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V2.05");
  EXPECT_EQ(channel.QueryStatus(), 1);  // "OK"
}

TEST_F(ChannelTest, OpenWithoutKeyboardTellsTheOwnerItIsAbsent) {
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  EXPECT_FALSE(channel.Open(vid, pid));
  EXPECT_EQ(channel.IsOpen(), 0);
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{0}));
  EXPECT_EQ(channel.QueryStatus(), 0);
}

TEST_F(ChannelTest, ARestartThatFindsNothingDropsTheEntryLeftFromBefore) {
  auto keyboard = Keyboard("V2.05");
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(vid, pid));
  ASSERT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
  HidMon_Stop(0);  // gone without closed records: the channel still lists the keyboard
  keyboard->Unplug();
  ASSERT_EQ(channel.IsOpen(), 1);
  EXPECT_FALSE(channel.Open(vid, pid));
  EXPECT_EQ(channel.IsOpen(), 0);
  EXPECT_EQ(channel.FindDeviceID(0x0001, 0xFF00), 0);
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1, 0}));
}

TEST_F(ChannelTest, SuspendTellsTheOwnerTheKeyboardWentAndResumeBringsItBack) {
  auto keyboard = Keyboard("V2.05");
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(vid, pid));
  ASSERT_EQ(channel.ReadVersion(), 0);
  ASSERT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
  simbus::TheBus().Suspend();
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 2; }));
  EXPECT_EQ(owner.notices.back(), 0);
  EXPECT_EQ(channel.IsOpen(), 0);
  EXPECT_TRUE(channel.m_strVersion.IsEmpty());
  simbus::TheBus().Resume();
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 3; }));
  EXPECT_EQ(owner.notices.back(), 1);
  EXPECT_EQ(channel.FindDeviceID(0x0001, 0xFF01), 1);  // ids start again from 1
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V2.05");
}

TEST_F(ChannelTest, UnplugClearsTheVersionAndPlugBringsItBack) {
  auto keyboard = Keyboard("V2.05");
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(vid, pid));
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 1; }));
  ASSERT_EQ(channel.ReadVersion(), 0);
  keyboard->Unplug();
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 2; }));
  EXPECT_EQ(owner.notices.back(), 0);
  EXPECT_TRUE(channel.m_strVersion.IsEmpty());
  EXPECT_EQ(channel.IsOpen(), 0);
  ASSERT_TRUE(keyboard->PlugIn());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return owner.notices.size() == 3; }));
  EXPECT_EQ(owner.notices.back(), 1);
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V2.05");
}

TEST_F(ChannelTest, TheVersionEndsAtTheFirstOtherCharacterAndErasedMemoryReadsEmpty) {
  auto keyboard = Keyboard("V1.05", false);
  ASSERT_TRUE(keyboard->WriteFlash(0x2800 + 5, {' ', 'x', '1'}));
  ASSERT_TRUE(keyboard->PlugIn());
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(vid, pid));
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V1.05");

  keyboard->Unplug();
  ASSERT_TRUE(gui::test::PumpUntil([&] { return channel.IsOpen() == 0; }));
  auto blank = Keyboard("", false);
  ASSERT_EQ(blank->ReadFlash(0x2800, 3), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(blank->PlugIn());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return channel.IsOpen() == 1; }));
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_TRUE(channel.m_strVersion.IsEmpty());
}

TEST_F(ChannelTest, AReadWhileClosedOpensWithTheStoredIds) {
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  EXPECT_FALSE(channel.Open(vid, pid));
  HidMon_Stop(0);  // the arrival must not be seen by a running monitor
  auto keyboard = Keyboard("V2.05");
  EXPECT_EQ(channel.IsOpen(), 0);
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.IsOpen(), 1);
  EXPECT_EQ(channel.m_strVersion, "V2.05");
}

TEST_F(ChannelTest, WithTwoKeyboardsTheChannelTalksToTheOneOpenedLast) {
  auto first = Keyboard("V1.01");
  auto second = Keyboard("V1.02");
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(vid, pid));
  EXPECT_EQ(channel.FindDeviceID(0x0001, 0xFF01), 2);
  EXPECT_EQ(channel.FindDeviceID(0x0001, 0xFF00), 2);  // the first opened record was replaced
  EXPECT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V1.02");
  EXPECT_EQ(owner.Notices(), (std::vector<gui::LPARAM>{1}));
}

TEST_F(ChannelTest, StatusIsTheIndexOfTheFirstByteThatIsNotO) {
  auto device = std::make_shared<RecordingDevice>();
  Plug(device);
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(kVid, kPid));
  const auto status = [&](std::vector<std::uint8_t> bytes) {
    {
      std::lock_guard lock(device->m);
      device->status = std::move(bytes);
    }
    return channel.QueryStatus();
  };
  EXPECT_EQ(status({'O', 'K'}), 1);
  EXPECT_EQ(status({'O', 'O', 'O', 'K'}), 3);
  EXPECT_EQ(status(std::vector<std::uint8_t>(63, 'O')), 63);
  EXPECT_EQ(status(std::vector<std::uint8_t>(64, 'O')), 0);
  EXPECT_EQ(status({'K', 'O'}), 0);
  EXPECT_EQ(status({}), 0);  // no report
}

TEST_F(ChannelTest, ASilentDeviceEndsTheVersionReadByItsTimeOut) {
  auto device = std::make_shared<RecordingDevice>();
  Plug(device);
  Owner owner;
  CUSBDriver channel;
  Bind(channel, owner);
  ASSERT_TRUE(channel.Open(kVid, kPid));
  channel.m_strVersion = "V9.99";
  sys::SetClockScale(100);
  EXPECT_EQ(channel.ReadVersion(), 1);
  EXPECT_EQ(channel.m_strVersion, "V9.99");
  std::lock_guard lock(device->m);
  ASSERT_EQ(device->writes.size(), 1u);
  const auto& w = device->writes[0].bytes;
  // Report id, read command, checksum, start and end address.
  EXPECT_EQ(w[0], 5);
  EXPECT_EQ(w[1], 0x01);
  EXPECT_EQ(w[2], 0x02);
  EXPECT_EQ(w[5] | w[6] << 8, 0x2800);
  EXPECT_EQ(w[9] | w[10] << 8, 0x283C);
  EXPECT_TRUE(w[3] != 0 || w[4] != 0);
}

}  // namespace
}  // namespace vexaro::usb::test
