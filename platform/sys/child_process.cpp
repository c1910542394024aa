// Splitting a child's output into lines; the reads themselves are the
// system backend's (ChildProcess::ReadSome).
#include "platform/sys/child_process.h"

namespace vexaro::sys {

bool ChildProcess::ReadLine(std::string& line) {
  for (;;) {
    const std::size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      // A Windows program's text output ends its lines with CR LF.
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    char buffer[4096];
    const std::size_t n = ReadSome(buffer, sizeof buffer);
    if (n == 0) {
      if (pending_.empty()) return false;
      line = std::move(pending_);
      pending_.clear();
      return true;
    }
    pending_.append(buffer, n);
  }
}

}  // namespace vexaro::sys
