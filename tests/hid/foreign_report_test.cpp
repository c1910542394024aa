// A version read while another keyboard of the same identity sends input
// reports: only the replies of the device the channel talks to make up the
// version text.
#include <array>
#include <memory>
#include <vector>

#include "hid/usb_driver.h"
#include "sim/demo_keyboard.h"
#include "sim/keyboard.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

// The keyboard's reply takes this long, so the other device's reports reach
// the channel while the read is waiting for it.
constexpr std::uint32_t kReplyFrameMs = 400;
// The other device sends a report this often during that window.
constexpr std::uint32_t kForeignReportEveryMs = 50;
constexpr std::size_t kVendorCollection = 1;
constexpr std::size_t kReportBytes = 65;

// Looks like a read reply carrying the text "9.99".
std::array<std::uint8_t, kReportBytes> ForeignReport() {
  std::array<std::uint8_t, kReportBytes> report{};
  report.fill(0xFF);
  const std::uint8_t head[] = {0x00, 0x01, 0x02, 0x3C, 0x00, '9', '.', '9', '9', 0x00};
  std::copy(std::begin(head), std::end(head), report.begin());
  return report;
}

using ForeignReportTest = BusTest;

TEST_F(ForeignReportTest, ReportsOfAnotherDeviceAreNotTakenAsTheVersion) {
  // The channel talks to the last of the keyboards of its identity, the one
  // on the higher port: the other keyboard takes its port first.
  const int otherPort = simbus::TheBus().NewPort();
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.timing = sim::Timing::Zero();
  config.timing.frameMs = kReplyFrameMs;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  ASSERT_NE(keyboard, nullptr) << error;
  ASSERT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), "1.42"));

  ASSERT_GT(keyboard->Port(), otherPort);
  ASSERT_TRUE(keyboard->PlugIn());
  simbus::DeviceDescriptor other = KeyboardDescriptor();
  other.attributes.vendorId = config.apVendorId;
  other.attributes.productId = config.apProductId;
  ASSERT_TRUE(simbus::TheBus().Plug(otherPort, other, std::make_shared<RecordingDevice>()));

  std::string text;
  int result = -1;
  {  // the channel stops its monitor slot before the keyboards leave
    Owner owner;
    CUSBDriver channel;
    channel.SetActive();
    channel.SetOwner(owner.hwnd, 0);
    ASSERT_TRUE(channel.Open(config.apVendorId, config.apProductId));
    const auto report = ForeignReport();
    const std::uint64_t now = sys::NowMs();
    for (std::uint32_t at = kForeignReportEveryMs; at < kReplyFrameMs; at += kForeignReportEveryMs) {
      simbus::TheBus().PushInputReport(otherPort, kVendorCollection, report.data(), report.size(), now + at);
    }
    result = channel.ReadVersion();
    text = channel.m_strVersion;
  }
  keyboard->Unplug();
  simbus::TheBus().Unplug(otherPort);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(text, "1.42");
}

}  // namespace
}  // namespace vexaro::usb::test
