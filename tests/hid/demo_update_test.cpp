// The demo keyboard through an update of its version record and application,
// with the loader engine: the report channel follows the keyboard out into
// its loader and back, and reads the new version where the update wrote it.
#include "hid/usb_driver.h"
#include "isp/engine.h"
#include "isp/isp_api.h"
#include "sim/demo_keyboard.h"
#include "tests/hid/hid_test_util.h"
#include "sim/demo_firmware.h"

namespace vexaro::usb::test {
namespace {

class DemoUpdateTest : public BusTest {
 protected:
  void SetUp() override {
    BusTest::SetUp();
    isp::ResetEngine();
  }
  void TearDown() override {
    isp::ResetEngine();
    BusTest::TearDown();
  }
};

std::vector<std::uint8_t> Words(std::vector<std::uint8_t> bytes) {
  bytes.resize((bytes.size() + 3) / 4 * 4, 0xFF);
  return bytes;
}

std::vector<std::uint8_t> VersionRecord(std::string_view text) {
  std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(text.size()), 0, 0, 0};
  record.insert(record.end(), text.begin(), text.end());
  return Words(record);
}

// The clock runs fast here: give the notices room in program time.
template <typename Pred>
bool Until(Pred pred) {
  return gui::test::PumpUntil(pred, 120000);
}

int32_t Program(std::uint32_t start, const std::vector<std::uint8_t>& bytes) {
  const auto end = start + static_cast<std::uint32_t>(bytes.size()) - 1;
  const int32_t written = ISP_WriteProgramB(start, end, 1, bytes.data());
  return written != ISP_OK ? written : ISP_WriteProgramB(start, end, 0, bytes.data());
}

TEST_F(DemoUpdateTest, TheChannelReadsTheVersionTheUpdateWrote) {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.timing = sim::Timing::Zero();
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  ASSERT_NE(keyboard, nullptr) << error;
  ASSERT_TRUE(keyboard->InstallFirmware(sim::DemoInternalImage(sim::kDemoStartVersion), sim::kDemoStartVersion));
  ASSERT_TRUE(keyboard->PlugIn());
  sys::SetClockScale(50);  // the engine's whole-second reply windows
  Owner owner;
  CUSBDriver channel;
  channel.SetActive();
  channel.SetOwner(owner.hwnd, 0);
  ASSERT_TRUE(channel.Open(config.apVendorId, config.apProductId));
  ASSERT_TRUE(Until([&] { return owner.notices.size() == 1; }));
  ASSERT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V2.05");

  ASSERT_EQ(isp::ISP_SetCrcKey(config.crcKey.data(), static_cast<std::uint16_t>(config.crcKey.size())), 0);
  ASSERT_EQ(ISP_IsConnectedToDevice(config.apVendorId, config.apProductId, 1), 1);
  ASSERT_EQ(ISP_ResetToIAP(0), ISP_OK);
  ASSERT_TRUE(Until([&] { return owner.notices.size() == 2; }));
  EXPECT_EQ(owner.notices.back(), 0);  // the application has left the bus
  ASSERT_EQ(ISP_IsConnectedToDevice(config.iapVendorId, config.iapProductId, 0), 1);
  char text[16];
  std::int32_t length = 0;
  ASSERT_EQ(ISP_GetInformation(6, text, &length), ISP_OK);
  EXPECT_STREQ(text, "00011264");  // 0x2C00
  ASSERT_EQ(ISP_GetInformation(8, text, &length), ISP_OK);
  EXPECT_STREQ(text, "00010236");  // 0x27FC

  const auto image = Words(sim::DemoInternalImage("V2.07"));
  const std::uint32_t apStart = 0x2C00;
  ASSERT_EQ(ISP_ErasePage(0x27FC, 0x27FC + 131), ISP_OK);
  ASSERT_EQ(ISP_ErasePage(static_cast<int32_t>(apStart), static_cast<int32_t>(apStart + sim::kDemoImageLength - 1)),
            ISP_OK);
  ASSERT_EQ(Program(apStart, image), ISP_OK);
  ASSERT_EQ(Program(0x27FC, VersionRecord("V2.07")), ISP_OK);
  ASSERT_EQ(ISP_Execute(), ISP_OK);

  ASSERT_TRUE(Until([&] { return owner.notices.size() == 3; }));
  EXPECT_EQ(owner.notices.back(), 1);
  ASSERT_EQ(channel.ReadVersion(), 0);
  EXPECT_EQ(channel.m_strVersion, "V2.07");
}

TEST_F(DemoUpdateTest, AnIspLoadersMassEraseClearsTheVersionRecord) {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.timing = sim::Timing::Zero();
  config.loaderKind = sim::LoaderKind::kIsp;
  config.initialMode = sim::Mode::kLoader;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  ASSERT_NE(keyboard, nullptr) << error;
  ASSERT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(64, 0x21), "V2.05"));
  ASSERT_TRUE(keyboard->WriteFlash(0x2000, {1, 2, 3, 4}));  // in the loader's own area
  ASSERT_TRUE(keyboard->PlugIn());
  ASSERT_EQ(isp::ISP_SetCrcKey(config.crcKey.data(), static_cast<std::uint16_t>(config.crcKey.size())), 0);
  ASSERT_EQ(ISP_IsConnectedToDevice(config.apVendorId, config.apProductId, 1), 1);
  ASSERT_EQ(ISP_ResetToIAP(0), ISP_OK);
  ASSERT_EQ(ISP_IsConnectedToDevice(config.iapVendorId, config.iapProductId, 0), 1);
  ASSERT_EQ(ISP_EraseMass(), ISP_OK);
  EXPECT_EQ(keyboard->ReadFlash(0x27FC, 9), std::vector<std::uint8_t>(9, 0xFF));
  EXPECT_EQ(keyboard->ReadFlash(0x2C00, 4), std::vector<std::uint8_t>(4, 0xFF));
  EXPECT_EQ(keyboard->ReadFlash(0x2000, 4), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace vexaro::usb::test
