// What an X server's screen shows, read through a connection of the test's
// own: pixels of the root window, where a window and its manager's frame are,
// window properties; and a plain window of one colour to put over others.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/types.h"

struct _XDisplay;  // Xlib's Display, kept out of the test's own names

namespace vexaro::app::test {

class X11Screen {
 public:
  // Opens DISPLAY; Ok() tells whether it could.
  X11Screen();
  ~X11Screen();
  X11Screen(const X11Screen&) = delete;
  X11Screen& operator=(const X11Screen&) = delete;
  bool Ok() const { return display_ != nullptr; }

  // Where the window's contents are on the screen.
  bool ClientRect(unsigned long window, gui::RECT& out);
  // What the window manager's frame around the window covers, borders
  // included (the window itself when it has no frame).
  bool FrameRect(unsigned long window, gui::RECT& out);
  // The screen's pixels in r (clipped to the screen), 0x00RRGGBB row by row;
  // empty when r lies off the screen.
  std::vector<std::uint32_t> Grab(const gui::RECT& r, gui::RECT& grabbed);

  // A text property (WM_NAME as STRING, _NET_WM_NAME as UTF8_STRING); empty
  // when the window has none.
  std::string Text(unsigned long window, const char* property);
  // A CARDINAL property (_NET_WM_ICON: width, height, then the pixels).
  std::vector<unsigned long> Cardinals(unsigned long window, const char* property);

  // Maps a window of one colour over r, above every other, outside the
  // window manager; Uncover takes it away.
  void Cover(const gui::RECT& r, std::uint32_t rgb);
  void Uncover();

 private:
  ::_XDisplay* display_ = nullptr;
  unsigned long cover_ = 0;
};

}  // namespace vexaro::app::test
