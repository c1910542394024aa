// Why the report channel is not open: a keyboard whose collections refuse to
// open (as hidraw nodes without the udev rule) is told apart from no
// keyboard, at Open and when it arrives later.
#include "hid/usb_driver.h"
#include "sim/demo_keyboard.h"
#include "sim/keyboard.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

class ChannelOpenErrorTest : public BusTest {
 protected:
  std::shared_ptr<sim::SimKeyboard> Keyboard(const char* faults, bool plug = true) {
    sim::KeyboardConfig config = sim::DemoKeyboardConfig();
    config.timing = sim::Timing::Zero();
    std::string error;
    EXPECT_TRUE(sim::ParseFaults(faults, config.faults, error)) << error;
    auto keyboard = sim::SimKeyboard::Create(config, error);
    EXPECT_NE(keyboard, nullptr) << error;
    EXPECT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), "V1.00"));
    if (plug) {
      EXPECT_TRUE(keyboard->PlugIn());
    }
    return keyboard;
  }
  bool NamesKeyboard(const hid::Error& e) const {
    return hid::PathNamesDevice(e.path, static_cast<std::uint16_t>(vid), static_cast<std::uint16_t>(pid));
  }
  const int vid = sim::DemoKeyboardConfig().apVendorId;
  const int pid = sim::DemoKeyboardConfig().apProductId;
};

TEST_F(ChannelOpenErrorTest, EachStateOfTheBusGivesItsReason) {
  struct Case {
    const char* bus;
    const char* faults;  // nullptr: no keyboard
    hid::Reason reason;
    bool opens;
  };
  const Case cases[] = {
      {"no keyboard", nullptr, hid::Reason::kNotFound, false},
      {"a keyboard without permission", "no-permission", hid::Reason::kPermissionDenied, false},
      {"a keyboard that opens", "", hid::Reason::kNone, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bus);
    simbus::TheBus().Reset();
    auto keyboard = c.faults != nullptr ? Keyboard(c.faults) : nullptr;
    Owner owner;
    CUSBDriver channel;
    channel.SetOwner(owner.hwnd, 0);
    EXPECT_EQ(channel.Open(vid, pid) != gui::FALSE, c.opens);
    EXPECT_EQ(channel.LastOpenError().reason, c.reason) << hid::Describe(channel.LastOpenError());
    if (c.reason == hid::Reason::kPermissionDenied) {
      EXPECT_TRUE(NamesKeyboard(channel.LastOpenError())) << channel.LastOpenError().path;
    }
  }
}

TEST_F(ChannelOpenErrorTest, AKeyboardThatArrivesButRefusesIsReportedToo) {
  Owner owner;
  CUSBDriver channel;
  channel.SetOwner(owner.hwnd, 0);
  EXPECT_FALSE(channel.Open(vid, pid));
  EXPECT_EQ(channel.LastOpenError().reason, hid::Reason::kNotFound);
  auto keyboard = Keyboard("no-permission");  // arrives on the monitor's thread
  EXPECT_TRUE(gui::test::PumpUntil(
      [&] { return channel.LastOpenError().reason == hid::Reason::kPermissionDenied; }));
  EXPECT_EQ(channel.IsOpen(), 0);
}

TEST_F(ChannelOpenErrorTest, TheMonitorKeepsNoReasonForCollectionsItDoesNotWant) {
  auto keyboard = Keyboard("no-permission");
  HID_MONITOR_CONFIG other = KeyboardConfig(false);
  other.dwVendorID = static_cast<std::uint32_t>(vid);
  other.dwProductID = 0x1234;  // the keyboard's product is not this one
  Client client;
  HidMon_SetConfig(&other, 1);
  EXPECT_EQ(HidMon_Start(client.hwnd, kStateMsg, 1), 0);
  EXPECT_FALSE(HidMon_GetOpenError(1).Failed());
  HidMon_Stop(1);
  EXPECT_FALSE(HidMon_GetOpenError(1).Failed());
  EXPECT_FALSE(HidMon_GetOpenError(kHidMonitorSlots).Failed());
}

}  // namespace
}  // namespace vexaro::usb::test
