// Linux stop requests: the handler only counts (an atomic that is lock free,
// so safe in a signal handler) and, for the second, calls _exit.
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include "platform/sys/stop_requests.h"

namespace vexaro::sys {
namespace {

std::atomic<int> requests{0};
volatile sig_atomic_t secondExitCode = 1;
static_assert(std::atomic<int>::is_always_lock_free);

void OnSignal(int) {
  if (requests.fetch_add(1) >= 1) _exit(secondExitCode);
}

}  // namespace

void CatchStopRequests(int exitCode) {
  secondExitCode = exitCode;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
}

int StopRequests() { return requests.load(); }

}  // namespace vexaro::sys
