// Checksums, key block coverage, filler and the judging of replies.
#include <cstring>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

std::uint16_t StoredChecksum(const Report& r) { return static_cast<std::uint16_t>(r[3] | r[4] << 8); }

TEST(IspCrc16, KnownCheckValues) {
  const char* digits = "123456789";
  EXPECT_EQ(IspCrc16(0, reinterpret_cast<const std::uint8_t*>(digits), 9), 0x31C3);
  EXPECT_EQ(IspCrc16(0, reinterpret_cast<const std::uint8_t*>("abc"), 3), 0x9DD6);
  // Continuing over two parts gives the checksum of the whole.
  std::uint16_t part = IspCrc16(0, reinterpret_cast<const std::uint8_t*>(digits), 4);
  EXPECT_EQ(IspCrc16(part, reinterpret_cast<const std::uint8_t*>(digits) + 4, 5), 0x31C3);
}

TEST_F(EngineTest, ChecksumContinuesOverSixtyFourZeroBytesByDefault) {
  auto device = PlugLoader();
  ASSERT_EQ(ISP_EraseMass(), ISP_OK);
  Report r = device->Commands().at(0);
  Report body(r.begin() + 1, r.begin() + 65);
  body[2] = body[3] = 0;
  std::uint8_t zeros[64] = {};
  EXPECT_EQ(StoredChecksum(r), IspCrc16(IspCrc16(0, body.data(), 64), zeros, 64));
}

TEST_F(EngineTest, ChecksumCoversExactlyTheKeyLengthAfterSetCrcKey) {
  std::uint8_t key[64];
  for (int i = 0; i < 64; ++i) key[i] = static_cast<std::uint8_t>(0xA0 + i);
  ASSERT_EQ(ISP_SetCrcKey(key, 16), 0);
  auto device = PlugLoader();
  ASSERT_EQ(ISP_EraseMass(), ISP_OK);
  Report r = device->Commands().at(0);
  Report body(r.begin() + 1, r.begin() + 65);
  body[2] = body[3] = 0;
  EXPECT_EQ(StoredChecksum(r), IspCrc16(IspCrc16(0, body.data(), 64), key, 16));
  EXPECT_NE(StoredChecksum(r), IspCrc16(IspCrc16(0, body.data(), 64), key, 17));
  EXPECT_EQ(ISP_SetCrcKey(key, 65), 18);
  EXPECT_EQ(TheEngine().CrcKey().size(), 16u);
}

TEST_F(EngineTest, ResetToIapWithoutKeyChecksumsTheReportOnly) {
  auto device = PlugLoader();
  ASSERT_EQ(ISP_ResetToIAP(0), ISP_OK);
  ASSERT_EQ(ISP_ResetToIAP(1), ISP_OK);
  auto commands = device->Commands();
  ASSERT_EQ(commands.size(), 2u);
  for (const Report& r : commands) {
    EXPECT_EQ(r[1], 0x04);
    EXPECT_EQ(r[2], 0x01);
  }
  EXPECT_EQ(StoredChecksum(commands[0]), ExpectedChecksum(commands[0], false));
  EXPECT_EQ(StoredChecksum(commands[1]), ExpectedChecksum(commands[1], true));
  EXPECT_NE(StoredChecksum(commands[1]), ExpectedChecksum(commands[1], false));
}

TEST_F(EngineTest, FillerIsNeverZeroAndProbeCommandNeverBelowSix) {
  auto device = PlugLoader();
  device->onCommand = [](const Report& r, ScriptedDevice& d) {
    if (r[1] == 0x03) d.PushData(Report(64, 0));
    d.QueueStatus("O");
  };
  char text[16];
  std::int32_t length = 0;
  for (int round = 0; round < 20; ++round) {
    ISP_EraseMass();
    ISP_ErasePage(0x1000, 0x13FF);
    ISP_GetInformation(0, text, &length);
    ISP_Exit();
  }
  int probes = 0;
  for (const Report& r : device->Writes()) {
    ASSERT_EQ(r.size(), 65u);
    EXPECT_EQ(r[0], 0);
    std::size_t fillFrom = 13;
    if (ScriptedDevice::IsProbe(r)) {
      ++probes;
      EXPECT_GE(r[1], 6);
      fillFrom = 2;
    } else if (r[1] == 0x03 || r[1] == 0x05) {
      fillFrom = 2;
    } else if (r[1] == 0x00 && r[2] == 0x0A) {
      fillFrom = 5;
    }
    for (std::size_t i = fillFrom; i < 65; ++i) {
      if (i == 3 || i == 4) continue;
      ASSERT_NE(r[i], 0) << "byte " << i << " of command " << int(r[1]);
    }
  }
  EXPECT_EQ(probes, 80);
}

TEST_F(EngineTest, ProbeFillerEndsBeforeTheInputReportLength) {
  // A device whose input reports are shorter than its output reports: the
  // probe's filler stops at the input length, the rest of the report stays 0.
  constexpr std::size_t kInputLength = 33;
  auto device = ScriptedDevice::Plug(kLoaderVid, kLoaderPid, kInputLength);
  ASSERT_EQ(ISP_EraseMass(), ISP_OK);
  const std::vector<Report> writes = device->Writes();
  ASSERT_EQ(writes.size(), 2u);
  const Report& probe = writes[0];
  ASSERT_TRUE(ScriptedDevice::IsProbe(probe));
  ASSERT_EQ(probe.size(), 65u);
  for (std::size_t i = 2; i < kInputLength; ++i) EXPECT_NE(probe[i], 0) << "byte " << i;
  for (std::size_t i = kInputLength; i < probe.size(); ++i) EXPECT_EQ(probe[i], 0) << "byte " << i;
}

TEST_F(EngineTest, ProbeMustBeAnsweredWithExactlyF) {
  auto device = PlugLoader();
  device->SetProbeAnswer(std::string("\0F\0", 3));
  EXPECT_EQ(ISP_EraseMass(), ISP_OK);  // zero bytes are skipped
  device->SetProbeAnswer("FO");
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  device->SetProbeAnswer("O");
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_EQ(device->Commands().size(), 1u);  // failed probes send no command
}

TEST_F(EngineTest, CommandStatusMustBeExactlyO) {
  auto device = PlugLoader();
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueStatus(std::string("\0O", 2)); };
  EXPECT_EQ(ISP_ErasePage(0x1000, 0x1003), ISP_OK);
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueStatus("OO"); };
  EXPECT_EQ(ISP_ErasePage(0x1000, 0x1003), ISP_FAILED);
  EXPECT_EQ(ISP_EraseMass(), ISP_FAILED);
  EXPECT_EQ(ISP_BlankCheck(0x1000, 0x1003), ISP_FAILED);
  device->onCommand = [](const Report&, ScriptedDevice& d) { d.QueueStatus("F"); };
  EXPECT_EQ(ISP_BlankCheck(0x1000, 0x1003), ISP_FAILED);
}

TEST_F(EngineTest, CommandLayoutsFollowTheCommandTable) {
  auto device = PlugLoader();
  ISP_ErasePage(0x1000, 0x17FF);
  ISP_BlankCheck(0x2000, 0x2003);
  ISP_EraseMass();
  auto c = device->Commands();
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0][1], 0x00);
  EXPECT_EQ(c[0][2], 0x08);
  EXPECT_EQ(WordIn(c[0], 5), 0x1000u);
  EXPECT_EQ(WordIn(c[0], 9), 0x17FFu);
  EXPECT_EQ(c[1][1], 0x01);
  EXPECT_EQ(c[1][2], 0x03);
  EXPECT_EQ(WordIn(c[1], 9), 0x2003u);
  EXPECT_EQ(c[2][1], 0x00);
  EXPECT_EQ(c[2][2], 0x0A);
}

}  // namespace
}  // namespace vexaro::isp::testing
