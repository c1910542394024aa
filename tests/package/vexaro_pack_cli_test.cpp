// vexaro-pack as its users run it: every refusal leaves no output file and
// exits non-zero; inspect decodes what build wrote.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <tuple>

#include "platform/sys/codepage.h"
#include "platform/sys/sys.h"
#include "tests/package/package_fixture.h"

namespace vexaro {
namespace {

using test::TempDir;
using test::WriteBytes;

class VexaroPackCli : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBytes(dir_.File("internal.bin"), std::vector<std::uint8_t>(1001, 0x42));
    WriteBytes(dir_.File("external.bin"), std::vector<std::uint8_t>(10, 0x24));
    WriteBytes(dir_.File("empty.bin"), {});
    WriteBytes(dir_.File("program.exe"), std::vector<std::uint8_t>(4096, 0x90));
  }

  // The tool lies in the build tree beside the tests; found from this
  // program's own path so that the path is in the running system's form.
  static std::string ToolPath() {
    std::string self;
    if (!sys::GetModuleFilePath(self)) return VEXARO_PACK_RELATIVE;
    return (std::filesystem::path(self).parent_path() / VEXARO_PACK_RELATIVE).make_preferred().string();
  }

  // Runs vexaro-pack with args; output goes to a log file read back into log_.
  // A run that should never block is bounded (on Windows by its own refusals).
  int Run(const std::string& args, [[maybe_unused]] bool bounded = false) {
    std::string log = dir_.File("log.txt");
    std::string command = "\"" + ToolPath() + "\" " + args + " > \"" + log + "\" 2>&1";
#ifndef _WIN32
    if (bounded) command = "timeout 60 " + command;
#endif
#ifdef _WIN32
    // cmd.exe strips the outer pair of quotes of a command that starts with one.
    command = "\"" + command + "\"";
#endif
    int status = std::system(command.c_str());
    auto bytes = test::ReadBytes(log);
    log_.assign(bytes.begin(), bytes.end());
#ifdef _WIN32
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

  // The base build command with the options named in `changes` replaced.
  std::string BuildArgs(const std::string& changes) {
    const std::pair<std::string, std::string> base[] = {
        {"--internal", "\"" + dir_.File("internal.bin") + "\""},
        {"--ap-vid", "3C9A"}, {"--ap-pid", "0A21"}, {"--iap-vid", "3C9A"}, {"--iap-pid", "1A21"},
        {"--version", "V1.05"}, {"--title", "T"}, {"--company", "C"}, {"--product", "P"},
        {"--key", "01020304"}, {"--out", "\"" + out() + "\""}};
    std::string args = "build";
    for (const auto& [option, value] : base) {
      if (changes.find(option + " ") == std::string::npos) args += " " + option + " " + value;
    }
    return args + " " + changes;
  }

  std::string out() { return dir_.File("out.bin"); }
  bool OutputExists() { return std::filesystem::exists(out()); }

  TempDir dir_;
  std::string log_;
};

TEST_F(VexaroPackCli, BuildThenInspectShowsEveryField) {
  ASSERT_EQ(Run(BuildArgs("--external \"" + dir_.File("external.bin") +
                          "\" --external-start 7000 --digest A55A --crc-key 0011223344 --slot 1 --ap-index 1F --iap-index A --exe \"" +
                          dir_.File("program.exe") + "\"")), 0) << log_;
  EXPECT_EQ(std::filesystem::file_size(out()), 4096u + 10 + 1001 + 740);
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  for (const char* expected :
       {"program part:       4096 bytes", "slot 1, key 01020304", "vendor 3C9A  product 0A21",
        "product 1A21", "\"V1.05\"", "\"T\"", "\"C\"", "\"P\"", "1001 bytes (1004 as whole words)",
        "digest value:       A55A", "5 bytes: 0011223344", "10 bytes at 0x00007000..0x0000700B",
        // Indexes as entered (hexadecimal), and digests of the plain images as
        // zlib's crc32 and sha256sum give them for the input files.
        "interface 1F ", "interface A ",
        "internal image:     CRC-32 42C06E4A  SHA-256 2a925556d3ec9e4258624a324cd9300a9a3d9c86dac6bbbb63071bdb7787afd2",
        "external image:     CRC-32 496C7496  SHA-256 d168633d14b572c5ac2bc2d5f0db61ad3e0331d7c796a50ee5deeaab959b1e9c"}) {
    EXPECT_NE(log_.find(expected), std::string::npos) << "missing \"" << expected << "\" in\n" << log_;
  }
}

TEST_F(VexaroPackCli, ExternalRangeEndsAtTheLastWholeWordFromItsStart) {
  const std::string external = "--external \"" + dir_.File("external.bin") + "\"";  // 10 bytes
  ASSERT_EQ(Run(BuildArgs(external + " --external-start 7000")), 0) << log_;
  EXPECT_EQ(log_.find("warning"), std::string::npos) << log_;
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  EXPECT_NE(log_.find("10 bytes at 0x00007000..0x0000700B"), std::string::npos) << log_;

  // Programmed over [S, ((S + N + 3) & ~3) - 1]: 0x7001 + 13 = 0x700E -> 0x700C - 1.
  ASSERT_EQ(Run(BuildArgs(external + " --external-start 7001")), 0) << log_;
  EXPECT_NE(log_.find("warning: --external-start 7001 is not a multiple of 4"), std::string::npos) << log_;
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  EXPECT_NE(log_.find("10 bytes at 0x00007001..0x0000700B"), std::string::npos) << log_;
  ASSERT_EQ(Run(BuildArgs(external + " --external-start FFFFFFF3")), 0) << log_;
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  EXPECT_NE(log_.find("10 bytes at 0xFFFFFFF3..0xFFFFFFFF"), std::string::npos) << log_;
}

TEST_F(VexaroPackCli, RefusesBadInputAndWritesNothing) {
  const std::pair<std::string, std::string> cases[] = {
      {"--internal \"" + dir_.File("nothere.bin") + "\"", "cannot read the internal image"},
      {"--internal \"" + dir_.File("empty.bin") + "\"", "--internal " + dir_.File("empty.bin") + " is empty"},
      {"--version " + std::string(128, 'x'), "--version is 128 bytes long"},
      {"--ap-vid 3G9A", "--ap-vid \"3G9A\" is not a hexadecimal number"},
      {"--iap-pid 12345", "--iap-pid \"12345\" does not fit its field"},
      {"--ap-index 1000", "--ap-index \"1000\" does not fit its field"},
      {"--crc-key " + std::string(130, 'a'), "--crc-key is 65 bytes long; the checksum key block holds at most 64"},
      {"--external \"" + dir_.File("external.bin") + "\"", "missing option --external-start"},
      {"--external-start 100", "--external-start given without --external"},
      {"--exe \"" + dir_.File("noprogram.exe") + "\"", "cannot read the program file"},
      {"--slot 3", "--slot must be 1 or 2"},
      {"--key 123456789", "--key \"123456789\" does not fit"},
  };
  for (const auto& [args, message] : cases) {
    std::string all = BuildArgs(args);
    EXPECT_EQ(Run(all), 1) << args << "\n" << log_;
    EXPECT_NE(log_.find(message), std::string::npos) << "expected \"" << message << "\" in\n" << log_;
    EXPECT_EQ(log_.find("Name"), std::string::npos) << log_;  // field names are not what the user typed
    EXPECT_FALSE(OutputExists()) << args;
  }
}

TEST_F(VexaroPackCli, InputsThatAreFoldersOrMissingAreRefusedNamingOptionAndFile) {
  const std::string folder = dir_.File("a-folder");
  std::filesystem::create_directories(folder);
  const std::string missing = dir_.File("missing.bin");
  for (const std::string& path : {folder, missing}) {
    const std::pair<std::string, std::string> cases[] = {
        {"--internal", ""},
        {"--external", " --external-start 7000"},
        {"--crc-key-file", ""},
        {"--exe", ""},
    };
    for (const auto& [option, more] : cases) {
      EXPECT_EQ(Run(BuildArgs(option + " \"" + path + "\"" + more)), 1) << option << " " << path << "\n" << log_;
      EXPECT_NE(log_.find(option + " " + path + ": cannot read"), std::string::npos) << log_;
      EXPECT_FALSE(OutputExists()) << option;
    }
  }
}

TEST_F(VexaroPackCli, UsageErrorsExitWithTwo) {
  EXPECT_EQ(Run(""), 2);
  EXPECT_EQ(Run("pack"), 2);
  EXPECT_EQ(Run(BuildArgs("--frobnicate 1")), 2);
  EXPECT_EQ(Run("inspect"), 2);
  EXPECT_FALSE(OutputExists());
}

TEST_F(VexaroPackCli, InspectRefusesFilesWithoutAValidPackage) {
  EXPECT_EQ(Run("inspect \"" + dir_.File("program.exe") + "\""), 1);
  EXPECT_NE(log_.find("fits neither key slot"), std::string::npos) << log_;
  EXPECT_EQ(Run("inspect \"" + dir_.File("external.bin") + "\""), 1);
  EXPECT_NE(log_.find("shorter than the 740-byte package trailer"), std::string::npos) << log_;
  EXPECT_EQ(Run("inspect \"" + dir_.File("nothere.bin") + "\""), 1);
  EXPECT_NE(log_.find("cannot read the file"), std::string::npos) << log_;

  // A valid trailer whose image length reaches before the start of the file.
  ASSERT_EQ(Run(BuildArgs("")), 0) << log_;
  auto bytes = test::ReadBytes(out());
  bytes.erase(bytes.begin(), bytes.begin() + 10);
  WriteBytes(out(), bytes);
  EXPECT_EQ(Run("inspect \"" + out() + "\""), 1);
  EXPECT_NE(log_.find("reach before the start of the file"), std::string::npos) << log_;
}

TEST_F(VexaroPackCli, OptionsFileSuppliesValuesAndTheCommandLineWins) {
  std::ofstream conf(dir_.File("demo.conf"));
  conf << "# comment\ninternal = internal.bin\nap-vid = 1111\nap-pid = 2222\niap-vid = 3333\n"
          "iap-pid = 4444\nversion = V1.0.1\ntitle = Window title\ncompany = Co\nproduct = Pr\n"
          "key = CAFEF00D\n";
  conf.close();
  ASSERT_EQ(Run("build --config \"" + dir_.File("demo.conf") + "\" --version V9.9 --out \"" + out() + "\""), 0)
      << log_;
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  EXPECT_NE(log_.find("\"V9.9\""), std::string::npos) << log_;
  EXPECT_NE(log_.find("\"Window title\""), std::string::npos) << log_;
  EXPECT_NE(log_.find("vendor 3333  product 4444"), std::string::npos) << log_;
  EXPECT_NE(log_.find("key CAFEF00D"), std::string::npos) << log_;

  std::ofstream bad(dir_.File("bad.conf"));
  bad << "colour = blue\n";
  bad.close();
  EXPECT_EQ(Run("build --config \"" + dir_.File("bad.conf") + "\""), 2);
  EXPECT_NE(log_.find("bad.conf line 1: unknown option \"colour\""), std::string::npos) << log_;
}

// The demo mark comes from --demo or "demo = yes" in the options file, and
// inspect shows it; any other value in the file is wrong usage.
TEST_F(VexaroPackCli, DemoMarkIsSetByTheFlagOrTheOptionsFileAndShownByInspect) {
  const std::string conf = dir_.File("mark.conf");
  for (const auto& [line, flag, code, shown] : std::vector<std::tuple<std::string, std::string, int, std::string>>{
           {"", "", 0, "no"}, {"", "--demo", 0, "yes"}, {"demo = yes", "", 0, "yes"},
           {"demo = no", "", 0, "no"}, {"demo = maybe", "", 2, ""}}) {
    std::filesystem::remove(out());
    std::ofstream(conf) << line << "\n";
    ASSERT_EQ(Run(BuildArgs("--config \"" + conf + "\" " + flag)), code) << line << flag << "\n" << log_;
    if (code != 0) {
      EXPECT_NE(log_.find("option \"demo\" takes yes or no, not \"maybe\""), std::string::npos) << log_;
      EXPECT_FALSE(OutputExists());
      continue;
    }
    ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
    EXPECT_NE(log_.find("demo package:       " + shown), std::string::npos) << line << flag << "\n" << log_;
  }
}

// Texts wider than the window's box for them draw a warning naming the
// option, and the package is built all the same. Every character is counted
// at its widest: 14 W fill the product name's 210 pixels, 15 overflow it,
// and so do 14 bytes above 0x7F (7 UTF-8 "é"), which a single-byte code page
// shows as 14 characters.
TEST_F(VexaroPackCli, TextsWiderThanTheirPlaceInTheWindowDrawAWarning) {
  struct Case {
    std::string product, version;
    bool productWarned, versionWarned;
  };
  std::vector<Case> cases = {
      {"Vexaro K7 Keyboard", "V2.07", false, false},
      {std::string(14, 'W'), "V2.07", false, false},
      {std::string(15, 'W'), "V2.07", true, false},
      {"Vexaro K7 Keyboard with Extended Lighting", "V2.07", true, false},
      {"Vexaro K7 Keyboard", "V2.07.1234567", false, true},
  };
#ifndef _WIN32
  std::string e7;
  for (int i = 0; i < 7; ++i) e7 += "\xC3\xA9";
  cases.push_back({e7, "V2.07", false, false});
  cases.push_back({e7 + "\xC3\xA9", "V2.07", true, false});
#endif
  for (const Case& c : cases) {
    std::filesystem::remove(out());
    ASSERT_EQ(Run(BuildArgs("--product \"" + c.product + "\" --version " + c.version)), 0) << log_;
    EXPECT_TRUE(OutputExists()) << c.product;
    EXPECT_EQ(log_.find("warning: --product \"" + c.product + "\" needs up to") != std::string::npos, c.productWarned)
        << c.product << "\n" << log_;
    EXPECT_EQ(log_.find("warning: --version \"" + c.version + "\" needs up to") != std::string::npos, c.versionWarned)
        << c.version << "\n" << log_;
  }
}

TEST_F(VexaroPackCli, EachCommandPrintsItsUsageOnHelp) {
  for (const char* help : {"--help", "-h"}) {
    EXPECT_EQ(Run(std::string("build ") + help), 0) << log_;
    EXPECT_EQ(log_.rfind("usage: vexaro-pack build ", 0), 0u) << log_;
    EXPECT_EQ(Run(std::string("inspect ") + help), 0) << log_;
    EXPECT_EQ(log_.rfind("usage: vexaro-pack inspect FILE", 0), 0u) << log_;
  }
  EXPECT_FALSE(OutputExists());
}

TEST_F(VexaroPackCli, OptionsFileMustBeReadableAndGiveEachOptionOnce) {
  const std::string folder = dir_.File("a-folder");
  std::filesystem::create_directories(folder);
  for (const std::string& path : {dir_.File("missing.conf"), folder}) {
    EXPECT_EQ(Run(BuildArgs("--config \"" + path + "\"")), 1) << log_;
    EXPECT_NE(log_.find("--config " + path + ": cannot read the options file"), std::string::npos) << log_;
    EXPECT_FALSE(OutputExists());
  }
  std::ofstream twice(dir_.File("twice.conf"));
  twice << "version = 1\n# the same option again\nversion = 2\n";
  twice.close();
  EXPECT_EQ(Run(BuildArgs("--config \"" + dir_.File("twice.conf") + "\"")), 2) << log_;
  EXPECT_NE(log_.find("twice.conf line 3: option \"version\" given twice (first on line 1)"), std::string::npos)
      << log_;
  EXPECT_EQ(Run(BuildArgs("--config a.conf --config b.conf")), 2) << log_;
  EXPECT_NE(log_.find("option --config given twice"), std::string::npos) << log_;
  EXPECT_EQ(Run(BuildArgs("--title A --title B")), 2) << log_;
  EXPECT_FALSE(OutputExists());
}

TEST_F(VexaroPackCli, PrintedKeyBuildsTheSamePackageAgain) {
  const std::string args = BuildArgs("--key 0");  // replaced below by no key at all
  ASSERT_EQ(Run(args.substr(0, args.rfind("--key 0"))), 0) << log_;  // a random key
  const auto first = test::ReadBytes(out());
  ASSERT_EQ(Run("inspect \"" + out() + "\""), 0) << log_;
  const std::size_t at = log_.find("slot 2, key ");
  ASSERT_NE(at, std::string::npos) << log_;
  const std::string key = log_.substr(at + 12, 8);
  ASSERT_EQ(Run(BuildArgs("--key " + key)), 0) << log_;
  EXPECT_EQ(test::ReadBytes(out()), first) << "key " << key;
}

TEST_F(VexaroPackCli, NonAsciiTextsDrawAWarningNamingTheCodePage) {
  // Carried in an options file, so that no shell re-encodes the bytes.
  std::ofstream conf(dir_.File("texts.conf"));
  conf << "title = Caf\xC3\xA9\n";
  conf.close();
  ASSERT_EQ(Run(BuildArgs("--config \"" + dir_.File("texts.conf") + "\" --title ASCII")), 0) << log_;
  EXPECT_EQ(log_.find("warning"), std::string::npos) << log_;
  std::string args = BuildArgs("--config \"" + dir_.File("texts.conf") + "\"");
  args.erase(args.find(" --title T"), 10);
  ASSERT_EQ(Run(args), 0) << log_;
  EXPECT_NE(log_.find("warning: --title holds non-ASCII characters; the updater shows its texts in the "
                      "system code page"),
            std::string::npos)
      << log_;
  EXPECT_NE(log_.find("code page " + std::to_string(sys::SystemCodePage())), std::string::npos) << log_;
  EXPECT_TRUE(OutputExists());
}

// Size and time of every name in a folder: what "nothing written" means.
std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> Listing(const std::string& folder) {
  std::map<std::string, std::pair<std::uintmax_t, std::filesystem::file_time_type>> listing;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::error_code ignored;
    listing[entry.path().filename().string()] = {entry.file_size(ignored), entry.last_write_time(ignored)};
  }
  listing.erase("log.txt");
  return listing;
}

TEST_F(VexaroPackCli, HostileInputsAreRefusedBeforeAnythingIsWritten) {
  WriteBytes(out(), std::vector<std::uint8_t>(7, 0xEE));  // an earlier package, to be left as it is
  std::filesystem::create_directories(dir_.File("a-folder"));
  WriteBytes(dir_.File("opts.conf"), {});
  for (const char* big : {"big.bin", "big.exe"}) WriteBytes(dir_.File(big), {});
  std::filesystem::resize_file(dir_.File("big.bin"), package::kMaxImageBytes + 1ull);  // sparse: nothing is stored
  std::filesystem::resize_file(dir_.File("big.exe"), (1ull << 30) + 1);
  std::error_code noLinks, noHardLink, noFifo;
  std::filesystem::create_symlink(dir_.File("internal.bin"), dir_.File("symlink.bin"), noLinks);
  std::filesystem::create_hard_link(dir_.File("program.exe"), dir_.File("hardlink.exe"), noHardLink);
  if (!noLinks) noLinks = noHardLink;  // either one missing skips the cases that need links
#ifdef _WIN32
  noFifo = std::make_error_code(std::errc::not_supported);
#else
  if (std::system(("mkfifo \"" + dir_.File("fifo") + "\"").c_str()) != 0) noFifo = std::make_error_code(std::errc::io_error);
#endif
  auto q = [this](const char* name) { return " \"" + dir_.File(name) + "\""; };
  struct Case {
    std::string args, message;
    bool needsLinks = false, needsFifo = false;
  };
  const Case cases[] = {
      {"--version 2U.1.05", "--version \"2U.1.05\" holds the character 0x55"},
      {"--version V", "--version \"V\" has no layout mark"},
      {"--version 2.07", "--version \"2.07\" has no digit as its layout mark"},
      {"--version \"V1\x01\"", "--version holds the control character 0x01 at byte 2"},
      {"--title \"A\x1B[2J\"", "--title holds the control character 0x1B at byte 1"},
      {"--company \"C\x7F\"", "--company holds the control character 0x7F"},
      {"--product \"P\x1F\"", "--product holds the control character 0x1F"},
      {"--internal" + q("big.bin"), "is 67108865 bytes long; the updater accepts images of at most 64 MiB"},
      {"--external" + q("big.bin") + " --external-start 0", "--external " + dir_.File("big.bin") + " is 67108865"},
      {"--crc-key-file" + q("big.bin"), "the checksum key block holds at most 64 bytes"},
      {"--exe" + q("big.exe"), "is 1073741825 bytes long; vexaro-pack takes program files of at most 1 GiB"},
      {"--out" + q("internal.bin"), "is the file given as --internal"},
      {"--config" + q("opts.conf") + " --out" + q("opts.conf"), "is the file given as --config"},
      {"--out" + q("a-folder"), "--out " + dir_.File("a-folder") + ": cannot move the package into place"},
      {"--out" + q("symlink.bin"), "is the file given as --internal", true},
      {"--exe" + q("program.exe") + " --out" + q("hardlink.exe"), "is the file given as --exe", true},
      {"--internal" + q("fifo"), "cannot read the internal image (not a regular file)", false, true},
      {"--config" + q("fifo"), "cannot read the options file (not a regular file)", false, true},
  };
  const auto before = Listing(dir_.File(""));
  for (const Case& c : cases) {
    if ((c.needsLinks && noLinks) || (c.needsFifo && noFifo)) continue;
    EXPECT_EQ(Run(BuildArgs(c.args), true), 1) << c.args << "\n" << log_;
    EXPECT_NE(log_.find(c.message), std::string::npos) << "expected \"" << c.message << "\" in\n" << log_;
    EXPECT_EQ(Listing(dir_.File("")), before) << c.args;
  }
  EXPECT_EQ(Run(BuildArgs("--version 2U.1.05 --force-version")), 0) << log_;
  EXPECT_NE(log_.find("warning: --version \"2U.1.05\""), std::string::npos) << log_;
  EXPECT_NE(log_.find("will refuse every later package"), std::string::npos) << log_;
}

TEST_F(VexaroPackCli, OutputIsNeverWrittenThroughALinkBesideIt) {
  const std::string planted = out() + ".partial", victim = dir_.File("victim.bin");
  WriteBytes(victim, {1, 2, 3});
  std::error_code noLinks;
  std::filesystem::create_symlink(victim, planted, noLinks);
  if (noLinks) GTEST_SKIP() << "no symbolic links here: " << noLinks.message();
  ASSERT_EQ(Run(BuildArgs("")), 0) << log_;
  EXPECT_EQ(test::ReadBytes(victim), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(std::filesystem::file_size(out()), 1001u + 740);
  EXPECT_EQ(Listing(dir_.File("")).size(), 7u);  // the four inputs, victim, link and output: no temporary left
}

TEST_F(VexaroPackCli, InspectReportsTheDigestRecordAndWhatTheUpdaterWillRefuse) {
  ASSERT_EQ(Run(BuildArgs("--out \"" + dir_.File("sealed.bin") + "\"")), 0) << log_;
  auto damaged = test::ReadBytes(dir_.File("sealed.bin"));
  damaged[500] ^= 1;  // inside the internal image
  WriteBytes(dir_.File("damaged.bin"), damaged);
  auto contents = test::SampleContents();
  contents.updateVersion = "V1.05";
  contents.digestRecord = false;
  WriteBytes(dir_.File("unsealed.bin"), package::BuildPackage(contents));
  ASSERT_EQ(Run(BuildArgs("--version 2U.1.05 --force-version --out \"" + dir_.File("odd.bin") + "\"")), 0) << log_;
#ifndef _WIN32
  ASSERT_EQ(std::system(("mkfifo \"" + dir_.File("fifo") + "\"").c_str()), 0);
#endif
  const std::tuple<std::string, int, std::string> cases[] = {
      {"sealed.bin", 0, "digest:             SHA-256, verified"},
      {"unsealed.bin", 0, "digest:             none (damage to this package cannot be detected)"},
      {"damaged.bin", 1, "damaged.bin: damaged: the package does not match its SHA-256 digest"},
      {"odd.bin", 0, "warning: the updater will refuse this package: the version text \"2U.1.05\" holds"},
#ifndef _WIN32
      {"fifo", 1, "fifo: cannot read the file (not a regular file)"},
#endif
  };
  for (const auto& [file, exitCode, expected] : cases) {
    EXPECT_EQ(Run("inspect \"" + dir_.File(file) + "\"", true), exitCode) << file << "\n" << log_;
    EXPECT_NE(log_.find(expected), std::string::npos) << "expected \"" << expected << "\" in\n" << log_;
    EXPECT_EQ(log_.find("warning") != std::string::npos, file == "odd.bin") << log_;
  }
}

}  // namespace
}  // namespace vexaro
