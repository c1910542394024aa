// vexaro-flash's session in process, against the simulated demo keyboard:
// the question before writing answered by a stand-in for the terminal, the
// keyboard that already carries the package's version, and the bar's width.
// The JSON stream is checked against --help by flash_program_tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>

#include "isp/engine.h"
#include "platform/sys/sys.h"
#include "sim/demo_firmware.h"
#include "sim/demo_keyboard.h"
#include "sim/start.h"
#include "tools/vexaro-flash/flash_bar.h"
#include "tools/vexaro-flash/flash_run.h"

namespace vexaro::flash {
namespace {

constexpr double kClockScale = 50;
// A keyboard that was only asked for its version and status has had a few
// reports; an update sends one per 52 bytes of the 24 KiB image.
constexpr std::uint32_t kFewReports = 50;
constexpr std::uint32_t kUpdateReports = 400;

struct Session {
  int exitCode = -1;
  std::string output;
  std::uint32_t reports = 0;
  bool flashUnchanged = false;
};

// One run of vexaro-flash on a fresh demo keyboard that carries `version`.
Session RunOnKeyboard(const std::string& version, const FlashOptions& options, const AnswerSource& answers) {
  Session session;
  std::string error;
  auto keyboard = sim::StartSimulatedKeyboard(sim::DemoKeyboardConfig(), sim::DemoInternalImage(version), version,
                                              error);
  if (!keyboard) {
    session.output = error;
    return session;
  }
  const auto before = keyboard->ReadFlash(0, sim::DemoKeyboardConfig().flashSize);
  isp::ResetEngine();
  std::FILE* out = std::tmpfile();
  {
    FlashView view(out, options.json ? OutputStyle::kJson : OutputStyle::kPlain);
    session.exitCode = RunFlash(options, view, answers);
  }
  std::rewind(out);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) session.output.append(buffer, n);
  std::fclose(out);
  session.reports = keyboard->OutputReports();
  session.flashUnchanged = keyboard->ReadFlash(0, sim::DemoKeyboardConfig().flashSize) == before;
  keyboard->Unplug();
  return session;
}

AnswerSource Terminal(std::optional<std::string> answer) {
  return AnswerSource{true, [answer] { return answer; }};
}

TEST(FlashSession, AsksAtATerminalAndWritesOnlyWhenConfirmedOrNeeded) {
  sys::SetClockScale(kClockScale);
  struct Case {
    const char* name;
    std::string version;  // what the keyboard carries
    AnswerSource answers;
    bool yes, json, reinstall;
    int exitCode;
    bool asked, written;
    const char* result;
  };
  const std::string older(sim::kDemoStartVersion), same = "V2.07";
  const char* declined = "Failed: The update was not confirmed; nothing was written\n";
  const char* success = "Firmware Update Success!";
  const char* upToDate = "Success: The keyboard already carries version V2.07; nothing was written";
  const Case cases[] = {
      {"answer n", older, Terminal("n"), false, false, false, kExitNotConfirmed, true, false, declined},
      {"answer Enter", older, Terminal(""), false, false, false, kExitNotConfirmed, true, false, declined},
      {"end of input", older, Terminal(std::nullopt), false, false, false, kExitNotConfirmed, true, false, declined},
      {"answer YES", older, Terminal(" YES "), false, false, false, kExitSuccess, true, true, success},
      {"no terminal", older, AnswerSource{}, false, false, false, kExitSuccess, false, true, success},
      {"--yes", older, Terminal("n"), true, false, false, kExitSuccess, false, true, success},
      {"--json", older, Terminal("n"), false, true, false, kExitSuccess, false, true, success},
      {"up to date", same, Terminal("y"), false, false, false, kExitSuccess, false, false, upToDate},
      {"up to date, --reinstall", same, Terminal("y"), false, false, true, kExitSuccess, true, true, success},
  };
  for (const Case& c : cases) {
    FlashOptions options;
    options.packageFile = VEXARO_DEMO_PACKAGE;
    options.yes = c.yes;
    options.json = c.json;
    options.reinstall = c.reinstall;
    const Session s = RunOnKeyboard(c.version, options, c.answers);
    EXPECT_EQ(s.exitCode, c.exitCode) << c.name << "\n" << s.output;
    EXPECT_NE(s.output.find(c.result), std::string::npos) << c.name << "\n" << s.output;
    const bool asked = s.output.find("Update the keyboard from " + c.version + " to V2.07? [y/N] ") !=
                       std::string::npos;
    EXPECT_EQ(asked, c.asked) << c.name << "\n" << s.output;
    if (c.written) {
      EXPECT_GT(s.reports, kUpdateReports) << c.name;
    } else {
      EXPECT_LT(s.reports, kFewReports) << c.name;
      EXPECT_TRUE(s.flashUnchanged) << c.name;
    }
    // Before anything is written the user learns what changes and is told
    // to keep the keyboard plugged in; the question and the JSON stream
    // carry neither line.
    const bool toldVersions = s.output.find("Updating the keyboard from " + c.version + " to V2.07\n") !=
                              std::string::npos;
    EXPECT_EQ(toldVersions, c.written && !c.asked && !c.json) << c.name << "\n" << s.output;
    EXPECT_EQ(s.output.find("Do not unplug the keyboard") != std::string::npos, c.written && !c.json) << c.name;
  }
}

// The bar fills the terminal's width and never wraps; where no readable bar
// fits, the percentage stands alone.
TEST(FlashBar, FitsEveryTerminalWidthAndStaysReadable) {
  for (const int columns : {6, 12, 17, 20, 40, 41, 80, 200}) {
    for (const int position : {0, 7, 35, 100, 105}) {
      const std::string bar = ProgressBarText(position, columns);
      EXPECT_LE(bar.size(), static_cast<std::size_t>(std::max(columns - 1, 5))) << columns << " " << position;
      const std::string percent = std::to_string(std::min(position, 100)) + "%";
      EXPECT_EQ(bar.substr(bar.size() - percent.size()), percent) << bar;
      EXPECT_EQ(bar.front() == '[', columns >= 18) << columns << ": " << bar;
    }
  }
  EXPECT_EQ(ProgressBarText(50, 40), "[################................]  50%");
}

}  // namespace
}  // namespace vexaro::flash
