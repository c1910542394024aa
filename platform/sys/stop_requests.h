// Requests to stop from outside the program: Ctrl-C, SIGTERM and SIGHUP on
// Linux, the console's Ctrl-C, Ctrl-Break and close on Windows. The first is
// only counted, so that a front end can stop at its next safe point instead
// of in the middle of a write; the second ends the process at once.
#pragma once

namespace vexaro::sys {

// Starts counting stop requests; the second one ends the process with
// exitCode without any closing steps.
void CatchStopRequests(int exitCode);

// How many stop requests have come since CatchStopRequests.
int StopRequests();

}  // namespace vexaro::sys
