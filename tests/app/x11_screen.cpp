#include "tests/app/x11_screen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>

namespace vexaro::app::test {
namespace {

// A window may go while the test reads it (a dialog closing); Xlib's default
// handler would end the process on the error that follows.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// The property's items (8-bit bytes or 32-bit items held as longs).
template <typename Item>
std::vector<Item> Property(Display* x, Window w, const char* name, Atom wanted) {
  std::vector<Item> items;
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  const Atom atom = XInternAtom(x, name, False);
  if (XGetWindowProperty(x, w, atom, 0, 1 << 20, False, wanted, &type, &format, &count, &after, &data) == Success &&
      type == wanted && data) {
    const auto* first = reinterpret_cast<const Item*>(data);
    items.assign(first, first + count);
  }
  if (data) XFree(data);
  return items;
}

}  // namespace

X11Screen::X11Screen() {
  XSetErrorHandler(IgnoreXError);
  display_ = XOpenDisplay(nullptr);
}

X11Screen::~X11Screen() {
  if (!display_) return;
  Uncover();
  XCloseDisplay(display_);
}

bool X11Screen::ClientRect(unsigned long window, gui::RECT& out) {
  XWindowAttributes a;
  Window child = 0;
  int x = 0, y = 0;
  if (!window || !XGetWindowAttributes(display_, window, &a) ||
      !XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &x, &y, &child))
    return false;
  out = {x, y, x + a.width, y + a.height};
  return true;
}

bool X11Screen::FrameRect(unsigned long window, gui::RECT& out) {
  const Window root = DefaultRootWindow(display_);
  Window top = window;
  for (;;) {
    Window root_seen = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!top || !XQueryTree(display_, top, &root_seen, &parent, &children, &count)) return false;
    if (children) XFree(children);
    if (parent == root) break;
    top = parent;
  }
  XWindowAttributes a;
  if (!XGetWindowAttributes(display_, top, &a)) return false;
  out = {a.x, a.y, a.x + a.width + 2 * a.border_width, a.y + a.height + 2 * a.border_width};
  return true;
}

std::vector<std::uint32_t> X11Screen::Grab(const gui::RECT& r, gui::RECT& grabbed) {
  const Screen* screen = DefaultScreenOfDisplay(display_);
  grabbed = {std::max(r.left, 0), std::max(r.top, 0), std::min<int>(r.right, screen->width),
             std::min<int>(r.bottom, screen->height)};
  std::vector<std::uint32_t> pixels;
  const int w = grabbed.right - grabbed.left, h = grabbed.bottom - grabbed.top;
  if (w <= 0 || h <= 0) return pixels;
  XImage* image = XGetImage(display_, DefaultRootWindow(display_), grabbed.left, grabbed.top,
                            static_cast<unsigned>(w), static_cast<unsigned>(h), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu);
  XDestroyImage(image);
  return pixels;
}

std::string X11Screen::Text(unsigned long window, const char* property) {
  const Atom type = std::string(property) == "WM_NAME" ? XA_STRING : XInternAtom(display_, "UTF8_STRING", False);
  const std::vector<char> bytes = Property<char>(display_, window, property, type);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned long> X11Screen::Cardinals(unsigned long window, const char* property) {
  return Property<unsigned long>(display_, window, property, XA_CARDINAL);
}

void X11Screen::Cover(const gui::RECT& r, std::uint32_t rgb) {
  Uncover();
  XSetWindowAttributes a{};
  a.override_redirect = True;
  a.background_pixel = rgb;
  cover_ = XCreateWindow(display_, DefaultRootWindow(display_), r.left, r.top, static_cast<unsigned>(r.right - r.left),
                         static_cast<unsigned>(r.bottom - r.top), 0, CopyFromParent, InputOutput, CopyFromParent,
                         CWOverrideRedirect | CWBackPixel, &a);
  XMapRaised(display_, cover_);
  XSync(display_, False);
}

void X11Screen::Uncover() {
  if (!cover_) return;
  XDestroyWindow(display_, cover_);
  XSync(display_, False);
  cover_ = 0;
}

}  // namespace vexaro::app::test
