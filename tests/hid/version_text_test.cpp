// The version text the report channel reads: every character a version may
// hold is kept, in both letter cases and with every digit.
#include "hid/usb_driver.h"
#include "sim/demo_keyboard.h"
#include "sim/keyboard.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

class VersionTextTest : public BusTest {
 protected:
  std::string VersionRead(std::string_view version) {
    sim::KeyboardConfig config = sim::DemoKeyboardConfig();
    config.timing = sim::Timing::Zero();
    std::string error;
    auto keyboard = sim::SimKeyboard::Create(config, error);
    EXPECT_NE(keyboard, nullptr) << error;
    if (keyboard == nullptr) return "(no keyboard)";
    EXPECT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), version));
    EXPECT_TRUE(keyboard->PlugIn());
    std::string text;
    {  // the channel stops its monitor slot before the keyboard leaves
      Owner owner;
      CUSBDriver channel;
      channel.SetActive();
      channel.SetOwner(owner.hwnd, 0);
      EXPECT_TRUE(channel.Open(config.apVendorId, config.apProductId));
      EXPECT_EQ(channel.ReadVersion(), 0);
      text = channel.m_strVersion;
    }
    keyboard->Unplug();
    return text;
  }
};

TEST_F(VersionTextTest, EveryVersionCharacterIsKept) {
  EXPECT_EQ(VersionRead("v1.09"), "v1.09");
  EXPECT_EQ(VersionRead("V9.87.65"), "V9.87.65");
  EXPECT_EQ(VersionRead("V0.1234"), "V0.1234");
}

}  // namespace
}  // namespace vexaro::usb::test
