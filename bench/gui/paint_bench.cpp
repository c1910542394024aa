// Painting a 480 x 240 skinned window on the headless display: the skin's
// background bitmap (131) painted by the top-level window, two shaped
// owner-drawn buttons with state images cut from the skin's strips, static
// texts and a progress bar. One iteration invalidates the whole window, lets
// the thread's loop paint it and hand the canvas to the display, and (in the
// capture variant) reads the finished pixels back.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gui/gui.h"
#include "platform/headless/headless.h"

namespace vexaro::gui {
namespace {

// A state image cut from a vertical strip into a bottom-up DIB section, the
// way the skin's buttons hold them.
HBITMAP CutImage(HBITMAP strip, int top, int w, int h) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  void* bits = nullptr;
  HBITMAP img = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
  HGDIOBJ old_src = SelectObject(src, strip), old_dst = SelectObject(dst, img);
  SetStretchBltMode(dst, HALFTONE);
  StretchBlt(dst, 0, 0, w, h, src, 0, top, w, h, SRCCOPY);
  SelectObject(src, old_src);
  SelectObject(dst, old_dst);
  DeleteDC(src);
  DeleteDC(dst);
  return img;
}

// The shape of a mask bitmap: every pixel that is not white, one rectangle
// per run of a row.
HRGN RegionFromMask(HBITMAP mask) {
  BITMAP bm;
  GetObject(mask, sizeof bm, &bm);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, mask);
  std::vector<RECT> runs;
  for (int y = 0; y < bm.bmHeight; ++y)
    for (int x = 0; x < bm.bmWidth;) {
      const int x0 = x;
      while (x < bm.bmWidth && GetPixel(dc, x, y) != RGB(255, 255, 255)) ++x;
      if (x > x0) runs.push_back(RECT{x0, y, x, y + 1});
      ++x;
    }
  SelectObject(dc, old);
  DeleteDC(dc);
  std::vector<unsigned char> buf(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER hdr;
  hdr.nCount = static_cast<DWORD>(runs.size());
  std::memcpy(buf.data(), &hdr, sizeof hdr);
  if (!runs.empty()) std::memcpy(buf.data() + sizeof hdr, runs.data(), runs.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), reinterpret_cast<RGNDATAHEADER*>(buf.data()));
}

class SkinButton : public CButton {
 public:
  HBITMAP image = nullptr;
  int draws = 0;
  ~SkinButton() override { DeleteObject(image); }

  // A shaped owner-drawn button showing the first state image of a strip.
  bool Make(CWnd* parent, int x, int y, int strip_id, int mask_id, int w, int h) {
    CBitmap strip, mask;
    if (!strip.LoadBitmap(strip_id) || !mask.LoadBitmap(mask_id)) return false;
    if (!Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(x, y, x + w, y + h), parent, 0)) return false;
    image = CutImage(strip, 0, w, h);
    SetWindowRgn(RegionFromMask(mask), FALSE);
    return image != nullptr;
  }

 protected:
  void DrawItem(DRAWITEMSTRUCT* dis) override {
    ++draws;
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    HGDIOBJ old = mem.SelectObject(image);
    BitBlt(dis->hDC, 0, 0, dis->rcItem.right, dis->rcItem.bottom, mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};

class SkinWindow : public CWnd {
 public:
  CBitmap background;
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CPaintDC dc(this);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    HGDIOBJ old = mem.SelectObject(&background);
    BITMAP bm;
    background.GetBitmap(&bm);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
};

// The window and its controls, made on the calling thread.
struct SkinnedScene {
  SkinWindow main;
  SkinButton close_button, update_button;
  CStatic title, status;
  CProgressCtrl progress;
  CFont font;

  bool Make() {
    if (!main.background.LoadBitmap(131)) return false;
    BITMAP bg;
    main.background.GetBitmap(&bg);
    if (bg.bmWidth != 480 || bg.bmHeight != 240) return false;
    if (!main.CreateEx(0, AfxRegisterWndClass(), "Skin", WS_POPUP | WS_VISIBLE, 100, 100, 480, 240, nullptr, 0))
      return false;
    if (!close_button.Make(&main, 447, 8, 132, 142, 25, 21)) return false;
    if (!update_button.Make(&main, 404, 161, 133, 135, 63, 63)) return false;
    font.CreateFont(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "");
    title.Create("Firmware update version: 1.05", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(24, 60, 380, 80), &main);
    status.Create("Status: Connected", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(24, 176, 380, 192), &main);
    title.SetFont(font, FALSE);
    progress.Create(WS_CHILD | WS_VISIBLE, CRect(24, 200, 380, 214), &main, 1011);
    progress.SetPos(40);
    PumpPendingMessages();
    return true;
  }
  ~SkinnedScene() { main.DestroyWindow(); }

  // The background shows at a point no control covers.
  bool BackgroundShows() {
    CDC check;
    check.CreateCompatibleDC(nullptr);
    HGDIOBJ old = check.SelectObject(&main.background);
    const COLORREF expected = check.GetPixel(10, 120);
    check.SelectObject(old);
    return headless::PixelAt(main, 10, 120) == expected;
  }
};

void Repaint(SkinnedScene& scene) {
  gui::InvalidateRect(scene.main, nullptr, TRUE);
  PumpPendingMessages();
}

void CheckEveryIterationPainted(benchmark::State& state, const SkinnedScene& scene, int before) {
  const auto n = static_cast<int>(state.iterations());
  if (scene.main.paints - before != n || scene.update_button.draws < n || scene.close_button.draws < n)
    state.SkipWithError("not every iteration painted the window and its buttons");
}

// Invalidate, paint (window, buttons, texts, progress bar) and present.
void BM_PaintSkinnedWindow(benchmark::State& state) {
  SkinnedScene scene;
  if (!scene.Make() || !scene.BackgroundShows()) return state.SkipWithError("skinned window not made");
  const int before = scene.main.paints;
  for (auto _ : state) Repaint(scene);
  CheckEveryIterationPainted(state, scene, before);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaintSkinnedWindow)->Unit(benchmark::kMicrosecond);

// The same, and the finished pixels copied out as a test or screenshot does.
void BM_PaintAndCaptureSkinnedWindow(benchmark::State& state) {
  SkinnedScene scene;
  if (!scene.Make() || !scene.BackgroundShows()) return state.SkipWithError("skinned window not made");
  const int before = scene.main.paints;
  for (auto _ : state) {
    Repaint(scene);
    auto pixels = headless::Capture(scene.main);
    benchmark::DoNotOptimize(pixels.get());
  }
  CheckEveryIterationPainted(state, scene, before);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PaintAndCaptureSkinnedWindow)->Unit(benchmark::kMicrosecond);

// One step of the progress bar, as the update worker makes it: the position
// changes, the bar invalidates itself and the loop repaints what changed
// (the parent's background under the bar and the bar) and presents.
void BM_ProgressStep(benchmark::State& state) {
  SkinnedScene scene;
  if (!scene.Make() || !scene.BackgroundShows()) return state.SkipWithError("skinned window not made");
  int pos = 0;
  for (auto _ : state) {
    pos = (pos + 1) % 101;
    scene.progress.SetPos(pos);
    PumpPendingMessages();
  }
  if (scene.progress.GetPos() != pos) state.SkipWithError("the bar did not take its position");
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProgressStep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vexaro::gui
