// Windows side of the process services: program path, console and debugger output.
#include "platform/sys/sys.h"

#include <windows.h>
#include <io.h>

#include <cstdio>

#include <vector>

namespace vexaro::sys {

namespace {

// A console, not merely a character device: _isatty also says yes for NUL,
// and a script's `< NUL` would then be asked a question nobody answers.
bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

bool StandardOutputIsTerminal() { return IsConsole(STD_OUTPUT_HANDLE); }
bool StandardInputIsTerminal() { return IsConsole(STD_INPUT_HANDLE); }

int TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool IsPlatformHelpArgument(std::string_view argument) { return argument == "/?"; }

// Output redirected to a file or a pipe is kept; otherwise the console of
// the command prompt that started the program, if there is one.
bool AttachParentConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  std::FILE* ignored = nullptr;
  freopen_s(&ignored, "CONOUT$", "w", stdout);
  freopen_s(&ignored, "CONOUT$", "w", stderr);
  return true;
}

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
