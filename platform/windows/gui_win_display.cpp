// The Win32 display: one native top-level window per framework top-level
// window, owned by a thread of the display. The framework's threads queue
// commands for it; it paints the presented canvases with GDI, shapes windows
// with SetWindowRgn and turns mouse and keys into framework input.
#include "platform/gui/backend.h"
#include "platform/gui/input.h"
#include "platform/gui/window.h"
#include "platform/sys/sys.h"
// windows.h last: its macros would rename the framework's declarations.
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace vexaro::gui {
namespace {

constexpr const char* kWindowClass = "VexaroWindow";
constexpr UINT kRunCommands = WM_APP + 7;

struct Native {
  ::HWND hwnd = nullptr;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // top-down, as presented last
  std::vector<RECT> region;           // of the framework window; empty: none
  bool shaped = false;
};

bool SameRects(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom)
      return false;
  }
  return true;
}

std::vector<RECT> RegionOf(HWND h) {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  std::vector<RECT> rects;
  if (rgn != nullptr && GetWindowRgn(h, rgn) != ERROR) rects = rgn->rects;
  DeleteObject(rgn);
  return rects;
}

class Win32Display final : public Display {
 public:
  bool Start() {
    std::unique_lock lock(mutex_);
    thread_ = std::thread([this] { Loop(); });
    thread_.detach();  // lives as long as the process, like the display
    ready_.wait(lock, [this] { return started_; });
    return controller_ != nullptr;
  }

  const char* Name() const override { return "win32"; }
  SIZE ScreenSize() const override { return SIZE{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

  void Show(HWND h, const RECT& r, bool visible) override {
    Post([this, h, r, visible] {
      Native& n = Ensure(h);
      Place(n, r);
      ::ShowWindow(n.hwnd, visible ? SW_SHOWNOACTIVATE : SW_HIDE);
    });
  }
  void Move(HWND h, const RECT& r) override {
    Post([this, h, r] { Place(Ensure(h), r); });
  }
  void Destroyed(HWND h) override {
    Post([this, h] {
      auto it = windows_.find(h);
      if (it == windows_.end()) return;
      ::DestroyWindow(it->second.hwnd);
      windows_.erase(it);
    });
  }
  void Present(HWND h, const Bitmap& canvas) override {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(canvas.width) * static_cast<std::size_t>(canvas.height));
    for (int y = 0; y < canvas.height; ++y)
      for (int x = 0; x < canvas.width; ++x)
        pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width) + static_cast<std::size_t>(x)] =
            canvas.At(x, y);
    const int w = canvas.width;
    const int ht = canvas.height;
    Post([this, h, w, ht, pixels = std::move(pixels), region = RegionOf(h)]() mutable {
      Native& n = Ensure(h);
      n.width = w;
      n.height = ht;
      n.pixels = std::move(pixels);
      Shape(n, std::move(region));
      ::InvalidateRect(n.hwnd, nullptr, FALSE);
    });
  }
  void SetTitle(HWND h, const std::string& title) override {
    Post([this, h, title] { ::SetWindowTextA(Ensure(h).hwnd, title.c_str()); });
  }
  void SetIcon(HWND h, const Bitmap& icon) override {
    ::HICON native = MakeIcon(icon);
    if (native == nullptr) return;
    // The same icon serves as big and small one; Windows scales it.
    Post([this, h, native] {
      ::HWND hwnd = Ensure(h).hwnd;
      ::SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(native));
      ::SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(native));
    });
  }

  LRESULT Handle(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  void Post(std::function<void()> command) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(std::move(command));
    }
    ::PostMessageA(controller_, kRunCommands, 0, 0);
  }

  void RunCommands() {
    for (;;) {
      std::function<void()> command;
      {
        std::lock_guard lock(mutex_);
        if (commands_.empty()) return;
        command = std::move(commands_.front());
        commands_.pop_front();
      }
      command();
    }
  }

  Native& Ensure(HWND h) {
    Native& n = windows_[h];
    if (n.hwnd == nullptr) {
      n.hwnd = ::CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
      owners_[n.hwnd] = h;
    }
    return n;
  }

  static void Place(Native& n, const RECT& r) {
    ::SetWindowPos(n.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // The framework's window region becomes the native window's shape; the
  // system owns a region once it is set.
  static void Shape(Native& n, std::vector<RECT> rects) {
    if (SameRects(rects, n.region) && n.shaped == !rects.empty()) return;
    n.region = std::move(rects);
    n.shaped = !n.region.empty();
    ::HRGN shape = nullptr;
    for (const RECT& r : n.region) {
      ::HRGN part = ::CreateRectRgn(r.left, r.top, r.right, r.bottom);
      if (shape == nullptr) shape = part;
      else {
        ::CombineRgn(shape, shape, part, RGN_OR);
        ::DeleteObject(part);
      }
    }
    ::SetWindowRgn(n.hwnd, shape, TRUE);
  }

  static ::HICON MakeIcon(const Bitmap& icon);
  void Paint(::HWND hwnd);
  void Loop();

  std::mutex mutex_;  // guards commands_, started_
  std::condition_variable ready_;
  bool started_ = false;
  std::deque<std::function<void()>> commands_;
  ::HWND controller_ = nullptr;
  std::thread thread_;
  // Display thread only.
  std::map<HWND, Native> windows_;
  std::map<::HWND, HWND> owners_;
};

Win32Display* g_display = nullptr;

LRESULT CALLBACK DisplayWndProc(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return g_display != nullptr ? g_display->Handle(hwnd, msg, wp, lp) : ::DefWindowProcA(hwnd, msg, wp, lp);
}

::HICON Win32Display::MakeIcon(const Bitmap& icon) {
  ::BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = icon.width;
  info.bmiHeader.biHeight = -icon.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  ::HBITMAP color = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (color == nullptr) return nullptr;
  auto* out = static_cast<std::uint32_t*>(bits);
  for (int y = 0; y < icon.height; ++y)
    for (int x = 0; x < icon.width; ++x) *out++ = icon.At(x, y);
  ::HBITMAP mask = ::CreateBitmap(icon.width, icon.height, 1, 1, nullptr);
  ::ICONINFO ii{TRUE, 0, 0, mask, color};
  ::HICON made = ::CreateIconIndirect(&ii);
  ::DeleteObject(color);
  ::DeleteObject(mask);
  return made;
}

void Win32Display::Paint(::HWND hwnd) {
  ::PAINTSTRUCT ps;
  ::HDC dc = ::BeginPaint(hwnd, &ps);
  auto owner = owners_.find(hwnd);
  auto it = owner == owners_.end() ? windows_.end() : windows_.find(owner->second);
  if (it != windows_.end() && !it->second.pixels.empty()) {
    const Native& n = it->second;
    ::BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = n.width;
    info.bmiHeader.biHeight = -n.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(n.width), static_cast<DWORD>(n.height), 0, 0, 0,
                        static_cast<UINT>(n.height), n.pixels.data(), &info, DIB_RGB_COLORS);
  }
  ::EndPaint(hwnd, &ps);
}

LRESULT Win32Display::Handle(::HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (hwnd == controller_ && msg == kRunCommands) {
    RunCommands();
    return 0;
  }
  auto owner = owners_.find(hwnd);
  if (owner == owners_.end()) return ::DefWindowProcA(hwnd, msg, wp, lp);
  POINT p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  switch (msg) {
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_CLOSE: input::CloseRequest(owner->second); return 0;
    case WM_MOUSEMOVE:
      ::ClientToScreen(hwnd, reinterpret_cast<::POINT*>(&p));
      input::MouseMove(p.x, p.y);
      return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP: {
      const bool down = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN;
      // The capture keeps moves coming while a button is held (caption drags).
      if (down) ::SetCapture(hwnd);
      else if ((wp & (MK_LBUTTON | MK_RBUTTON)) == 0) ::ReleaseCapture();
      ::ClientToScreen(hwnd, reinterpret_cast<::POINT*>(&p));
      input::MouseButton(msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP ? input::kLeft : input::kRight, down, p.x, p.y);
      return 0;
    }
    case WM_KEYDOWN: case WM_KEYUP: {
      BYTE state[256] = {};
      ::GetKeyboardState(state);
      WORD typed = 0;
      const int n = ::ToAscii(static_cast<UINT>(wp), (static_cast<UINT>(lp) >> 16) & 0xFF, state, &typed, 0);
      input::Key(static_cast<UINT>(wp), msg == WM_KEYDOWN, n == 1 ? static_cast<char>(typed & 0xFF) : 0);
      return 0;
    }
    default: return ::DefWindowProcA(hwnd, msg, wp, lp);
  }
}

void Win32Display::Loop() {
  ::WNDCLASSA wc{};
  wc.lpfnWndProc = DisplayWndProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kWindowClass;
  ::RegisterClassA(&wc);
  // A desktop is there when a top-level window can be made; the controller
  // itself is message-only.
  ::HWND probe = ::CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
  if (probe != nullptr) {
    ::DestroyWindow(probe);
    controller_ = ::CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, reinterpret_cast<::HWND>(HWND_MESSAGE), nullptr, wc.hInstance, nullptr);
  }
  {
    std::lock_guard lock(mutex_);
    started_ = true;
  }
  ready_.notify_all();
  if (controller_ == nullptr) return;
  ::MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

}  // namespace

namespace native {

std::unique_ptr<Display> MakeNativeDisplay() {
  // One display per process; a second ask (none is made) gets nothing.
  static std::mutex once;
  std::lock_guard lock(once);
  if (g_display != nullptr) return nullptr;
  auto display = std::make_unique<Win32Display>();
  g_display = display.get();
  if (!display->Start()) {
    // Its thread has ended; the object may go.
    g_display = nullptr;
    return nullptr;
  }
  return display;
}

}  // namespace native

}  // namespace vexaro::gui
