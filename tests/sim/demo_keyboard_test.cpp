// The demo package and the simulated keyboard it is made for must agree on
// identities, key block and flash layout, or the demo update cannot work.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "package/package.h"
#include "sim/demo_keyboard.h"
#include "sim/demo_firmware.h"

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
  EXPECT_EQ(vexaro::package::ParseHexText(conf["ap-vid"]), config.apVendorId);
  EXPECT_EQ(vexaro::package::ParseHexText(conf["ap-pid"]), config.apProductId);
  EXPECT_EQ(vexaro::package::ParseHexText(conf["iap-vid"]), config.iapVendorId);
  EXPECT_EQ(vexaro::package::ParseHexText(conf["iap-pid"]), config.iapProductId);
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
  const std::uint32_t apStart = config.applicationStart == 0 ? config.userStart : config.applicationStart;
  std::uint32_t externalStart = vexaro::package::ParseHexText(conf["external-start"]);
  std::uint64_t internalEnd = apStart + vexaro::package::RoundUpToWord(vexaro::sim::kDemoImageLength);
  std::uint64_t externalEnd =
      externalStart + vexaro::package::RoundUpToWord(vexaro::sim::kDemoExternalLength);
  // The update page-erases the version record's 132 bytes and the image
  // separately: loader, version pages, application and external table each
  // keep pages of their own, in this order.
  EXPECT_LE(vexaro::sim::kDemoImageLength, config.flashSize - 1024);
  auto page = [&](std::uint64_t address) { return address / config.pageSize; };
  const std::uint32_t versionBase = config.versionRecordAddress;
  EXPECT_GE(page(versionBase), page(config.userStart));  // the loader's mass erase clears it too
  EXPECT_LT(page(versionBase + 131), page(apStart));
  EXPECT_LT(page(internalEnd - 1), page(externalStart));
  EXPECT_LE(externalEnd, config.flashSize);
}

TEST(DemoKeyboard, VersionTextLiesWhereTheReportChannelReadsIt) {
  auto conf = ReadConf(VEXARO_DEMO_CONF);
  auto config = vexaro::sim::DemoKeyboardConfig();
  EXPECT_EQ(config.versionRecordAddress + 4, 0x2800u);
  // Only 'V', 'v', '.' and digits survive the channel's scan; the layout mark
  // (second character) of the starting version is the package's.
  const std::string version = conf["version"];
  ASSERT_GE(version.size(), 2u);
  EXPECT_EQ(version.find_first_not_of("Vv.0123456789"), std::string::npos) << version;
  EXPECT_EQ(std::string(vexaro::sim::kDemoStartVersion).at(1), version.at(1));
  EXPECT_LT(std::string(vexaro::sim::kDemoStartVersion), version);
}

}  // namespace
