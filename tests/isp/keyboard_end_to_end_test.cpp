// The engine against the simulated keyboard: a whole image programmed,
// verified and read back, and the switches between application and loader.
#include <random>

#include "sim/keyboard.h"
#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

class KeyboardTest : public EngineTest {
 protected:
  std::shared_ptr<sim::SimKeyboard> Keyboard(sim::KeyboardConfig config) {
    std::string error;
    auto keyboard = sim::SimKeyboard::Create(std::move(config), error);
    EXPECT_NE(keyboard, nullptr) << error;
    if (keyboard) {
      EXPECT_TRUE(keyboard->PlugIn());
    }
    return keyboard;
  }
  static sim::KeyboardConfig ZeroLatency() {
    sim::KeyboardConfig config;
    config.timing = sim::Timing::Zero();
    return config;
  }
};

std::vector<std::uint8_t> RandomImage(std::size_t size) {
  std::mt19937 random(7);
  std::vector<std::uint8_t> image(size);
  for (auto& b : image) b = static_cast<std::uint8_t>(random());
  return image;
}

TEST_F(KeyboardTest, FortyKilobyteImageIsProgrammedVerifiedAndReadBack) {
  sim::KeyboardConfig config = ZeroLatency();
  config.flashSize = 64 * 1024;
  std::uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  config.crcKey.assign(key, key + 16);
  auto keyboard = Keyboard(config);
  ASSERT_EQ(ISP_SetCrcKey(key, 16), 0);
  const auto image = RandomImage(40 * 1024);
  const std::uint32_t start = 0x0C00;
  const std::uint32_t end = start + static_cast<std::uint32_t>(image.size()) - 1;
  ASSERT_EQ(ISP_ErasePage(static_cast<int32_t>(start), static_cast<int32_t>(end)), ISP_OK);
  ASSERT_EQ(ISP_BlankCheck(static_cast<int32_t>(start), static_cast<int32_t>(end)), ISP_OK);
  ASSERT_EQ(ISP_WriteProgramB(start, end, 1, image.data()), ISP_OK);
  EXPECT_EQ(ISP_GetTransProgress(), 100);
  ASSERT_EQ(ISP_WriteProgramB(start, end, 0, image.data()), ISP_OK);
  std::vector<std::uint8_t> back(image.size());
  ASSERT_EQ(ISP_ReadData(start, end, back.data()), ISP_OK);
  EXPECT_EQ(back, image);
  EXPECT_EQ(keyboard->ReadFlash(start, static_cast<std::uint32_t>(image.size())), image);
  EXPECT_NE(ISP_BlankCheck(static_cast<int32_t>(start), static_cast<int32_t>(end)), ISP_OK);
  // Verify of different data fails; so does programming over unerased flash.
  auto changed = image;
  changed[1000] ^= 0x01;
  EXPECT_EQ(ISP_WriteProgramB(start, end, 0, changed.data()), ISP_FAILED);
  std::vector<std::uint8_t> ones(104, 0xFF);
  ones[0] = 0xFF;
  std::vector<std::uint8_t> zeros(104, 0x00);
  EXPECT_EQ(ISP_WriteProgramB(start, start + 103, 1, zeros.data()), ISP_OK);  // clearing bits works
  EXPECT_EQ(ISP_WriteProgramB(start, start + 103, 1, ones.data()), ISP_FAILED);
}

TEST_F(KeyboardTest, WrongKeyBlockIsAnsweredWithF) {
  sim::KeyboardConfig config = ZeroLatency();
  config.crcKey.assign(16, 0x5A);
  auto keyboard = Keyboard(config);
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);  // the engine still uses 64 zero bytes
  std::uint8_t key[16];
  std::fill(std::begin(key), std::end(key), std::uint8_t{0x5A});
  ISP_SetCrcKey(key, 16);
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);
}

TEST_F(KeyboardTest, InformationDescribesTheConfiguredLoader) {
  auto keyboard = Keyboard(ZeroLatency());
  char text[16];
  std::int32_t length = 0;
  const std::pair<std::uint32_t, const char*> expected[] = {
      {0, "HT32F1654"}, {4, "IAP V100"}, {1, "00032768"}, {2, "00001024"}, {6, "00003072"}, {8, "00031744"}};
  for (const auto& [type, want] : expected) {
    ASSERT_EQ(ISP_GetInformation(type, text, &length), ISP_OK) << type;
    EXPECT_STREQ(text, want);
  }
  std::uint16_t crc = 0;
  std::uint8_t payload[52] = {};
  EXPECT_EQ(ISP_CRCCheck(0, 32, &crc, payload), 1);
  EXPECT_EQ(crc, IspCrc16(0, keyboard->ReadFlash(0x0C00, 0x7400).data(), 0x7400));
}

TEST_F(KeyboardTest, ApplicationRestartsIntoLoaderAndExecuteReturnsToIt) {
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(ZeroLatency(), error);
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(keyboard->InstallFirmware(std::vector<std::uint8_t>(256, 0x42), "1.0.0"));
  ASSERT_TRUE(keyboard->PlugIn());
  sim::KeyboardConfig defaults;
  ASSERT_EQ(ISP_IsConnectedToDevice(defaults.apVendorId, defaults.apProductId, 1), 1);
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);  // the application knows no loader command
  EXPECT_EQ(ISP_ResetToIAP(1), ISP_OK);    // written, but keyed: the application ignores it
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kApplication);
  EXPECT_EQ(ISP_ResetToIAP(0), ISP_OK);
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kLoader);
  ASSERT_EQ(ISP_IsConnectedToDevice(defaults.iapVendorId, defaults.iapProductId, 0), 1);
  std::uint8_t record[9] = {};
  ASSERT_EQ(ISP_ReadData(0x7C00, 0x7C08, record), ISP_OK);
  EXPECT_EQ(record[0], 5);
  EXPECT_EQ(record[4], '1');
  EXPECT_EQ(ISP_Execute(), ISP_OK);
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kApplication);
  EXPECT_EQ(ISP_IsConnectedToDevice(defaults.iapVendorId, defaults.iapProductId, 0), 0);
  EXPECT_EQ(ISP_IsConnectedToDevice(defaults.apVendorId, defaults.apProductId, 1), 1);
}

TEST_F(KeyboardTest, ExecuteWithoutApplicationStaysInTheLoader) {
  auto keyboard = Keyboard(ZeroLatency());
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kLoader);
  EXPECT_EQ(ISP_Execute(), ISP_OK);
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kLoader);
  EXPECT_EQ(ISP_IsConnectedToDevice(0x04D9, 0x8010, 0), 1);
}

TEST_F(KeyboardTest, IspLoaderIsMassErasedResetAndFoundAgain) {
  sim::KeyboardConfig config = ZeroLatency();
  config.loaderKind = sim::LoaderKind::kIsp;
  auto keyboard = Keyboard(config);
  ASSERT_TRUE(keyboard->WriteFlash(0x0C00, {1, 2, 3, 4}));
  ASSERT_TRUE(keyboard->WriteFlash(0x7C00, {5, 0, 0, 0}));
  char text[16];
  std::int32_t length = 0;
  ASSERT_EQ(ISP_GetInformation(4, text, &length), ISP_OK);
  EXPECT_EQ(std::string(text, 3), "ISP");
  ASSERT_EQ(ISP_EraseMass(), ISP_OK);
  EXPECT_EQ(keyboard->ReadFlash(0x0C00, 1).at(0), 0xFF);
  EXPECT_EQ(keyboard->ReadFlash(0x7C00, 1).at(0), 0xFF);  // the version record is in the user area
  EXPECT_EQ(ISP_Reset(), ISP_OK);
  EXPECT_EQ(TheEngine().ReadHandle(), hid::kInvalidHandle);
  EXPECT_EQ(keyboard->CurrentMode(), sim::Mode::kLoader);
  ASSERT_EQ(ISP_IsConnectedToDevice(0x04D9, 0x8010, 0), 1);
  EXPECT_EQ(ISP_BlankCheck(0x0C00, 0x7FFF), ISP_OK);
}

}  // namespace
}  // namespace vexaro::isp::testing
