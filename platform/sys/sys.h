// The operating-system services every layer shares: the one clock with its
// sleep, the path of the running program file, and debug output. The clock can
// run scaled so that tests pass through long waits quickly; all code uses it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexaro::sys {

// Milliseconds on the program's clock. Monotonic; starts near the wall-clock
// time of the process start so that NowSeconds looks like calendar time.
std::uint64_t NowMs();

// Whole seconds on the program's clock; a window of W seconds measured with it
// lasts between W and W + 1 seconds.
std::int64_t NowSeconds();

// Sleeps for ms milliseconds of the program's clock.
void SleepMs(std::uint32_t ms);

// Sleeps until the program's clock reaches deadlineMs (a NowMs value), ending
// within the system's wake-up latency of it rather than a whole millisecond
// late, so that paced work (one bus frame after another) does not drift.
void SleepUntilMs(std::uint64_t deadlineMs);

// The real duration that ms milliseconds of the program's clock take; for
// timed waits on condition variables and the like.
std::chrono::nanoseconds RealDuration(std::uint64_t ms);

// Clock speed: 1 is real time, 1000 runs a two-minute wait in 120 ms. The
// initial value comes from the environment variable VEXARO_CLOCK_SCALE
// (default 1). Changing it keeps the clock continuous and monotonic.
void SetClockScale(double factor);
double ClockScale();

// Full path of the running program file; false when the system cannot tell.
bool GetModuleFilePath(std::string& path);

// Whether the standard output goes to a terminal (and not to a file or a
// pipe), for front ends that draw on the terminal only when a person watches.
bool StandardOutputIsTerminal();
// The same for standard input: whether a person can answer a question.
bool StandardInputIsTerminal();
// Columns of the terminal standard output is shown in; 0 when it is no
// terminal or the system cannot tell.
int TerminalColumns();
// A window program started from a command prompt writes to that prompt's
// console (Windows: AttachConsole(ATTACH_PARENT_PROCESS), standard output
// and error reopened on it). True when standard output reaches a console or
// a file; on Linux always true.
bool AttachParentConsole();
// "/?": how Windows users ask a program for help; elsewhere an ordinary
// argument (a file name).
bool IsPlatformHelpArgument(std::string_view argument);

// Trace output for developers: the debugger output on Windows; on Linux
// standard error when VEXARO_DEBUG is set to something other than "0",
// otherwise nothing.
void DebugOutput(std::string_view text);

}  // namespace vexaro::sys
