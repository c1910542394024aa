// The SDL2 display for Linux desktops (X11 and Wayland). One thread owns SDL:
// it creates undecorated windows, shows the canvases the framework presents
// and turns SDL events into framework input. The framework's threads only
// queue commands for it. Each window keeps its last frame, title and icon:
// the frame is shown again whenever the desktop exposes the window (without
// a compositor nothing else repaints an uncovered part), and a title or icon
// given before the window exists is applied when it is made.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/gui/display.h"
#include "platform/linux/gui_sdl_display.h"
#include "platform/sys/sys.h"
// Last: it brings Xlib's macros (None, Bool, Status).
#include <SDL_syswm.h>

namespace vexaro::gui {
namespace {

// How long the SDL thread sleeps in SDL when nothing happens before it looks
// at the framework's commands again; commands also wake it at once.
constexpr Uint32 kIdleWaitMs = 50;
// While a caption drag moves a window, the pointer is read this often: one
// frame of a 100 Hz pointer, so the window keeps up with the hand.
constexpr Uint32 kDragFollowMs = 10;

struct SdlWindow {
  SDL_Window* window = nullptr;  // made when the window is first shown
  RECT rect{};                   // where the framework placed the window on the screen
  std::shared_ptr<const Bitmap> frame;  // the last one presented, shown again on expose
  std::string title;
  std::shared_ptr<const Bitmap> icon;
  bool presented = false;
  bool exposed = false;  // to be shown again once the pending events are handled
};

// A top-down copy the SDL thread can use after the caller's bitmap is gone.
std::shared_ptr<const Bitmap> TopDownCopy(const Bitmap& from) {
  auto copy = std::make_shared<Bitmap>(from.width, from.height);
  for (int y = 0; y < from.height; ++y) std::copy_n(from.Row(y), from.width, copy->Row(y));
  return copy;
}

// A surface over the bitmap's pixels (not a copy); nullptr when SDL refuses.
SDL_Surface* SurfaceOver(const Bitmap& bmp) {
  return SDL_CreateRGBSurfaceWithFormatFrom(const_cast<std::uint32_t*>(bmp.pixels.data()), bmp.width, bmp.height, 32,
                                            bmp.width * 4, SDL_PIXELFORMAT_ARGB8888);
}

UINT VirtualKey(SDL_Keycode k) {
  switch (k) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_TAB: return VK_TAB;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_DELETE: return VK_DELETE;
    default:
      if (k >= 'a' && k <= 'z') return static_cast<UINT>(k - 'a' + 'A');
      if (k >= '0' && k <= '9') return static_cast<UINT>(k);
      return 0;
  }
}

class SdlDisplay final : public Display {
 public:
  SdlDisplay() : thread_([this] { Loop(); }) {
    std::unique_lock lock(m_);
    ready_cv_.wait(lock, [this] { return state_ != 0; });
  }
  ~SdlDisplay() override {
    if (chosen_ == this) chosen_ = nullptr;
    Stop();
  }

  // The display the process chose. It is never deleted, but its thread has to
  // end before the process's libraries are finalised under it.
  static void StopChosenAtExit(SdlDisplay* display) {
    if (chosen_ == nullptr) std::atexit([] {
      if (chosen_ != nullptr) chosen_->Stop();
    });
    chosen_ = display;
  }

  // Ends the SDL thread; whatever is asked of the display afterwards is
  // dropped. The display lives for the whole process, so this runs at exit:
  // a thread still inside SDL while the libraries it uses are finalised
  // crashes the exit.
  void Stop() {
    {
      std::lock_guard lock(m_);
      if (stopped_) return;
      commands_.push_back([this] { running_ = false; });
      Wake();
      stopped_ = true;
    }
    if (!thread_.joinable()) return;
    // Xlib ends the program from this very thread when the X server goes
    // away; that exit cannot wait for the thread it runs on.
    if (thread_.get_id() == std::this_thread::get_id()) thread_.detach();
    else thread_.join();
  }
  bool Ok() const { return state_ == 1; }

  const char* Name() const override { return "sdl"; }
  SIZE ScreenSize() const override { return screen_; }

  void Show(HWND h, const RECT& r, bool visible) override {
    Post([this, h, r, visible] {
      if (!visible) {
        // A window never shown needs no SDL window to be hidden.
        if (SdlWindow* w = Existing(h)) SDL_HideWindow(w->window);
        return;
      }
      SdlWindow& w = Ensure(h, r);
      if (w.window) SDL_ShowWindow(w.window);
    });
  }
  void Move(HWND h, const RECT& r) override {
    Post([this, h, r] {
      SdlWindow* w = Existing(h);
      if (!w) return;
      w->rect = r;
      SDL_SetWindowPosition(w->window, r.left, r.top);
      SDL_SetWindowSize(w->window, r.right - r.left, r.bottom - r.top);
    });
  }
  void Destroyed(HWND h) override {
    Post([this, h] {
      auto it = windows_.find(h);
      if (it == windows_.end()) return;
      if (it->second.window) SDL_DestroyWindow(it->second.window);
      windows_.erase(it);
    });
  }
  void Present(HWND h, const Bitmap& canvas) override {
    Post([this, h, frame = TopDownCopy(canvas)] {
      SdlWindow* w = Existing(h);
      if (!w) return;
      w->frame = frame;
      ShowFrame(*w);
      ++presents_;
    });
  }
  // Kept for a window not made yet; the framework gives a title before the
  // window is first shown (a dialog's caption, the main window's name).
  void SetTitle(HWND h, const std::string& title) override {
    Post([this, h, title] {
      SdlWindow& w = windows_[h];
      w.title = title;
      if (w.window) SDL_SetWindowTitle(w.window, title.c_str());
    });
  }
  void SetIcon(HWND h, const Bitmap& icon) override {
    Post([this, h, copy = TopDownCopy(icon)] {
      SdlWindow& w = windows_[h];
      w.icon = copy;
      ApplyIcon(w);
    });
  }

  // Runs fn on the SDL thread and waits for it.
  void Call(std::function<void()> fn) {
    std::mutex done_m;
    std::condition_variable done_cv;
    bool done = false;
    const bool posted = Post([&] {
      fn();
      std::lock_guard lock(done_m);
      done = true;
      done_cv.notify_all();
    });
    if (!posted) return;
    std::unique_lock lock(done_m);
    done_cv.wait(lock, [&] { return done; });
  }

  bool Screenshot(HWND h, Bitmap& out) {
    bool ok = false;
    Call([&] {
      auto it = windows_.find(h);
      if (it == windows_.end() || !it->second.presented) return;
      SDL_Surface* surface = SDL_GetWindowSurface(it->second.window);
      if (!surface) return;
      out.width = surface->w;
      out.height = surface->h;
      out.bottomUp = false;
      out.pixels.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
      ok = SDL_ConvertPixels(surface->w, surface->h, surface->format->format, surface->pixels, surface->pitch,
                             SDL_PIXELFORMAT_ARGB8888, out.pixels.data(), out.width * 4) == 0;
    });
    return ok;
  }
  int Presents() const { return presents_.load(); }

  unsigned long X11Window(HWND h) {
    unsigned long id = 0;
    Call([&] {
      auto it = windows_.find(h);
      if (it == windows_.end() || !it->second.window) return;
      SDL_SysWMinfo info;
      SDL_VERSION(&info.version);
      if (SDL_GetWindowWMInfo(it->second.window, &info) && info.subsystem == SDL_SYSWM_X11)
        id = static_cast<unsigned long>(info.info.x11.window);
    });
    return id;
  }

  // Moves the real pointer, as the hand does; the desktop then reports it.
  void MovePointer(int x, int y) {
    Call([&] { SDL_WarpMouseGlobal(x, y); });
  }

  // Puts a left button press or release at a client point into SDL's event
  // queue.
  bool Press(HWND h, int x, int y, bool down) {
    const Uint32 id = WindowId(h);
    if (id == 0) return false;
    SDL_Event b{};
    b.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    b.button.windowID = id;
    b.button.button = SDL_BUTTON_LEFT;
    b.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    b.button.x = x;
    b.button.y = y;
    return SDL_PushEvent(&b) == 1;
  }

  // Puts a left click at a client point into SDL's event queue, as the
  // desktop would.
  bool Click(HWND h, int x, int y) {
    const Uint32 id = WindowId(h);
    if (id == 0) return false;
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = id;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
    for (Uint32 type : {static_cast<Uint32>(SDL_MOUSEBUTTONDOWN), static_cast<Uint32>(SDL_MOUSEBUTTONUP)}) {
      SDL_Event b{};
      b.type = type;
      b.button.windowID = id;
      b.button.button = SDL_BUTTON_LEFT;
      b.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      b.button.x = x;
      b.button.y = y;
      SDL_PushEvent(&b);
    }
    return true;
  }

 private:
  Uint32 WindowId(HWND h) {
    Uint32 id = 0;
    Call([&] {
      auto it = windows_.find(h);
      if (it != windows_.end()) id = SDL_GetWindowID(it->second.window);
    });
    return id;
  }

  // False when the SDL thread has stopped. The wake-up goes out under the
  // lock, so none reaches SDL after Stop has let it quit.
  bool Post(std::function<void()> fn) {
    std::lock_guard lock(m_);
    if (stopped_) return false;
    commands_.push_back(std::move(fn));
    Wake();
    return true;
  }
  void Wake() {
    SDL_Event wake{};
    wake.type = wake_event_;
    if (wake_event_ != 0) SDL_PushEvent(&wake);
  }

  // The window's record when it has an SDL window.
  SdlWindow* Existing(HWND h) {
    auto it = windows_.find(h);
    return it != windows_.end() && it->second.window ? &it->second : nullptr;
  }

  SdlWindow& Ensure(HWND h, const RECT& r) {
    SdlWindow& w = windows_[h];
    w.rect = r;
    if (w.window) return w;
    w.window = SDL_CreateWindow(w.title.c_str(), r.left, r.top, std::max<int>(r.right - r.left, 1),
                                std::max<int>(r.bottom - r.top, 1), SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    ApplyIcon(w);
    return w;
  }

  static void ApplyIcon(SdlWindow& w) {
    if (!w.window || !w.icon) return;
    SDL_Surface* s = SurfaceOver(*w.icon);
    if (!s) return;
    SDL_SetWindowIcon(w.window, s);
    SDL_FreeSurface(s);
  }

  // Copies the last frame into the window's surface and has the desktop show
  // it. The window surface is plain memory shown with the X server's own
  // means: no OpenGL driver (and none of its threads) is involved.
  void ShowFrame(SdlWindow& w) {
    if (!w.window || !w.frame) return;
    SDL_Surface* surface = SDL_GetWindowSurface(w.window);
    if (!surface) return;
    SDL_Surface* src = SurfaceOver(*w.frame);
    if (!src) return;
    SDL_BlitSurface(src, nullptr, surface, nullptr);
    SDL_FreeSurface(src);
    SDL_UpdateWindowSurface(w.window);
    w.presented = true;
  }

  // Without a compositor the desktop keeps no copy of a window: a part that
  // was covered (by a window moved or closed over it), or the whole window
  // after a resize or a restore, shows whatever was there until the window
  // draws it again. The frame is shown once after all pending events.
  void MarkExposed(const SDL_WindowEvent& e) {
    if (e.event != SDL_WINDOWEVENT_EXPOSED && e.event != SDL_WINDOWEVENT_SIZE_CHANGED &&
        e.event != SDL_WINDOWEVENT_RESTORED && e.event != SDL_WINDOWEVENT_SHOWN)
      return;
    if (HWND h = Owner(e.windowID)) windows_[h].exposed = true;
  }
  void ShowExposed() {
    for (auto& [h, w] : windows_)
      if (std::exchange(w.exposed, false)) ShowFrame(w);
  }

  HWND Owner(Uint32 window_id) {
    SDL_Window* sw = SDL_GetWindowFromID(window_id);
    if (!sw) return nullptr;
    for (auto& [h, w] : windows_)
      if (w.window == sw) return h;
    return nullptr;
  }

  // Screen coordinates as the framework sees them: the window's place plus
  // the point within it (global mouse positions are not known on Wayland).
  bool ToScreen(Uint32 window_id, int x, int y, POINT& out) {
    HWND h = Owner(window_id);
    if (!h) return false;
    const RECT& r = windows_[h].rect;
    out = {r.left + x, r.top + y};
    return true;
  }

  void Handle(const SDL_Event& e) {
    POINT p;
    switch (e.type) {
      case SDL_MOUSEMOTION:
        if (ToScreen(e.motion.windowID, e.motion.x, e.motion.y, p)) {
          pointer_ = p;
          input::MouseMove(p.x, p.y);
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if ((e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT) &&
            ToScreen(e.button.windowID, e.button.x, e.button.y, p))
          input::MouseButton(e.button.button == SDL_BUTTON_LEFT ? input::kLeft : input::kRight,
                             e.type == SDL_MOUSEBUTTONDOWN, p.x, p.y);
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const UINT vk = VirtualKey(e.key.keysym.sym);
        const SDL_Keycode k = e.key.keysym.sym;
        const char ch = (e.type == SDL_KEYDOWN && k >= 0x20 && k < 0x7F) ? static_cast<char>(k)
                        : (k == SDLK_BACKSPACE ? '\b' : '\0');
        if (vk) input::Key(vk, e.type == SDL_KEYDOWN, ch);
        break;
      }
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
          if (HWND h = Owner(e.window.windowID)) input::CloseRequest(h);
        MarkExposed(e.window);
        break;
      case SDL_QUIT: CloseAll(); break;
      default: break;
    }
  }

  // SDL turns SIGINT and SIGTERM into a quit event: the program is asked to
  // end as when the user closes its windows, newest (a modal dialog) first.
  void CloseAll() {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
      if (SDL_GetWindowFlags(it->second.window) & SDL_WINDOW_SHOWN) input::CloseRequest(it->first);
  }

  // SDL reports pointer positions relative to the window and drops a report
  // that equals the last one; a window dragged along under a slow pointer
  // keeps that relative position, so every step after the first would be
  // lost. During a drag the pointer's screen position is read instead, where
  // the system can tell it (X11; on Wayland windows are not moved anyway).
  void FollowPointer() {
    if (!globalPointer_ || !input::CaptionDragActive()) return;
    POINT p{};
    SDL_GetGlobalMouseState(&p.x, &p.y);
    if (p.x == pointer_.x && p.y == pointer_.y) return;
    pointer_ = p;
    input::MouseMove(p.x, p.y);
  }

  void Loop() {
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      sys::DebugOutput(std::string("gui: SDL cannot start: ") + SDL_GetError() + "\n");
      std::lock_guard lock(m_);
      state_ = 2;
      ready_cv_.notify_all();
      return;
    }
    wake_event_ = SDL_RegisterEvents(1);
    globalPointer_ = std::string_view(SDL_GetCurrentVideoDriver()) == "x11";
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) screen_ = {mode.w, mode.h};
    {
      std::lock_guard lock(m_);
      state_ = 1;
      ready_cv_.notify_all();
    }
    while (running_) {
      SDL_Event e;
      const bool dragging = globalPointer_ && input::CaptionDragActive();
      if (SDL_WaitEventTimeout(&e, static_cast<int>(dragging ? kDragFollowMs : kIdleWaitMs))) {
        do {
          if (e.type != wake_event_) Handle(e);
        } while (SDL_PollEvent(&e));
        ShowExposed();
      }
      FollowPointer();
      std::deque<std::function<void()>> run;
      {
        std::lock_guard lock(m_);
        run.swap(commands_);
      }
      for (auto& fn : run) fn();
    }
    for (auto& [h, w] : windows_)
      if (w.window) SDL_DestroyWindow(w.window);
    SDL_Quit();
  }

  std::mutex m_;
  std::condition_variable ready_cv_;
  int state_ = 0;  // 0 starting, 1 running, 2 failed
  std::deque<std::function<void()>> commands_;
  std::map<HWND, SdlWindow> windows_;  // SDL thread only
  std::atomic<bool> running_{true};
  bool stopped_ = false;  // under m_: Stop has been called
  static inline SdlDisplay* chosen_ = nullptr;
  std::atomic<int> presents_{0};
  Uint32 wake_event_ = 0;
  bool globalPointer_ = false;  // SDL can tell the pointer's screen position
  POINT pointer_{};             // last position given to the framework
  SIZE screen_{1920, 1080};
  std::thread thread_;
};

}  // namespace

namespace native {

std::unique_ptr<Display> MakeNativeDisplay() {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) return nullptr;
  auto d = std::make_unique<SdlDisplay>();
  if (!d->Ok()) return nullptr;
  SdlDisplay::StopChosenAtExit(d.get());
  return d;
}

}  // namespace native

namespace sdl {

bool Screenshot(HWND top_level, Bitmap& out) {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return d && d->Screenshot(top_level, out);
}

bool Click(HWND top_level, int x, int y) {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return d && d->Click(top_level, x, y);
}

bool Press(HWND top_level, int x, int y, bool down) {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return d && d->Press(top_level, x, y, down);
}

bool MovePointer(int x, int y) {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  if (d) d->MovePointer(x, y);
  return d != nullptr;
}

int PresentCount() {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return d ? d->Presents() : 0;
}

unsigned long X11Window(HWND top_level) {
  auto* d = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return d ? d->X11Window(top_level) : 0;
}

}  // namespace sdl
}  // namespace vexaro::gui
