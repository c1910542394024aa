// A private X server (Xvfb) with a window manager, for tests that need a
// desktop as users have one: windows reparented into frames, stacked and
// moved by the manager, no compositing. The process's DISPLAY names it.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <string>

namespace vexaro::app::test {

class X11Session {
 public:
  X11Session() = default;
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;
  // Ends the manager and the server.
  ~X11Session();

  // Starts the server on a free display and the manager on it, and points
  // DISPLAY there. False with *why when either program is missing or does not
  // come up within its time limit.
  bool Start(std::string* why);
  // Ends the server before the programs using it, as a crashed or closed
  // desktop session does.
  void EndServer();

 private:
  bool StartServer(std::string* why);
  bool StartManager(std::string* why);

  // Atomic: a program that loses its server may exit (and end the session)
  // from a thread of its own.
  std::atomic<pid_t> server_{-1};
  std::atomic<pid_t> manager_{-1};
};

}  // namespace vexaro::app::test
