// Child processes through the system's own shell: their lines read back
// through the pipe, their exit status, the null device as their input, an
// end at once and a stop request, and a program that cannot be started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sys/child_process.h"

namespace vexaro::sys {
namespace {

#ifdef _WIN32
const std::string kShell = "C:\\windows\\system32\\cmd.exe";
std::vector<std::string> Script(const std::string& text) { return {"/c", text}; }
const char* kLinesAndStatus = "echo one& echo two& exit 3";
const char* kReadsInput = "set /p x=& echo got:%x%";
const char* kRunsLong = "echo started& ping -n 60 127.0.0.1 >NUL";
constexpr int kKilledStatus = 1;
#else
const std::string kShell = "/bin/sh";
std::vector<std::string> Script(const std::string& text) { return {"-c", text}; }
const char* kLinesAndStatus = "printf 'one\\ntwo'; exit 3";
const char* kReadsInput = "read x; echo \"got:$x\"";
const char* kRunsLong = "echo started; sleep 60";
constexpr int kKilledStatus = 128 + 9;
#endif

std::vector<std::string> AllLines(ChildProcess& child) {
  std::vector<std::string> lines;
  for (std::string line; child.ReadLine(line);) lines.push_back(line);
  return lines;
}

TEST(ChildProcess, GivesItsLinesItsExitStatusAndNoInput) {
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start(kShell, Script(kLinesAndStatus), error)) << error;
  EXPECT_EQ(AllLines(child), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(child.Wait(), 3);

  ChildProcess reader;  // reads its input: the null device ends it at once
  ASSERT_TRUE(reader.Start(kShell, Script(kReadsInput), error)) << error;
  const std::vector<std::string> lines = AllLines(reader);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().substr(0, 4), "got:");
  reader.Wait();
}

TEST(ChildProcess, KillEndsItsOutputAndItAtOnce) {
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start(kShell, Script(kRunsLong), error)) << error;
  std::string line;
  ASSERT_TRUE(child.ReadLine(line));
  EXPECT_EQ(line, "started");
  EXPECT_FALSE(child.HasEnded());
  child.Kill();
  EXPECT_FALSE(child.ReadLine(line));
  EXPECT_EQ(child.Wait(), kKilledStatus);
  EXPECT_TRUE(child.HasEnded());
}

#ifndef _WIN32
TEST(ChildProcess, AStopRequestReachesItsOwnHandler) {
  ChildProcess child;
  std::string error;
  ASSERT_TRUE(child.Start(kShell, Script("trap 'echo stopping; exit 130' TERM; echo ready; "
                                         "while :; do sleep 0.05; done"),
                          error))
      << error;
  std::string line;
  ASSERT_TRUE(child.ReadLine(line));
  child.RequestStop();
  ASSERT_TRUE(child.ReadLine(line));
  EXPECT_EQ(line, "stopping");
  EXPECT_EQ(child.Wait(), 130);
}
#endif

TEST(ChildProcess, AProgramThatCannotStartIsNamed) {
  ChildProcess child;
  std::string error;
  EXPECT_FALSE(child.Start("/no/such/program", {}, error));
  EXPECT_NE(error.find("/no/such/program"), std::string::npos) << error;
  EXPECT_EQ(child.Wait(), -1);
  std::string line;
  EXPECT_FALSE(child.ReadLine(line));
}

}  // namespace
}  // namespace vexaro::sys
