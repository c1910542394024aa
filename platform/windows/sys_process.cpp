// Windows side of the process services: program path and debugger output.
#include "platform/sys/sys.h"

#include <windows.h>
#include <io.h>

#include <cstdio>

#include <vector>

namespace vexaro::sys {

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

bool GetModuleFilePath(std::string& path) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size()) {
      path.assign(buffer.data(), n);
      return true;
    }
    if (buffer.size() >= 32768) return false;
    buffer.resize(buffer.size() * 2);
  }
}

void DebugOutput(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line.push_back('\n');
  OutputDebugStringA(line.c_str());
}

}  // namespace vexaro::sys
