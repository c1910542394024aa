// Linux side of the child processes: posix_spawn with a close-on-exec pipe,
// so that a child inherits no other child's pipe and every reader sees the
// end of its own child's output when that child ends. Each child leads a
// process group of its own.
#include "platform/sys/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

extern char** environ;

namespace vexaro::sys {

struct ChildProcess::Impl {
  std::mutex mutex;  // pid and status: Kill and RequestStop come from other threads than Wait
  pid_t pid = -1;
  bool waited = false;
  int status = -1;
  int readFd = -1;
};

ChildProcess::ChildProcess() : impl_(std::make_unique<Impl>()) {}

ChildProcess::~ChildProcess() {
  Kill();
  Wait();
  if (impl_->readFd >= 0) ::close(impl_->readFd);
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& arguments,
                         std::string& error) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error = program + ": no pipe for its output: " + std::strerror(errno);
    return false;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  // A group of its own: the terminal's Ctrl-C reaches this program only,
  // which passes one stop request on; a child that got both would take the
  // second as the one that ends it at once.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t pid = -1;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (failed != 0) {
    ::close(fds[0]);
    error = program + ": cannot be started: " + std::strerror(failed);
    return false;
  }
  std::lock_guard lock(impl_->mutex);
  impl_->pid = pid;
  impl_->readFd = fds[0];
  return true;
}

std::size_t ChildProcess::ReadSome(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t n = impl_->readFd < 0 ? 0 : ::read(impl_->readFd, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }
}

void ChildProcess::RequestStop() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->pid > 0 && !impl_->waited) ::kill(impl_->pid, SIGTERM);
}

void ChildProcess::Kill() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->pid > 0 && !impl_->waited) ::kill(impl_->pid, SIGKILL);
}

bool ChildProcess::HasEnded() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->pid <= 0 || impl_->waited) return true;
  siginfo_t info{};
  // Looked at without reaping, so that Wait still gets its status.
  if (::waitid(P_PID, static_cast<id_t>(impl_->pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno != EINTR;
  return info.si_pid != 0;
}

int ChildProcess::Wait() {
  pid_t pid = -1;
  {
    std::lock_guard lock(impl_->mutex);
    if (impl_->waited || impl_->pid <= 0) return impl_->status;
    pid = impl_->pid;
  }
  // Waits without reaping, then reaps under the lock: a Kill on another
  // thread never reaches a process id that the system has handed on.
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
  }
  std::lock_guard lock(impl_->mutex);
  int status = 0;
  const pid_t done = ::waitpid(pid, &status, 0);
  impl_->waited = true;
  impl_->status = done != pid             ? -1
                  : WIFEXITED(status)     ? WEXITSTATUS(status)
                  : WIFSIGNALED(status)   ? 128 + WTERMSIG(status)
                                          : -1;
  return impl_->status;
}

}  // namespace vexaro::sys
