// Start-up: the -debug option and the choice of the bus.
#include <gtest/gtest.h>

#include "app/bus_choice.h"
#include "app/program_request.h"
#include "app/vexaro_app.h"

namespace vexaro::app {
namespace {

TEST(StartUp, DebugOptionIsTheWholeCommandLineInAnyCase) {
  EXPECT_TRUE(IsDebugCommandLine("-debug"));
  EXPECT_TRUE(IsDebugCommandLine("-DEBUG"));
  EXPECT_TRUE(IsDebugCommandLine("-DeBuG"));
  EXPECT_FALSE(IsDebugCommandLine(""));
  EXPECT_FALSE(IsDebugCommandLine("-debug now"));
  EXPECT_FALSE(IsDebugCommandLine(" -debug"));
  EXPECT_FALSE(IsDebugCommandLine("-debug "));
  EXPECT_FALSE(IsDebugCommandLine("debug"));
}

TEST(StartUp, SimOptionChoosesTheSimulatedBusAndLeavesTheRestAlone) {
  char prog[] = "vexaro-updater", sim[] = "--sim", debug[] = "-DEBUG";
  char* argv[] = {prog, sim, debug};
  BusChoice c = ChooseBus(3, argv, false);
  EXPECT_TRUE(c.simulated);
  EXPECT_EQ(c.arguments, (std::vector<std::string>{"vexaro-updater", "-DEBUG"}));

  char* plain[] = {prog, debug};
  EXPECT_FALSE(ChooseBus(2, plain, false).simulated);
  EXPECT_TRUE(ChooseBus(2, plain, true).simulated);
}

// --help and --version answer wherever they stand; anything else (the
// window's -debug included) runs the window.
TEST(StartUp, HelpAndVersionAreAnsweredWithoutTheWindow) {
  using Args = std::vector<std::string>;
  const std::pair<Args, ProgramRequest> cases[] = {
      {{}, ProgramRequest::kRun},
      {{"-debug"}, ProgramRequest::kRun},
      {{"--help"}, ProgramRequest::kHelp},
      {{"-h"}, ProgramRequest::kHelp},
      {{"--sim", "-debug", "--help"}, ProgramRequest::kHelp},
      {{"--version"}, ProgramRequest::kVersion},
      {{"--version", "-h"}, ProgramRequest::kHelp},
      {{"--helpful"}, ProgramRequest::kRun},
#ifdef _WIN32
      {{"/?"}, ProgramRequest::kHelp},
#else
      {{"/?"}, ProgramRequest::kRun},
#endif
  };
  for (const auto& [arguments, request] : cases) {
    EXPECT_EQ(ReadProgramRequest(arguments), request) << (arguments.empty() ? "" : arguments.back());
  }
}

}  // namespace
}  // namespace vexaro::app
