// Shared by the presentation tests: the headless display, message pumping on
// the program clock, a recording host window, solid test bitmaps, and a
// temporary working directory.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/headless/headless.h"
#include "platform/sys/sys.h"
#include "tests/gui/gui_test_util.h"

namespace vexaro::ui::test {

// The headless display, Pump and PumpUntil are the framework tests' own.
using gui::test::kHeadless;
using gui::test::Pump;
using gui::test::PumpUntil;

struct Command {
  gui::WPARAM w;
  gui::LPARAM l;
  std::uint64_t at_ms;
};

// A top-level window that records commands and mouse moves and paints a
// solid colour (or a bitmap) under its children.
class Host : public gui::CWnd {
 public:
  std::vector<Command> commands;
  std::vector<gui::MSG> moves;
  int left_downs = 0;
  gui::COLORREF background = gui::RGB(10, 20, 30);
  gui::HBITMAP picture = nullptr;  // not owned

  bool Open(int x, int y, int w, int h) {
    return CreateEx(0, "STATIC", "", gui::WS_POPUP | gui::WS_VISIBLE | gui::SS_NOTIFY, x, y, w, h, nullptr, 0) !=
           gui::FALSE;
  }
  int Count(gui::WPARAM w) const {
    int n = 0;
    for (const Command& c : commands) n += c.w == w ? 1 : 0;
    return n;
  }

 protected:
  gui::LRESULT WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override {
    if (msg == gui::WM_COMMAND) commands.push_back({w, l, sys::NowMs()});
    if (msg == gui::WM_MOUSEMOVE) moves.push_back(gui::MSG{m_hWnd, msg, w, l, 0, {}});
    if (msg == gui::WM_LBUTTONDOWN) ++left_downs;
    return CWnd::WindowProc(msg, w, l);
  }
  void OnPaint() override {
    gui::CPaintDC dc(this);
    gui::CRect r;
    GetClientRect(&r);
    dc.FillSolidRect(&r, background);
    if (picture) {
      gui::HDC mem = gui::CreateCompatibleDC(dc);
      gui::HGDIOBJ old = gui::SelectObject(mem, picture);
      gui::BitBlt(dc, 0, 0, picture->width, picture->height, mem, 0, 0, gui::SRCCOPY);
      gui::SelectObject(mem, old);
      gui::DeleteDC(mem);
    }
  }
  gui::BOOL OnEraseBkgnd(gui::CDC*) override { return gui::TRUE; }
};

// A 32-bit bitmap filled with one colour (owned by the caller).
inline gui::HBITMAP SolidBitmap(int w, int h, gui::COLORREF c) {
  gui::HBITMAP bmp = gui::CreateBitmap32(w, h);
  for (auto& px : bmp->pixels) px = gui::PixelFromColor(c);
  return bmp;
}

inline void SetPixel(gui::HBITMAP bmp, int x, int y, gui::COLORREF c) {
  bmp->Row(y)[x] = gui::PixelFromColor(c);
}

inline gui::COLORREF PixelOf(gui::HBITMAP bmp, int x, int y) { return gui::ColorFromPixel(bmp->At(x, y)); }

// Changes into a fresh temporary directory for the object's life.
class TempWorkDir {
 public:
  TempWorkDir() {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("vexaro-ui-" + std::to_string(std::random_device{}()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  ~TempWorkDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  TempWorkDir(const TempWorkDir&) = delete;
  TempWorkDir& operator=(const TempWorkDir&) = delete;
  const std::filesystem::path& Path() const { return dir_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path old_;
  std::filesystem::path dir_;
};

}  // namespace vexaro::ui::test
