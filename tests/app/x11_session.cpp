#include "tests/app/x11_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace vexaro::app::test {
namespace {

// The server and the manager are programs of their own that run on the real
// clock: a loaded CI machine takes a second or two to start Xvfb.
constexpr std::chrono::seconds kServerStartLimit{15};
constexpr std::chrono::seconds kManagerStartLimit{10};
constexpr std::chrono::milliseconds kManagerPoll{20};
constexpr char kServer[] = "Xvfb";
// A small reparenting manager without compositing; "fixed" is the font every
// X server has built in (the manager refuses to start without one).
constexpr char kManager[] = "evilwm";
constexpr char kManagerFont[] = "fixed";

// Runs argv with its output discarded (the child inherits every descriptor
// not marked close-on-exec). Returns the process id, or -1 with *why.
pid_t Spawn(const std::vector<std::string>& argv, std::string* why) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error == 0) return pid;
  *why = argv[0] + (error == ENOENT ? std::string(" is not installed") : ": " + std::string(std::strerror(error)));
  return -1;
}

void End(std::atomic<pid_t>& process) {
  const pid_t pid = process.exchange(-1);
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

// The display number Xvfb writes to fd once it listens, or -1 when it ends
// or stays silent past the limit.
int ReadDisplayNumber(int fd) {
  std::string text;
  const auto end = std::chrono::steady_clock::now() + kServerStartLimit;
  while (text.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return -1;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[32];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return -1;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  char* after = nullptr;
  const long number = std::strtol(text.c_str(), &after, 10);
  return after != text.c_str() && number >= 0 ? static_cast<int>(number) : -1;
}

bool ManagerRunning(Display* x) {
  const Atom check = XInternAtom(x, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const bool found = XGetWindowProperty(x, DefaultRootWindow(x), check, 0, 1, False, XA_WINDOW, &type, &format,
                                        &count, &after, &data) == Success &&
                     type == XA_WINDOW && count == 1;
  if (data) XFree(data);
  return found;
}

}  // namespace

X11Session::~X11Session() {
  End(manager_);
  End(server_);
}

bool X11Session::Start(std::string* why) { return StartServer(why) && StartManager(why); }

void X11Session::EndServer() { End(server_); }

bool X11Session::StartServer(std::string* why) {
  int fds[2];
  if (pipe(fds) != 0) {
    *why = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  server_ = Spawn({kServer, "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                  why);
  close(fds[1]);
  const int number = server_ > 0 ? ReadDisplayNumber(fds[0]) : -1;
  close(fds[0]);
  if (server_ <= 0) return false;
  if (number < 0) {
    *why = std::string(kServer) + " did not take a display in time";
    End(server_);
    return false;
  }
  setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
  return true;
}

bool X11Session::StartManager(std::string* why) {
  manager_ = Spawn({kManager, "-fn", kManagerFont}, why);
  if (manager_ <= 0) return false;
  Display* x = XOpenDisplay(nullptr);
  if (!x) {
    *why = "cannot open the display of " + std::string(kServer);
    return false;
  }
  const auto end = std::chrono::steady_clock::now() + kManagerStartLimit;
  bool running = ManagerRunning(x);
  while (!running && std::chrono::steady_clock::now() < end) {
    if (waitpid(manager_, nullptr, WNOHANG) == manager_) {
      manager_ = -1;  // ended on its own
      break;
    }
    std::this_thread::sleep_for(kManagerPoll);
    running = ManagerRunning(x);
  }
  XCloseDisplay(x);
  if (!running) *why = std::string(kManager) + " did not take the screen in time";
  return running;
}

}  // namespace vexaro::app::test
