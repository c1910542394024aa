// Programs that this one starts and watches: standard input from the null
// device (a child never waits for a terminal), standard output read line by
// line through a pipe, standard error shared with this program.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vexaro::sys {

class ChildProcess {
 public:
  ChildProcess();
  // A child still running is ended at once and waited for.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts program with arguments (without the program's own name). False
  // with error naming the program and the reason.
  bool Start(const std::string& program, const std::vector<std::string>& arguments, std::string& error);
  // The next line of its output without the line end (a last line without
  // one too); false once the output has ended. Blocks; one reader at a time.
  bool ReadLine(std::string& line);
  // Asks it to stop at its next safe point, as Ctrl-C would (SIGTERM on
  // Linux, Ctrl-Break to its own console group on Windows).
  void RequestStop();
  // Ends it at once; its output then ends.
  void Kill();
  // Whether it has ended (or was never started), without waiting.
  bool HasEnded();
  // Waits for its end: its exit status, 128 + the signal for one that a
  // signal ended (Linux), -1 when it was never started.
  int Wait();

 private:
  // One read of its output as the system does it: the bytes read, 0 at the
  // end of the output (or when it was never started).
  std::size_t ReadSome(char* buffer, std::size_t size);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string pending_;  // bytes read after the last line end
};

}  // namespace vexaro::sys
