// Windows stop requests: the console's control handler runs on a thread of
// its own; it counts, and ends the process at the second request.
#include <windows.h>

#include <atomic>
#include <cstdlib>

#include "platform/sys/stop_requests.h"

namespace vexaro::sys {
namespace {

std::atomic<int> requests{0};
std::atomic<int> secondExitCode{1};

BOOL WINAPI OnControl(DWORD) {
  if (requests.fetch_add(1) >= 1) std::_Exit(secondExitCode.load());
  return TRUE;
}

}  // namespace

void CatchStopRequests(int exitCode) {
  secondExitCode = exitCode;
  SetConsoleCtrlHandler(OnControl, TRUE);
}

int StopRequests() { return requests.load(); }

}  // namespace vexaro::sys
