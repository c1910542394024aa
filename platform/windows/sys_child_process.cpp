// Windows side of the child processes: CreateProcess with an anonymous pipe
// for standard output, each child in a console group of its own so that a
// stop can be sent to it alone (Ctrl-Break, which vexaro-flash counts as a
// stop request).
#include "platform/sys/child_process.h"

#include <windows.h>

#include <mutex>

#include "platform/sys/codepage.h"

namespace vexaro::sys {
namespace {

// One argument as the C runtime splits a command line: quoted when it holds
// a space, a tab or a quote or is empty; backslashes doubled before a quote.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string text = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    text.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    text.push_back(c);
  }
  text.append(backslashes * 2, '\\');
  text.push_back('"');
  return text;
}

}  // namespace

struct ChildProcess::Impl {
  std::mutex mutex;
  HANDLE process = nullptr;
  DWORD processId = 0;
  bool waited = false;
  int status = -1;
  HANDLE readPipe = nullptr;
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  Kill();
  Wait();
  if (impl_->process != nullptr) CloseHandle(impl_->process);
  if (impl_->readPipe != nullptr) CloseHandle(impl_->readPipe);
}

// Children are started one at a time from one thread, and this side's copy
// of the inheritable write end is closed before the next start, so no child
// inherits another's pipe.
bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         std::string& error) {
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readPipe = nullptr, writePipe = nullptr;
  if (!CreatePipe(&readPipe, &writePipe, &inheritable, 0)) {
    error = program + ": no pipe for its output: " + LastErrorText();
    return false;
  }
  SetHandleInformation(readPipe, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                           nullptr);
  std::string commandLine = QuotedArgument(program);
  for (const std::string& a : arguments) {
    commandLine.push_back(' ');
    commandLine.append(QuotedArgument(a));
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writePipe;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &info);
  const std::string why = started ? std::string{} : LastErrorText();
  CloseHandle(writePipe);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) {
    CloseHandle(readPipe);
    error = program + ": cannot be started: " + why;
    return false;
  }
  CloseHandle(info.hThread);
  std::lock_guard lock(impl_->mutex);
  impl_->process = info.hProcess;
  impl_->processId = info.dwProcessId;
  impl_->readPipe = readPipe;
  return true;
}

std::size_t ChildProcess::ReadSome(char* buffer, std::size_t size) {
  DWORD n = 0;
  if (impl_->readPipe == nullptr || !ReadFile(impl_->readPipe, buffer, static_cast<DWORD>(size), &n, nullptr)) return 0;
  return n;
}

void ChildProcess::RequestStop() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->process != nullptr && !impl_->waited) GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, impl_->processId);
}

void ChildProcess::Kill() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->process != nullptr && !impl_->waited) TerminateProcess(impl_->process, 1);
}

bool ChildProcess::HasEnded() {
  std::lock_guard lock(impl_->mutex);
  return impl_->process == nullptr || impl_->waited || WaitForSingleObject(impl_->process, 0) == WAIT_OBJECT_0;
}

int ChildProcess::Wait() {
  HANDLE process = nullptr;
  {
    std::lock_guard lock(impl_->mutex);
    if (impl_->waited || impl_->process == nullptr) return impl_->status;
    process = impl_->process;
  }
  WaitForSingleObject(process, INFINITE);
  DWORD code = 0;
  const BOOL read = GetExitCodeProcess(process, &code);
  std::lock_guard lock(impl_->mutex);
  impl_->waited = true;
  impl_->status = read ? static_cast<int>(code) : -1;
  return impl_->status;
}

}  // namespace vexaro::sys
