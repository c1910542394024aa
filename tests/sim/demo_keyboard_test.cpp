// The demo package and the simulated keyboard it is made for must agree on
// identities, key block and flash layout, or the demo update cannot work.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "package/package.h"
#include "sim/demo_keyboard.h"
#include "tools/demo-firmware/demo_firmware.h"

namespace {

std::map<std::string, std::string> ReadConf(const std::string& path) {
  std::map<std::string, std::string> values;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    auto trim = [](std::string s) {
      s.erase(0, s.find_first_not_of(' '));
      s.erase(s.find_last_not_of(' ') + 1);
      return s;
    };
    values[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  return values;
}

TEST(DemoKeyboard, MatchesTheDemoPackageInputs) {
  auto conf = ReadConf(VEXARO_DEMO_CONF);
  ASSERT_FALSE(conf.empty()) << VEXARO_DEMO_CONF;
  auto config = vexaro::sim::DemoKeyboardConfig();
  EXPECT_EQ(vexaro::ParseHexText(conf["ap-vid"]), config.apVendorId);
  EXPECT_EQ(vexaro::ParseHexText(conf["ap-pid"]), config.apProductId);
  EXPECT_EQ(vexaro::ParseHexText(conf["iap-vid"]), config.iapVendorId);
  EXPECT_EQ(vexaro::ParseHexText(conf["iap-pid"]), config.iapProductId);
  // The vendor collection follows the boot keyboard collection.
  EXPECT_EQ(conf["ap-index"], "1");
  EXPECT_EQ(conf["iap-index"], "0");

  std::string key;
  for (auto b : config.crcKey) {
    char two[3];
    std::snprintf(two, sizeof two, "%02X", b);
    key += two;
  }
  EXPECT_EQ(conf["crc-key"], key);
}

TEST(DemoKeyboard, DemoImagesFitItsFlashLayout) {
  auto conf = ReadConf(VEXARO_DEMO_CONF);
  auto config = vexaro::sim::DemoKeyboardConfig();
  std::uint32_t externalStart = vexaro::ParseHexText(conf["external-start"]);
  std::uint64_t internalEnd = config.userStart + vexaro::RoundUpToWord(vexaro::demo::kDemoImageLength);
  std::uint64_t externalEnd = externalStart + vexaro::RoundUpToWord(vexaro::demo::kDemoExternalLength);
  // The image passes the size check and stays clear of the pages of the
  // external table and of the version record, which are erased separately.
  EXPECT_LE(vexaro::demo::kDemoImageLength, config.flashSize - 1024);
  auto page = [&](std::uint64_t address) { return address / config.pageSize; };
  EXPECT_LT(page(internalEnd - 1), page(externalStart));
  EXPECT_LT(page(externalEnd - 1), page(config.versionRecordAddress));
  EXPECT_LE(config.versionRecordAddress + 132, config.flashSize);
}

}  // namespace
