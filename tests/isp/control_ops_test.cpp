// Information texts, the checksum command, mode operations and the
// pass-through of caller-made commands.
#include <cstring>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

Report InfoWords(std::uint32_t w0, std::uint32_t w1, std::uint32_t w2, std::uint32_t w3) {
  Report data(64, 0);
  const std::uint32_t words[4] = {w0, w1, w2, w3};
  for (int i = 0; i < 16; ++i) data[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(words[i / 4] >> (8 * (i % 4)));
  return data;
}

class InformationTest : public EngineTest {
 protected:
  std::string Text(std::uint32_t type, std::uint32_t w0, std::uint32_t w1, std::uint32_t w2,
                   std::uint32_t w3 = 0, int32_t* result = nullptr) {
    device_->onCommand = [=](const Report&, ScriptedDevice& d) {
      d.PushData(InfoWords(w0, w1, w2, w3));
      d.QueueStatus("O");
    };
    char text[16];
    std::memset(text, 'x', sizeof text);
    std::int32_t length = -1;
    const std::int32_t r = ISP_GetInformation(type, text, &length);
    if (result != nullptr) *result = r;
    EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(text)));
    return text;
  }
  std::shared_ptr<ScriptedDevice> device_;
  void SetUp() override {
    EngineTest::SetUp();
    device_ = PlugLoader();
  }
};

TEST_F(InformationTest, TextsOfEveryType) {
  EXPECT_EQ(Text(0, 0x00011654, 0, 0), "HT32F1654");
  EXPECT_EQ(Text(4, 0x00011654, 0, 0), "ISP V1");
  EXPECT_EQ(Text(4, 0x11230000, 0, 0), "IAP V123");
  EXPECT_EQ(Text(1, 0, 0x04000C00, 0x00200000), "00032768");
  EXPECT_EQ(Text(2, 0, 0x04000C00, 0x00200000), "00001024");
  EXPECT_EQ(Text(3, 0, 0, 0x000000AB), "00000171");
  EXPECT_EQ(Text(5, 0, 0, 0), "N/A");
  EXPECT_EQ(Text(8, 0, 0, 0, 0x00007C00), "00031744");
  std::int32_t result = -1;
  EXPECT_EQ(Text(7, 0, 0, 0, 0, &result), "");
  EXPECT_EQ(result, ISP_OK);
  EXPECT_EQ(Text(9, 0, 0, 0, 0, &result), "");
  EXPECT_EQ(result, ISP_OK);
}

TEST_F(InformationTest, TypeSixSetsTheUserStart) {
  EXPECT_EQ(TheEngine().UserStart(), 0x0C00);
  EXPECT_EQ(Text(6, 0, 0x04002000, 0x00200000), "00008192");
  EXPECT_EQ(TheEngine().UserStart(), 0x2000);
  EXPECT_EQ(Text(6, 0, 0x04000C00, 0x00200000), "00003072");
  EXPECT_EQ(TheEngine().UserStart(), 0x0C00);
}

TEST_F(InformationTest, TextIsDeliveredEvenWhenTheClosingStatusIsWrong) {
  device_->onCommand = [](const Report&, ScriptedDevice& d) {
    d.PushData(InfoWords(0x00011654, 0, 0, 0));
    d.QueueStatus("F");
  };
  char text[16] = {};
  std::int32_t length = 0;
  EXPECT_EQ(ISP_GetInformation(0, text, &length), ISP_FAILED);
  EXPECT_STREQ(text, "HT32F1654");
}

TEST_F(InformationTest, MissingClosingStatusStillSucceeds) {
  sys::SetClockScale(1000);
  device_->onCommand = [](const Report&, ScriptedDevice& d) { d.PushData(InfoWords(0x1654, 0, 0, 0)); };
  char text[16] = {};
  std::int32_t length = 0;
  EXPECT_EQ(ISP_GetInformation(0, text, &length), ISP_OK);
}

TEST_F(EngineTest, ChecksumCommandCarriesTheUserAreaAndReturnsTheReply) {
  auto device = PlugLoader();
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueRaw({0x34, 0x12}); };
  std::uint8_t payload[52] = {0xCD, 0xAB};
  std::uint16_t value = 0;
  EXPECT_EQ(ISP_CRCCheck(0, 32, &value, payload), 1);
  EXPECT_EQ(value, 0x1234);
  const Report r = device->Commands().at(0);
  EXPECT_EQ(r[1], 0x02);
  EXPECT_EQ(WordIn(r, 5), 0x0C00u);
  EXPECT_EQ(WordIn(r, 9), 0x7FFFu - 0x0C00 + 1);
  EXPECT_EQ(r[13], 0xCD);
  EXPECT_EQ(r[14], 0xAB);
  EXPECT_EQ(r[64], 0);
}

TEST_F(EngineTest, ModeOperationsWithoutDeviceReturnSixteenAndWriteNothing) {
  auto other = ScriptedDevice::Plug(0x1234, 0x5678);
  EXPECT_EQ(ISP_ResetToIAP(0), ISP_DEVICE_NOT_FOUND);
  EXPECT_EQ(ISP_ResetToIAP(1), ISP_DEVICE_NOT_FOUND);
  EXPECT_EQ(ISP_Reset(), ISP_DEVICE_NOT_FOUND);
  EXPECT_EQ(ISP_Execute(), ISP_DEVICE_NOT_FOUND);
  EXPECT_EQ(ISP_Exit(), ISP_DEVICE_NOT_FOUND);
  EXPECT_TRUE(other->Writes().empty());
}

TEST_F(EngineTest, ModeOperationsSendTheirCommands) {
  auto device = PlugLoader();
  EXPECT_EQ(ISP_Execute(), ISP_OK);
  EXPECT_TRUE(TheEngine().Discovered());
  EXPECT_EQ(ISP_Exit(), ISP_OK);
  EXPECT_EQ(ISP_Reset(), ISP_OK);
  EXPECT_EQ(TheEngine().WriteHandle(), hid::kInvalidHandle);  // reset closes the connection
  auto c = device->Commands();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0][1], 0x04);
  EXPECT_EQ(c[0][2], 0x00);
  EXPECT_EQ(c[1][1], 0x05);
  EXPECT_EQ(c[2][1], 0x04);
  EXPECT_EQ(c[2][2], 0x01);
}

TEST_F(EngineTest, UserCommandsFromFiftyHexOnly) {
  auto device = PlugLoader();
  std::uint8_t command[62];
  for (int i = 0; i < 62; ++i) command[i] = static_cast<std::uint8_t>(i + 0x40);
  command[0] = 0x4F;
  EXPECT_EQ(ISP_SendUserCmd(command), 0);
  EXPECT_TRUE(device->Writes().empty());
  command[0] = 0x50;
  EXPECT_EQ(ISP_SendUserCmd(command), 1);
  const Report r = device->Commands().at(0);
  EXPECT_EQ(r[1], 0x50);
  EXPECT_EQ(r[2], command[1]);
  EXPECT_EQ(r[5], command[2]);
  EXPECT_EQ(r[12], command[9]);
  EXPECT_EQ(r[13], command[10]);
  EXPECT_EQ(r[64], command[61]);
  EXPECT_EQ(ISP_GetUserResult(1), 1);  // the scripted "O"
}

TEST_F(EngineTest, UserDataReadsWholeReports) {
  auto device = PlugLoader();
  std::vector<std::uint8_t> buffer(128);
  EXPECT_EQ(ISP_GetUserData(buffer.data(), 0), 0);
  ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0);
  device->PushData(Report(64, 0x11));
  device->PushData(Report(64, 0x22));
  EXPECT_EQ(ISP_GetUserData(buffer.data(), 100), 128);
  EXPECT_EQ(buffer[0], 0x11);
  EXPECT_EQ(buffer[127], 0x22);
}

TEST_F(EngineTest, UserResultJudgesExactlyO) {
  sys::SetClockScale(1000);
  auto device = PlugLoader();
  ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0);
  device->QueueStatus("OO");
  EXPECT_EQ(ISP_GetUserResult(1), 0);
  EXPECT_EQ(ISP_GetUserResult(1), 0);  // nothing queued
}

}  // namespace
}  // namespace vexaro::isp::testing
