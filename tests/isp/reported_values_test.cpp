// What the engine hands its callers, checked exactly: information texts with
// hexadecimal digits, transfer progress part-way through a transfer, and user
// data that stays inside the caller's buffer.
#include <cstring>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

Report WordsReport(std::uint32_t w0) {
  Report data(64, 0);
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(w0 >> (8 * i));
  return data;
}

std::string InformationText(ScriptedDevice& device, std::uint32_t type, std::uint32_t w0) {
  device.onCommand = [w0](const Report&, ScriptedDevice& d) {
    d.PushData(WordsReport(w0));
    d.QueueStatus("O");
  };
  char text[32];
  std::memset(text, 'x', sizeof text);
  std::int32_t length = -1;
  EXPECT_EQ(ISP_GetInformation(type, text, &length), ISP_OK);
  EXPECT_EQ(length, static_cast<std::int32_t>(std::strlen(text)));
  return text;
}

TEST_F(EngineTest, InformationTextsWriteHexadecimalLettersInUpperCase) {
  auto device = PlugLoader();
  EXPECT_EQ(InformationText(*device, 0, 0x1234BEEF), "HT32FBEEF");
  EXPECT_EQ(InformationText(*device, 0, 0x0000000A), "HT32FA");
  EXPECT_EQ(InformationText(*device, 4, 0x0FFF0000), "ISP VFFF");
  EXPECT_EQ(InformationText(*device, 4, 0x20AC0000), "IAP VAC");
}

// 114 bytes go out as 52 + 52 + 10: after the first report 52 of 114 bytes
// (45 %) are sent, after the second 104 (91 %); counting reports would say
// 33 % and 66 %.
TEST_F(EngineTest, TransferProgressCountsTheBytesSent) {
  auto device = PlugLoader();
  const std::vector<std::uint8_t> data(114, 0x3C);
  for (std::uint8_t mode : {std::uint8_t{1}, std::uint8_t{0}}) {
    std::vector<std::int32_t> seen;
    device->onCommand = [&seen](const Report&, ScriptedDevice& d) {
      seen.push_back(ISP_GetTransProgress());
      if (seen.size() == 3) d.QueueStatus("OOO");
    };
    ASSERT_EQ(ISP_WriteProgramB(0x2000, 0x2000 + 113, mode, data.data()), ISP_OK);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[1], 45) << "mode " << int{mode};
    EXPECT_EQ(seen[2], 91) << "mode " << int{mode};
    EXPECT_EQ(ISP_GetTransProgress(), 100);
  }
}

// Bytes 1 to 64 of each data report, at offsets 0, 64, ... and nothing more.
TEST_F(EngineTest, UserDataFillsWholeReportsAndNothingPastThem) {
  constexpr std::size_t kGuard = 32;
  constexpr std::uint8_t kGuardByte = 0xA5;
  auto device = PlugLoader();
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoaderVid, kLoaderPid, 0), 1);
  Report first(64), second(64);
  for (std::size_t i = 0; i < 64; ++i) {
    first[i] = static_cast<std::uint8_t>(i + 1);
    second[i] = static_cast<std::uint8_t>(0x80 + i);
  }
  for (std::size_t reports : {std::size_t{1}, std::size_t{2}}) {
    device->PushData(first);
    if (reports == 2) device->PushData(second);
    std::vector<std::uint8_t> buffer(64 * reports + kGuard, kGuardByte);
    ASSERT_EQ(ISP_GetUserData(buffer.data(), static_cast<std::int32_t>(64 * reports)),
              static_cast<std::int32_t>(64 * reports));
    EXPECT_TRUE(std::equal(first.begin(), first.end(), buffer.begin()));
    if (reports == 2) {
      EXPECT_TRUE(std::equal(second.begin(), second.end(), buffer.begin() + 64));
    }
    for (std::size_t i = 64 * reports; i < buffer.size(); ++i) {
      ASSERT_EQ(buffer[i], kGuardByte) << "byte " << i << " after " << reports << " report(s)";
    }
  }
  // A buffer of exactly 64 bytes: an overrun here is what the address
  // sanitizer build reports.
  device->PushData(first);
  std::vector<std::uint8_t> exact(64);
  EXPECT_EQ(ISP_GetUserData(exact.data(), 64), 64);
}

}  // namespace
}  // namespace vexaro::isp::testing
