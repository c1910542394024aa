// The parts of --all that need no keyboard: the order that picks the exit
// status of several runs, and the reading of the runs' JSON events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <cstdio>

#include "tools/vexaro-flash/flash_board.h"
#include "tools/vexaro-flash/flash_events.h"
#include "tools/vexaro-flash/flash_ports.h"

namespace vexaro::flash {
namespace {

TEST(FlashAllExitStatus, TheWorstRunSpeaksForAll) {
  const struct {
    std::vector<int> codes;
    int worst;
  } cases[] = {
      {{}, 0},
      {{0, 0, 0}, 0},
      {{0, 2, 0}, 2},
      {{2, 3}, 3},
      {{3, 8}, 8},
      {{8, 7}, 7},
      {{7, 130}, 130},
      {{130, 1, 0}, 1},
      {{0, 124}, 1},  // a run that ended in a way of no known code failed
      {{0, -1}, 1},
      {{4, 0}, 1},    // a run refusing the package the others took: something is wrong with it
  };
  for (const auto& c : cases) {
    std::string codes;
    for (int code : c.codes) codes += std::to_string(code) + " ";
    EXPECT_EQ(WorstExitCode(c.codes), c.worst) << codes;
  }
}

TEST(FlashAllEvents, ReadsTheMembersItActsOnAndRefusesWhatIsNoEvent) {
  ChildEvent e;
  ASSERT_TRUE(ParseChildEvent(R"({"event":"progress","position":35,"port":"2"})", e));
  EXPECT_EQ(e.event, "progress");
  EXPECT_EQ(e.position, 35);
  EXPECT_EQ(e.port, "2");
  ASSERT_TRUE(ParseChildEvent(R"({"event":"result","success":true,"exit":0,"text":"ok \"V2.07\"","port":"1-2.3"})", e));
  EXPECT_TRUE(e.success);
  EXPECT_EQ(e.exit, 0);
  EXPECT_EQ(e.text, "ok \"V2.07\"");
  EXPECT_EQ(e.port, "1-2.3");
  // Control characters, escaped or not, and characters beyond ASCII are
  // shown as '?' on the terminal's line: no ESC sequence reaches it.
  ASSERT_TRUE(ParseChildEvent("{\"event\":\"stage\",\"text\":\"a\\u001b[2J\\nb\xc3\xa9\\u00e9\"}", e));
  EXPECT_EQ(e.text, "a?[2J?b??");

  const char* refused[] = {
      "",
      "not json",
      R"({"text":"no event"})",
      R"({"event":"stage")",
      R"({"event":"stage"} trailing)",
      R"({"event":"stage","text":"unterminated})",
      R"({"event":"progress","position":99999999999})",
      R"({"event":"stage","text":"bad \q escape"})",
      R"({"event":"stage","nested":{"a":1}})",
      "{\"event\":\"stage\",\"text\":\"raw\x01control\"}",
  };
  for (const char* line : refused) EXPECT_FALSE(ParseChildEvent(line, e)) << line;
}

// The --json board passes each run's events on as they are (but the
// package, announced once for all), drops what is no event, and writes a
// result for a run that ended without one, so every keyboard has its result.
TEST(FlashAllBoard, EveryKeyboardEndsWithAResultEvent) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  FlashBoard board(out, OutputStyle::kJson, {"1", "2"});
  const std::string stage = R"({"event":"stage","text":"Connecting....","port":"1"})";
  const std::string result = R"({"event":"result","success":true,"exit":0,"text":"ok","port":"1"})";
  board.Take(0, R"({"event":"package","product":"K7","port":"1"})");
  board.Take(0, stage);
  board.Take(0, "Segmentation fault");
  board.Take(1, R"({"event":"progress","position":40,"port":"2"})");
  board.Take(0, result);
  board.Finish(0, true, 0, "ok");  // said so itself: nothing more
  board.Finish(1, false, 1, "ended without a result");

  std::rewind(out);
  std::string written;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;) written.append(buffer, n);
  std::fclose(out);
  EXPECT_EQ(written, stage + "\n" + R"({"event":"progress","position":40,"port":"2"})" + "\n" + result + "\n" +
                         R"({"event":"result","success":false,"exit":1,"text":"ended without a result","port":"2"})"
                         "\n");
  const std::vector<FlashBoard::Row> rows = board.Rows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].exitCode, 0);
  EXPECT_EQ(rows[0].stage, "Connecting....");
  EXPECT_EQ(rows[1].exitCode, 1);
  EXPECT_EQ(rows[1].progress, 40);
}

}  // namespace
}  // namespace vexaro::flash
