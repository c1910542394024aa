// The skin's own way of using the framework, on the real skin files: state
// images cut from a strip with a halftone stretch into 32-bit DIB sections, a
// window shape built from a mask's DIB rows through a rectangle buffer, an
// owner-drawn button with capture-based hover, and the background copied in
// by the main window.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

HBITMAP CutImage(HBITMAP strip, int top, int w, int h) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up
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

// White pixels are outside; rows are read from the bottom-up DIB memory.
HRGN RegionFromMask(HBITMAP mask) {
  BITMAP bm;
  GetObject(mask, sizeof bm, &bm);
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = bm.bmHeight;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  HGDIOBJ old_a = SelectObject(a, dib), old_b = SelectObject(b, mask);
  BitBlt(a, 0, 0, bm.bmWidth, bm.bmHeight, b, 0, 0, SRCCOPY);
  BITMAP dbm;
  GetObject(dib, sizeof dbm, &dbm);
  std::vector<RECT> runs;
  for (int y = 0; y < bm.bmHeight; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(dbm.bmBits) +
                                                             static_cast<std::size_t>(bm.bmHeight - 1 - y) * dbm.bmWidthBytes);
    for (int x = 0; x < bm.bmWidth;) {
      const int x0 = x;
      while (x < bm.bmWidth && (row[x] & 0xFFFFFF) != 0xFFFFFF) ++x;
      if (x > x0) runs.push_back(RECT{x0, y, x, y + 1});
      ++x;
    }
  }
  std::vector<unsigned char> buf(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER hdr;
  hdr.nCount = static_cast<DWORD>(runs.size());
  std::memcpy(buf.data(), &hdr, sizeof hdr);
  if (!runs.empty()) std::memcpy(buf.data() + sizeof hdr, runs.data(), runs.size() * sizeof(RECT));
  HRGN rgn = ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), reinterpret_cast<RGNDATAHEADER*>(buf.data()));
  SelectObject(a, old_a);
  SelectObject(b, old_b);
  DeleteDC(a);
  DeleteDC(b);
  DeleteObject(dib);
  return rgn;
}

class SkinButton : public CButton {
 public:
  HBITMAP images[2] = {nullptr, nullptr};  // normal, hover
  bool hovering = false;
  ~SkinButton() override {
    for (HBITMAP b : images) DeleteObject(b);
  }

 protected:
  void DrawItem(DRAWITEMSTRUCT* dis) override {
    CDC mem;
    mem.CreateCompatibleDC(nullptr);
    HGDIOBJ old = mem.SelectObject(images[hovering ? 1 : 0]);
    BitBlt(dis->hDC, 0, 0, dis->rcItem.right, dis->rcItem.bottom, mem, 0, 0, SRCCOPY);
    mem.SelectObject(old);
  }
  BOOL OnEraseBkgnd(CDC*) override { return FALSE; }
  void OnMouseMove(UINT flags, CPoint p) override {
    Default();
    if (GetCapture() != this && GetActiveWindow()) {
      hovering = true;
      SetCapture();
      Invalidate(FALSE);
      return;
    }
    POINT screen = p;
    ClientToScreen(&screen);
    if (WindowFromPoint(screen) != this) {
      hovering = false;
      Invalidate(FALSE);
      if (!(flags & MK_LBUTTON)) ReleaseCapture();
    }
  }
};

class MainSkin : public CWnd {
 public:
  CBitmap background;
  std::vector<HWND> commands;

 protected:
  void OnPaint() override {
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
  BOOL OnCommand(WPARAM, LPARAM l) override {
    commands.push_back(reinterpret_cast<HWND>(l));
    return TRUE;
  }
};

TEST(SkinFlow, ShapedStateImageButtonOnTheBackground) {
  for (int id : {131, 133, 135})
    if (!FindResource(id, "bmp")) GTEST_SKIP() << "skin bitmap " << id << " not there yet";
  MainSkin main;
  ASSERT_TRUE(main.background.LoadBitmap(131));
  BITMAP bg;
  main.background.GetBitmap(&bg);
  ASSERT_TRUE(main.CreateEx(0, AfxRegisterWndClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, bg.bmWidth, bg.bmHeight, nullptr, 0));
  SkinButton button;
  ASSERT_TRUE(button.Create("", 0x5000000B, CRect(404, 161, 466, 224), &main, 0));
  CBitmap strip, mask;
  ASSERT_TRUE(strip.LoadBitmap(133));
  ASSERT_TRUE(mask.LoadBitmap(135));
  button.images[0] = CutImage(strip, 0, 63, 63);
  button.images[1] = CutImage(strip, 63, 63, 63);
  HRGN shape = RegionFromMask(mask);
  ASSERT_NE(shape, nullptr);
  button.SetWindowRgn(shape, TRUE);
  test::Pump();

  // The background shows where the button is not.
  CDC check;
  check.CreateCompatibleDC(nullptr);
  HGDIOBJ old = check.SelectObject(&main.background);
  EXPECT_EQ(headless::PixelAt(main, 10, 10), check.GetPixel(10, 10));
  // Find a point of the mask that is outside (white) and one inside.
  CDC m;
  m.CreateCompatibleDC(nullptr);
  HGDIOBJ old_mask = m.SelectObject(&mask);
  POINT outside{-1, -1}, inside{-1, -1};
  for (int y = 0; y < 62 && (outside.x < 0 || inside.x < 0); ++y)
    for (int x = 0; x < 62; ++x) {
      if (m.GetPixel(x, y) == RGB(255, 255, 255)) {
        if (outside.x < 0) outside = {x, y};
      } else if (inside.x < 0 && x > 20 && y > 20) {
        inside = {x, y};
      }
    }
  m.SelectObject(old_mask);
  ASSERT_GE(inside.x, 0);
  if (outside.x >= 0) {
    // Outside the shape the background stays and clicks reach the main window.
    EXPECT_EQ(headless::PixelAt(main, 404 + outside.x, 161 + outside.y), check.GetPixel(404 + outside.x, 161 + outside.y));
    POINT s{404 + outside.x, 161 + outside.y};
    EXPECT_EQ(WindowFromPoint(s), main.m_hWnd);
  }
  check.SelectObject(old);
  // Normal image inside the shape, hover image after the mouse came in.
  CDC strip_dc;
  strip_dc.CreateCompatibleDC(nullptr);
  HGDIOBJ old_strip = strip_dc.SelectObject(&strip);
  EXPECT_EQ(headless::PixelAt(main, 404 + inside.x, 161 + inside.y), strip_dc.GetPixel(inside.x, inside.y));
  headless::MoveMouse(button, inside.x, inside.y);
  test::Pump();
  EXPECT_TRUE(button.hovering);
  EXPECT_EQ(GetCapture(), button.m_hWnd);
  EXPECT_EQ(headless::PixelAt(main, 404 + inside.x, 161 + inside.y), strip_dc.GetPixel(inside.x, 63 + inside.y));
  headless::Click(button, inside.x, inside.y);
  test::Pump();
  ASSERT_EQ(main.commands.size(), 1u);
  EXPECT_EQ(main.commands[0], button.m_hWnd);
  // The click released the capture; the next move over the button takes it
  // again, and leaving then ends the hover.
  headless::MoveMouse(button, inside.x + 1, inside.y);
  test::Pump();
  EXPECT_EQ(GetCapture(), button.m_hWnd);
  headless::MoveMouse(main, 5, 5);
  headless::MoveMouse(main, 6, 6);
  test::Pump();
  EXPECT_FALSE(button.hovering);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(headless::PixelAt(main, 404 + inside.x, 161 + inside.y), strip_dc.GetPixel(inside.x, inside.y));
  strip_dc.SelectObject(old_strip);
  main.DestroyWindow();
}

}  // namespace
}  // namespace vexaro::gui
