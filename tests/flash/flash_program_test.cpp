// vexaro-flash as a program: each exit code, the JSON events, and the plain
// output it writes when standard output is not a terminal (here a pipe),
// against the simulated demo keyboard on the scaled clock.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <csignal>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "sim/demo_keyboard.h"
#include "tests/flash/command_run.h"
#include "tests/support/temp_path.h"
#include "sim/demo_firmware.h"
#include "tools/vexaro-pack/packer.h"

namespace {

using Outcome = vexaro::flash::testing::CommandRun;

// Runs the program with the arguments and environment settings given,
// through a pipe, and returns its exit code and standard output. A run that
// waits on its FILE is stopped (exit 124) rather than holding the suite.
Outcome Flash(const std::string& arguments, const std::string& environment = "VEXARO_SIM=1",
              const std::string& program = VEXARO_FLASH) {
  return vexaro::flash::testing::RunCommand("timeout 60 env LC_ALL=C VEXARO_CLOCK_SCALE=50 " + environment + " " +
                                            program + " " + arguments + " 2>/dev/null");
}

// The options given, then the demo package's path. Appended to a named
// string: GCC 12 -O2 takes a literal added to a temporary string for a copy
// past the temporary's inline buffer.
std::string OnDemoPackage(const std::string& options) {
  std::string arguments = options;
  arguments.append(VEXARO_DEMO_PACKAGE);
  return arguments;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// One JSON object of strings, integers and booleans, as vexaro-flash writes
// its events: every character in its strings valid UTF-8 (no stray or
// overlong forms, no surrogates) and no control character unescaped.
bool IsJsonEvent(const std::string& line) {
  const std::string character =
      "(?:[\\x20\\x21\\x23-\\x5b\\x5d-\\x7e]|[\\xc2-\\xdf][\\x80-\\xbf]|\\xe0[\\xa0-\\xbf][\\x80-\\xbf]|"
      "[\\xe1-\\xec\\xee\\xef][\\x80-\\xbf]{2}|\\xed[\\x80-\\x9f][\\x80-\\xbf]|\\xf0[\\x90-\\xbf][\\x80-\\xbf]{2}|"
      "[\\xf1-\\xf3][\\x80-\\xbf]{3}|\\xf4[\\x80-\\x8f][\\x80-\\xbf]{2}|\\\\[\"\\\\/bfnrt]|\\\\u[0-9a-fA-F]{4})";
  const std::string member = "\"" + character + "*\":(?:\"" + character + "*\"|-?[0-9]+|true|false)";
  return std::regex_match(line, std::regex("\\{" + member + "(?:," + member + ")*\\}"));
}

// Any byte a terminal acts on: C0 but the line ends, DEL, C1 in UTF-8.
bool HasControl(const std::string& out) {
  return std::regex_search(out, std::regex("[\\x00-\\x09\\x0b-\\x1f\\x7f]|\\xc2[\\x80-\\x9f]"));
}

// Writes a package to a file of its own in the process's temporary folder.
std::string WritePackage(const vexaro::package::PackageContents& contents, const std::string& name) {
  const auto bytes = vexaro::package::BuildPackage(contents);
  const std::string path = vexaro::test_support::ProcessTempPath(
      "vexaro-flash-test-" + std::to_string(std::hash<std::string>{}(name)), ".bin");
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The contents of a package for the demo keyboard with another version
// text, and texts (product name, title, company) of its own.
vexaro::package::PackageContents DemoContents(const std::string& version, const std::string& texts = "Test") {
  const vexaro::sim::KeyboardConfig keyboard = vexaro::sim::DemoKeyboardConfig();
  vexaro::package::PackageContents contents;
  contents.internalImage = vexaro::sim::DemoInternalImage(version);
  contents.apVendorId = keyboard.apVendorId;
  contents.apProductId = keyboard.apProductId;
  contents.apInterfaceIndex = 1;
  contents.iapVendorId = keyboard.iapVendorId;
  contents.iapProductId = keyboard.iapProductId;
  contents.updateVersion = version;
  contents.windowTitle = contents.companyName = contents.productName = texts;
  contents.crcKey = keyboard.crcKey;
  contents.key = {1, 2, 3, 4};
  return contents;
}

std::string DemoPackageWithVersion(const std::string& version, const std::string& texts = "Test") {
  return WritePackage(DemoContents(version, texts), version + texts);
}

TEST(FlashProgram, InstallsTheDemoPackageWithPlainLinesOnAPipe) {
  const Outcome run = Flash(VEXARO_DEMO_PACKAGE);
  EXPECT_EQ(run.code, 0) << run.out;
  EXPECT_TRUE(Has(run.out, "Keyboard version: V2.05\n"));
  EXPECT_TRUE(Has(run.out, "Programming internal....\n"));
  EXPECT_TRUE(Has(run.out, "Progress: 35%\n"));
  EXPECT_TRUE(Has(run.out, "Progress: 100%\n"));
  EXPECT_FALSE(Has(run.out, "\r"));  // no bar drawn into a pipe
  EXPECT_EQ(Lines(run.out).back(), "Success: Firmware Update Success! The keyboard carries version V2.07");
}

TEST(FlashProgram, JsonGivesOneObjectPerEventWithTheResultLast) {
  const Outcome run = Flash(OnDemoPackage("--json "));
  EXPECT_EQ(run.code, 0);
  const auto lines = Lines(run.out);
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) EXPECT_TRUE(IsJsonEvent(line)) << line;
  EXPECT_TRUE(Has(run.out, "{\"event\":\"stage\",\"text\":\"Verifing....\"}\n"));
  EXPECT_TRUE(Has(run.out, "{\"event\":\"progress\",\"position\":105}\n"));
  EXPECT_TRUE(Has(run.out, "{\"event\":\"version\",\"text\":\"V2.07\"}\n"));
  EXPECT_TRUE(Has(lines.back(), "\"event\":\"result\",\"success\":true,\"exit\":0,"));
}

// The JSON events and fields that --help lists, by event name.
std::map<std::string, std::set<std::string>> EventsOfTheManual(const std::string& manual) {
  std::map<std::string, std::set<std::string>> events;
  const std::regex event("\\{\"event\":\"(\\w+)\"([^}]*)\\}"), field("\"(\\w+)\":");
  for (std::sregex_iterator e(manual.begin(), manual.end(), event), end; e != end; ++e) {
    std::set<std::string>& fields = events[(*e)[1]];
    const std::string rest = (*e)[2];
    for (std::sregex_iterator f(rest.begin(), rest.end(), field); f != end; ++f) fields.insert((*f)[1]);
  }
  return events;
}

// The events and fields in lines of --json output. With --all the package
// comes first and the summary last; every event between them is a run's and
// must carry "port", which --help documents once for all of them.
void CollectEvents(const std::string& out, std::map<std::string, std::set<std::string>>& events,
                   bool runsBetween = false) {
  const std::regex name("^\\{\"event\":\"(\\w+)\""), field("[{,]\"(\\w+)\":");
  const std::vector<std::string> lines = Lines(out);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::smatch match;
    if (!std::regex_search(line, match, name)) continue;
    std::set<std::string> fields;
    for (std::sregex_iterator f(line.begin(), line.end(), field), end; f != end; ++f) {
      if ((*f)[1] != "event") fields.insert((*f)[1]);
    }
    if (runsBetween && i > 0 && i + 1 < lines.size()) {
      EXPECT_EQ(fields.erase("port"), 1u) << line;
    }
    events[match[1]].insert(fields.begin(), fields.end());
  }
}

// What --help says the JSON stream holds is what it holds, both ways: runs
// that between them write every event (an install, a listing, an update of
// a package without digest refused for an image larger than the chip, and
// two keyboards at once).
TEST(FlashProgram, JsonEventsAndFieldsAreExactlyThoseTheHelpLists) {
  vexaro::package::PackageContents oversized = DemoContents("V2.09");
  oversized.internalImage.resize(70000, 0x5A);
  oversized.digestRecord = false;
  const std::string tooLarge = WritePackage(oversized, "oversized");
  std::map<std::string, std::set<std::string>> written;
  for (const std::string& arguments :
       {OnDemoPackage("--json "), OnDemoPackage("--json --list "), "--json " + tooLarge}) {
    const Outcome run = Flash(arguments);
    EXPECT_NE(run.code, -1) << arguments;
    CollectEvents(run.out, written);
  }
  const Outcome several = Flash(OnDemoPackage("--json --all "), "VEXARO_SIM=1 VEXARO_SIM_KEYBOARDS=2");
  EXPECT_EQ(several.code, 0);
  CollectEvents(several.out, written, true);
  std::filesystem::remove(tooLarge);
  const auto documented = EventsOfTheManual(Flash("--help").out);
  ASSERT_FALSE(documented.empty());
  for (const auto& [event, fields] : documented) {
    EXPECT_TRUE(written.contains(event)) << "documented, never written: " << event;
  }
  for (const auto& [event, fields] : written) {
    ASSERT_TRUE(documented.contains(event)) << "undocumented: " << event;
    EXPECT_EQ(fields, documented.at(event)) << "fields of " << event;
  }
}

TEST(FlashProgram, FailedUpdateNamesItsStageAndNeverReportsSuccess) {
  const Outcome run = Flash(OnDemoPackage("--json "), "VEXARO_SIM=1 VEXARO_SIM_FAULTS=verify-fail-at=0x3000");
  EXPECT_EQ(run.code, 1);
  EXPECT_FALSE(Has(run.out, "Operation successful."));
  EXPECT_FALSE(Has(run.out, "\"success\":true"));
  EXPECT_TRUE(Has(Lines(run.out).back(), "\"success\":false,\"exit\":1,\"text\":\"AP Verify Failed!\""));
}

// The version is read once when the keyboard appears; a lost or garbled
// reply used to leave it empty and the keyboard refused as one of another
// layout.
TEST(FlashProgram, AVersionReplyLostOrGarbledIsReadAgainNotTakenForAnotherLayout) {
  for (const char* fault : {"drop-replies-at=1", "corrupt-replies-at=1"}) {
    const Outcome run = Flash(VEXARO_DEMO_PACKAGE, std::string("VEXARO_SIM=1 VEXARO_SIM_FAULTS=") + fault);
    EXPECT_EQ(run.code, 0) << fault << "\n" << run.out;
    EXPECT_TRUE(Has(run.out, "Keyboard version: V2.05\n")) << fault;
    EXPECT_FALSE(Has(run.out, "Layout Error")) << fault;
  }
}

TEST(FlashProgram, RefusesAnOlderPackageOrAnotherLayoutUnlessAllowed) {
  const std::string older = DemoPackageWithVersion("V2.03");
  Outcome run = Flash(older);
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(Has(run.out, "newer than the package's V2.03")) << run.out;
  run = Flash("--allow-any-version " + older);
  EXPECT_EQ(run.code, 0) << run.out;

  const std::string otherLayout = DemoPackageWithVersion("V3.07");
  run = Flash("--allow-any-version " + otherLayout);
  EXPECT_EQ(run.code, 2);
  EXPECT_TRUE(Has(run.out, "Firmware Update Layout Error!"));
  std::filesystem::remove(older);
  std::filesystem::remove(otherLayout);
}

TEST(FlashProgram, ExitCodesForBadPackageNoKeyboardAndBadUsage) {
  // The bare program carries no package.
  Outcome run = Flash("");
  EXPECT_EQ(run.code, 4);
  EXPECT_TRUE(Has(run.out, "Image format invalid!"));
  // The system's HID devices, where no such keyboard is plugged in.
  const std::string notDemo = DemoPackageWithVersion("V2.07");
  run = Flash(notDemo, "VEXARO_SIM=0");
  EXPECT_EQ(run.code, 3) << run.out;
  std::filesystem::remove(notDemo);
  EXPECT_EQ(Flash("--frobnicate").code, 5);
  EXPECT_EQ(Flash("a.bin b.bin").code, 5);
  run = Flash("--help");
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(Has(run.out, "EXIT STATUS"));
}

// The demo package holds generated firmware: on the system's HID devices it
// is refused before anything is sent, listing aside; the simulated keyboard
// takes it.
TEST(FlashProgram, DemoPackageIsRefusedOnTheSystemsKeyboards) {
  Outcome run = Flash(OnDemoPackage("--json "), "VEXARO_SIM=0");
  EXPECT_EQ(run.code, 2) << run.out;
  EXPECT_TRUE(Has(run.out, "\"demo\":true")) << run.out;
  EXPECT_TRUE(Has(Lines(run.out).back(), "it is never installed on a real keyboard.")) << run.out;
  EXPECT_FALSE(Has(run.out, "\"event\":\"connection\"")) << run.out;
  run = Flash(OnDemoPackage("--list "), "VEXARO_SIM=0");
  EXPECT_EQ(run.code, 3) << run.out;  // listed (here: nothing found), not refused
  run = Flash(VEXARO_DEMO_PACKAGE);
  EXPECT_TRUE(Has(run.out, "(demo package for the simulated keyboard)")) << run.out;
  EXPECT_EQ(run.code, 0) << run.out;
}

// Without FILE, --list takes the keyboards' identities from the package
// appended to the program; the bare program carries none and says so.
TEST(FlashProgram, ListWithoutFileUsesTheProgramsOwnPackageOrSaysItNeedsFile) {
  Outcome run = Flash("--list");
  EXPECT_EQ(run.code, 5) << run.out;
  EXPECT_TRUE(Has(run.out, "--list needs FILE")) << run.out;
  EXPECT_FALSE(Has(run.out, "Image format invalid!"));

  const std::string carrying = vexaro::test_support::ProcessTempPath("vexaro-flash-carrying", "");
  {
    std::ofstream out(carrying, std::ios::binary);
    for (const char* part : {VEXARO_FLASH, VEXARO_DEMO_PACKAGE}) out << std::ifstream(part, std::ios::binary).rdbuf();
  }
  std::filesystem::permissions(carrying, std::filesystem::perms::owner_all);
  run = Flash("--list", "VEXARO_SIM=1", carrying);
  EXPECT_EQ(run.code, 0) << run.out;
  EXPECT_TRUE(Has(run.out, "application mode  3c9a:0a21  version V2.05\n")) << run.out;
  std::filesystem::remove(carrying);
}

TEST(FlashProgram, ListShowsTheKeyboardWithItsVersion) {
  const Outcome run = Flash(OnDemoPackage("--list "));
  EXPECT_EQ(run.code, 0);
  EXPECT_TRUE(Has(run.out, "application mode  3c9a:0a21  version V2.05\n")) << run.out;
  EXPECT_FALSE(Has(run.out, "Programming"));
}

// A FILE that is no package is refused before anything waits on it, with
// the file and the reason in the last line, installing or listing alike.
TEST(FlashProgram, BadFilesAreRefusedAtOnceNamingTheFileAndTheReason) {
  const std::string dir = vexaro::test_support::ProcessTempPath("vexaro-flash-files", "");
  std::filesystem::create_directories(dir);
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0600), 0);  // no writer: opening it to read could wait forever
  std::ofstream(dir + "/text.bin") << "no package here\n";
  // Read a piece at a time: GCC 12 at -O2 warns falsely about the stream
  // buffer behind istreambuf_iterator.
  std::ifstream in(VEXARO_DEMO_PACKAGE, std::ios::binary);
  std::string damaged;
  char piece[4096];
  while (in.read(piece, sizeof piece) || in.gcount() > 0) damaged.append(piece, static_cast<std::size_t>(in.gcount()));
  damaged[damaged.size() / 2] ^= 1;
  std::ofstream(dir + "/damaged.bin", std::ios::binary) << damaged;
  for (const auto& [file, code, reason] : std::vector<std::tuple<std::string, int, std::string>>{
           {dir + "/missing.bin", 6, ": not found"}, {dir, 6, ": is a folder"},
           {dir + "/fifo", 6, ": not a regular file"}, {"/dev/zero", 6, ": not a regular file"},
           {dir + "/text.bin", 4, ": carries no firmware package"},
           {dir + "/damaged.bin", 4, ": damaged: the package does not match its SHA-256 digest"}}) {
    for (const std::string options : {"", "--list ", "--json ", "--json --list "}) {
      const Outcome run = Flash(options + file);
      EXPECT_EQ(run.code, code) << options << file << "\n" << run.out;
      EXPECT_TRUE(Has(run.out, file + reason)) << run.out;
    }
  }
  std::filesystem::remove_all(dir);
}

// Texts a package carries, through an install and through the refusal that
// quotes its version: nothing reaches the terminal that could clear it or
// rewrite a line, and every JSON event stays valid UTF-8.
TEST(FlashProgram, HostileTextsNeitherSteerTheTerminalNorBreakJson) {
  const std::string hostile = "\x1b[2J\x1b[HSuccess\r\xc2\x9b" "31m\xff\xc3(\x7f";
  const std::string shown = "?[2J?[HSuccess??31m\xEF\xBF\xBD\xEF\xBF\xBD(?";
  const std::string json = R"(\u001b[2J\u001b[HSuccess\u000d\u009b31m)" "\xEF\xBF\xBD\xEF\xBF\xBD(\\u007f";
  for (const auto& [version, texts, code] : std::vector<std::tuple<std::string, std::string, int>>{
           {"V2.07", hostile, 0}, {"V2.0" + hostile, "Test", 4}}) {
    const std::string file = DemoPackageWithVersion(version, texts);
    Outcome run = Flash(file);
    EXPECT_EQ(run.code, code) << run.out;
    EXPECT_FALSE(HasControl(run.out)) << run.out;
    EXPECT_TRUE(Has(run.out, shown)) << run.out;
    run = Flash("--json " + file);
    EXPECT_EQ(run.code, code) << run.out;
    for (const std::string& line : Lines(run.out)) EXPECT_TRUE(IsJsonEvent(line)) << line;
    EXPECT_TRUE(Has(run.out, json)) << run.out;
    std::filesystem::remove(file);
  }
}

}  // namespace

namespace {

// A keyboard whose node refuses this user is reported as such, with the node,
// the reason and what to do, and its own exit code; never "no keyboard".
TEST(FlashProgram, KeyboardWithoutPermissionIsNamedWithItsNodeAndTheMend) {
  for (const char* options : {"", "--list ", "--json "}) {
    const Outcome run =
        Flash(OnDemoPackage(options), "VEXARO_SIM=1 VEXARO_SIM_FAULTS=no-permission");
    EXPECT_EQ(run.code, 7) << options << "\n" << run.out;
    EXPECT_TRUE(Has(run.out, "cannot be opened: permission denied")) << run.out;
    EXPECT_TRUE(Has(run.out, "70-vexaro-keyboard.rules")) << run.out;
    EXPECT_FALSE(Has(run.out, "No keyboard found")) << run.out;
    EXPECT_EQ(Has(run.out, "found without permission"), std::string(options) == "--list ") << run.out;
  }
}

}  // namespace

namespace {

// Two updaters on one keyboard: the second is turned away before it sends
// anything, with its own exit code, and the first one's update completes.
TEST(FlashProgram, SecondUpdaterOfOneKeyboardIsTurnedAwayAndTheFirstFinishes) {
  const std::string state = vexaro::test_support::ProcessTempPath("vexaro-two-updaters", ".state");
  std::remove(state.c_str());
  const std::string environment = "VEXARO_SIM=1 VEXARO_SIM_STATE=" + state;
  const std::string first = "timeout 60 env LC_ALL=C VEXARO_CLOCK_SCALE=5 " + environment + " " + VEXARO_FLASH +
                            " --json " + VEXARO_DEMO_PACKAGE + " 2>/dev/null";
  FILE* pipe = popen(first.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char line[4096];
  // The first updater is programming when the second one starts.
  while (!Has(out, "Programming internal") && fgets(line, sizeof line, pipe) != nullptr) out += line;
  ASSERT_TRUE(Has(out, "Programming internal")) << out;
  for (const char* options : {"", "--list "}) {
    const Outcome second = Flash(OnDemoPackage(options), environment);
    EXPECT_EQ(second.code, 8) << options << second.out;
    EXPECT_TRUE(Has(second.out, "Another updater is using the keyboard")) << second.out;
    EXPECT_FALSE(Has(second.out, "Keyboard version")) << "the second updater talked to the keyboard";
  }
  for (std::size_t n; (n = fread(line, 1, sizeof line, pipe)) > 0;) out.append(line, n);
  const int status = pclose(pipe);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0) << out;
  std::remove(state.c_str());
  std::remove((state + ".lock").c_str());
}

}  // namespace

namespace {

// Ctrl-C (here SIGINT, SIGTERM, SIGHUP) while the keyboard is programmed:
// the running transfer ends, the update stops at the next safe point, the
// JSON stream still ends with its result, and the exit code says so.
TEST(FlashProgram, StopRequestDuringProgrammingEndsAtASafePointWithTheResultLast) {
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
    // Not under timeout: it would pass the signal on twice (to its child and
    // to its process group), and the second request ends the program at once.
    const std::string command = "sh -c 'echo $$; exec env LC_ALL=C VEXARO_CLOCK_SCALE=5 VEXARO_SIM=1 " +
                                std::string(VEXARO_FLASH) + " --json " + VEXARO_DEMO_PACKAGE + " 2>/dev/null'";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[4096];
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
    const pid_t shell = static_cast<pid_t>(std::stol(line));
    std::string out;
    while (!Has(out, "Programming internal") && fgets(line, sizeof line, pipe) != nullptr) out += line;
    kill(shell, number);  // the shell's process is vexaro-flash by now (exec)
    for (std::size_t n; (n = fread(line, 1, sizeof line, pipe)) > 0;) out.append(line, n);
    const int status = pclose(pipe);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 130) << number << "\n" << out;
    const std::vector<std::string> lines = Lines(out);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(Has(lines.back(), "\"event\":\"result\",\"success\":false,\"exit\":130")) << lines.back();
    EXPECT_TRUE(Has(out, "Stopping: the running step finishes")) << out;
    EXPECT_TRUE(Has(out, "stays in update mode")) << out;
  }
}

}  // namespace
