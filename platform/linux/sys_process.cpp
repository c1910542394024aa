// Linux side of the process services: program path, terminal and debug output.
#include "platform/sys/sys.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vexaro::sys {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

bool AttachParentConsole() { return true; }

bool IsPlatformHelpArgument(std::string_view) { return false; }

bool GetModuleFilePath(std::string& path) {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      path.assign(buffer.data(), static_cast<std::size_t>(n));
      return true;
    }
    if (buffer.size() >= (1u << 20)) return false;
    buffer.resize(buffer.size() * 2);
  }
}

void DebugOutput(std::string_view text) {
  static const bool enabled = [] {
    const char* v = std::getenv("VEXARO_DEBUG");
    return v != nullptr && *v != '\0' && std::strcmp(v, "0") != 0;
  }();
  if (!enabled) return;
  std::fwrite(text.data(), 1, text.size(), stderr);
  if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
  std::fflush(stderr);
}

}  // namespace vexaro::sys
