// Drawing on 32-bit bitmaps: copies, equal-size stretch, colour-keyed copy,
// regions, text with its flags, and decoding of embedded bitmaps and icons.
#include <gtest/gtest.h>

#include <climits>

#include "platform/sys/codepage.h"
#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

// A memory context with a fresh bitmap selected, filled with one colour.
struct Canvas {
  Canvas(int w, int h, COLORREF fill) : bmp(CreateBitmap32(w, h)) {
    dc.CreateCompatibleDC(nullptr);
    old = dc.SelectObject(bmp);
    RECT r{0, 0, w, h};
    dc.FillSolidRect(&r, fill);
  }
  ~Canvas() {
    dc.SelectObject(old);
    DeleteObject(bmp);
  }
  HBITMAP bmp;
  CDC dc;
  HGDIOBJ old;
};

TEST(Blit, CopyMovesExactPixelsAndClipsAtTheEdges) {
  Canvas src(4, 4, RGB(1, 2, 3)), dst(6, 6, RGB(9, 9, 9));
  src.dc.SetPixel(1, 2, RGB(250, 100, 50));
  ASSERT_TRUE(dst.dc.BitBlt(2, 2, 4, 4, &src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.dc.GetPixel(3, 4), RGB(250, 100, 50));
  EXPECT_EQ(dst.dc.GetPixel(2, 2), RGB(1, 2, 3));
  EXPECT_EQ(dst.dc.GetPixel(1, 1), RGB(9, 9, 9));
  // Partly outside the destination and the source: no fault, the rest copied.
  EXPECT_TRUE(dst.dc.BitBlt(-2, -2, 8, 8, &src.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(dst.dc.GetPixel(3, 4), RGB(250, 100, 50));  // source ran out there: unchanged
}

TEST(Blit, EqualSizeHalftoneStretchIsAnExactCopy) {
  Canvas src(5, 3, RGB(0, 0, 0)), dst(5, 3, RGB(255, 255, 255));
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 3; ++y) src.dc.SetPixel(x, y, RGB(x * 50, y * 100, x + y));
  dst.dc.SetStretchBltMode(HALFTONE);
  ASSERT_TRUE(dst.dc.StretchBlt(0, 0, 5, 3, &src.dc, 0, 0, 5, 3, SRCCOPY));
  for (int x = 0; x < 5; ++x)
    for (int y = 0; y < 3; ++y) EXPECT_EQ(dst.dc.GetPixel(x, y), RGB(x * 50, y * 100, x + y));
}

TEST(Blit, StretchCutsAStripOutOfAStackedImage) {
  // Four 2x2 state images stacked vertically; take the third.
  Canvas strip(2, 8, RGB(0, 0, 0)), img(2, 2, RGB(7, 7, 7));
  RECT third{0, 4, 2, 6};
  strip.dc.FillSolidRect(&third, RGB(0, 128, 255));
  ASSERT_TRUE(img.dc.StretchBlt(0, 0, 2, 2, &strip.dc, 0, 4, 2, 2, SRCCOPY));
  EXPECT_EQ(img.dc.GetPixel(0, 0), RGB(0, 128, 255));
  EXPECT_EQ(img.dc.GetPixel(1, 1), RGB(0, 128, 255));
}

TEST(Blit, TransparentCopySkipsTheKeyColourOnly) {
  Canvas src(3, 1, RGB(255, 255, 255)), dst(3, 1, RGB(10, 20, 30));
  src.dc.SetPixel(1, 0, RGB(254, 255, 255));  // near white is not the key
  src.dc.SetPixel(2, 0, RGB(0, 0, 0));
  ASSERT_TRUE(dst.dc.TransparentBlt(0, 0, 3, 1, &src.dc, 0, 0, 3, 1, RGB(255, 255, 255)));
  EXPECT_EQ(dst.dc.GetPixel(0, 0), RGB(10, 20, 30));
  EXPECT_EQ(dst.dc.GetPixel(1, 0), RGB(254, 255, 255));
  EXPECT_EQ(dst.dc.GetPixel(2, 0), RGB(0, 0, 0));
}

TEST(Blit, UnsupportedRasterOperationIsRefused) {
  Canvas src(2, 2, 0), dst(2, 2, 0);
  EXPECT_FALSE(dst.dc.BitBlt(0, 0, 2, 2, &src.dc, 0, 0, 0x00660046));
}

TEST(Regions, CombinationsCoverTheRightPixels) {
  HRGN a = CreateRectRgn(0, 0, 10, 10), b = CreateRectRgn(5, 5, 15, 15), out = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(out, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(out, 12, 12));
  EXPECT_TRUE(PtInRegion(out, 2, 2));
  EXPECT_FALSE(PtInRegion(out, 12, 2));
  long area = 0;
  for (const RECT& r : out->rects) area += (r.right - r.left) * (r.bottom - r.top);
  EXPECT_EQ(area, 175);  // no pixel counted twice
  CombineRgn(out, a, b, RGN_AND);
  RECT box;
  GetRgnBox(out, &box);
  const RECT want{5, 5, 10, 10};
  EXPECT_TRUE(EqualRect(&box, &want));
  CombineRgn(out, a, b, RGN_DIFF);
  EXPECT_FALSE(PtInRegion(out, 7, 7));
  EXPECT_TRUE(PtInRegion(out, 2, 7));
  for (HRGN r : {a, b, out}) DeleteObject(r);
}

TEST(Regions, RowRunsFromAMaskBuildOneRegion) {
  // 2500 one-pixel runs, as a shape built from a mask bitmap.
  std::vector<unsigned char> buf(sizeof(RGNDATAHEADER) + 2500 * sizeof(RECT));
  auto* hdr = reinterpret_cast<RGNDATAHEADER*>(buf.data());
  *hdr = RGNDATAHEADER{};
  auto* rects = reinterpret_cast<RECT*>(buf.data() + sizeof(RGNDATAHEADER));
  for (int i = 0; i < 2500; ++i) rects[i] = RECT{i % 50 * 2, i / 50, i % 50 * 2 + 1, i / 50 + 1};
  hdr->nCount = 2500;
  HRGN r = ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), hdr);
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(PtInRegion(r, 98, 49));
  EXPECT_FALSE(PtInRegion(r, 99, 49));
  // A count larger than the buffer is refused rather than read past its end.
  hdr->nCount = 2501;
  EXPECT_EQ(ExtCreateRegion(nullptr, static_cast<DWORD>(buf.size()), hdr), nullptr);
  DeleteObject(r);
}

class Text : public ::testing::Test {
 protected:
  void SetUp() override {
    font.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "");
    if (!static_cast<HFONT>(font)->face) GTEST_SKIP() << "no system fonts in this build";
    old = c.dc.SelectObject(&font);
    c.dc.SetTextColor(RGB(255, 255, 255));
    c.dc.SetBkMode(TRANSPARENT);
  }
  void TearDown() override {
    if (old) c.dc.SelectObject(old);
  }
  // Columns and rows that hold text-coloured ink.
  RECT Ink() const {
    RECT ink{1000, 1000, -1, -1};
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x)
        if (GetRValue(c.dc.GetPixel(x, y)) > 128) {
          ink.left = std::min<LONG>(ink.left, x);
          ink.right = std::max<LONG>(ink.right, x + 1);
          ink.top = std::min<LONG>(ink.top, y);
          ink.bottom = std::max<LONG>(ink.bottom, y + 1);
        }
    return ink;
  }
  CFont font;
  Canvas c{200, 40, RGB(0, 0, 0)};
  HGDIOBJ old = nullptr;
};

TEST_F(Text, LeftCentreAndRightAlignmentPlaceTheInk) {
  RECT r{0, 0, 200, 40};
  c.dc.DrawText("V1.05", &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  const RECT left = Ink();
  EXPECT_LE(left.left, 2);
  EXPECT_GT(left.top, 8);  // vertically centred in 40 rows
  EXPECT_LT(left.bottom, 32);
  RECT black{0, 0, 200, 40};
  c.dc.FillSolidRect(&black, 0);
  c.dc.DrawText("V1.05", &r, DT_RIGHT | DT_SINGLELINE);
  const RECT right = Ink();
  EXPECT_GE(right.right, 196);
  EXPECT_EQ(right.right - right.left, left.right - left.left);
  c.dc.FillSolidRect(&black, 0);
  c.dc.DrawText("V1.05", &r, DT_CENTER | DT_SINGLELINE);
  const RECT centre = Ink();
  EXPECT_NEAR((centre.left + centre.right) / 2, 100, 2);
}

TEST_F(Text, EndEllipsisKeepsTheTextInsideItsRectangle) {
  RECT r{10, 0, 60, 20};
  const std::string text = "Firmware Update Layout Error!";
  c.dc.DrawText(text, &r, DT_SINGLELINE | DT_END_ELLIPSIS);
  const RECT ink = Ink();
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.right, 60);
  RECT measure{0, 0, 1000, 0};
  c.dc.DrawText(text, &measure, DT_SINGLELINE | DT_CALCRECT);
  EXPECT_GT(measure.right, 60);  // it would not have fitted
}

TEST_F(Text, WordBreakWrapsAndClipsToTheRectangle) {
  RECT r{0, 0, 70, 40};
  RECT calc = r;
  c.dc.DrawText("Please don't shut down PC", &calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GT(calc.bottom - calc.top, 20);  // several lines
  EXPECT_LE(calc.right, 70);
  c.dc.DrawText("Please don't shut down PC", &r, DT_WORDBREAK);
  EXPECT_LE(Ink().right, 70);
}

TEST_F(Text, OpaqueModeFillsTheBackgroundAndFontsAreStable) {
  c.dc.SetBkMode(OPAQUE);
  c.dc.SetBkColor(RGB(0, 200, 0));
  c.dc.TextOut(0, 0, "A");
  EXPECT_EQ(c.dc.GetPixel(0, 1), RGB(0, 200, 0));
  // The same description gives the same glyphs (pixel checks depend on it).
  CFont again;
  again.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "");
  EXPECT_EQ(static_cast<HFONT>(again)->face, static_cast<HFONT>(font)->face);
}

#if !defined(_WIN32)
// Heights reach the font from settings files as any 32-bit value. On Linux
// the rendered size is held at a bound: a glyph of 20,000 pixels would take
// hundreds of megabytes, and the most negative height must be as safe as any.
TEST_F(Text, AbsurdHeightsAreHeldAtABoundedSize) {
  for (int height : {INT_MIN, -20000, 20000, INT_MAX}) {
    CFont big;
    ASSERT_TRUE(big.CreateFont(height, 0, 0, 0, FW_MEDIUM, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, ""));
    c.dc.SelectObject(&big);
    TEXTMETRIC tm;
    ASSERT_TRUE(GetTextMetrics(c.dc, &tm));
    ASSERT_LT(tm.tmHeight, 2048) << height;  // before anything is rendered
    EXPECT_GT(tm.tmHeight, 500) << height;
    RECT r{0, 0, 200, 40};
    c.dc.DrawText("W", &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    c.dc.SelectObject(&font);
  }
}
#endif

// Strings are in the system code page: the same text in two code pages draws
// the same characters, and an ellipsis never cuts a character in half.
class TextInCodePage : public Text {
 protected:
  void TearDown() override {
    sys::OverrideSystemCodePage(0);
    Text::TearDown();
  }
  std::vector<COLORREF> Draw(unsigned codePage, const std::string& text, UINT fmt) {
    sys::OverrideSystemCodePage(codePage);
    RECT all{0, 0, 200, 40};
    c.dc.FillSolidRect(&all, 0);
    RECT r{0, 0, 60, 40};
    c.dc.DrawText(text, &r, fmt);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x) pixels.push_back(c.dc.GetPixel(x, y));
    return pixels;
  }
};

TEST_F(TextInCodePage, UtfEightAndLatinOneTextDrawTheSameCharacters) {
  if (!sys::IsCodePageAvailable(1252)) GTEST_SKIP() << "code page 1252 not available";
  const UINT fmt = DT_SINGLELINE | DT_NOPREFIX;
  EXPECT_EQ(Draw(sys::kCodePageUtf8, "Caf\xC3\xA9", fmt), Draw(1252, "Caf\xE9", fmt));
  SIZE utf8{}, latin{};
  sys::OverrideSystemCodePage(sys::kCodePageUtf8);
  GetTextExtentPoint32(c.dc.m_hDC, "\xC3\xA9\xC3\xA9", &utf8);
  sys::OverrideSystemCodePage(1252);
  GetTextExtentPoint32(c.dc.m_hDC, "\xE9\xE9", &latin);
  EXPECT_EQ(utf8.cx, latin.cx);
  // Cut to fit with an ellipsis: whole characters go, never single bytes.
  const std::string many(24, '\xE9');
  std::string manyUtf8;
  for (int i = 0; i < 24; ++i) manyUtf8 += "\xC3\xA9";
  const UINT cut = DT_SINGLELINE | DT_END_ELLIPSIS;
  EXPECT_EQ(Draw(sys::kCodePageUtf8, manyUtf8, cut), Draw(1252, many, cut));
}

TEST(Resources, EmbeddedBitmapsAreFoundByIdAndDecoded) {
  CBitmap bmp;
  ASSERT_TRUE(bmp.LoadBitmap(900));
  BITMAP bm;
  ASSERT_EQ(bmp.GetBitmap(&bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 4);
  EXPECT_EQ(bm.bmHeight, 3);
  // The pattern file has pixel (x, y) = (60x, 80y, 40xy + 10).
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  HGDIOBJ old = dc.SelectObject(&bmp);
  EXPECT_EQ(dc.GetPixel(3, 2), RGB(180, 160, 250));
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(0, 0, 10));
  dc.SelectObject(old);
  CBitmap keyed;
  ASSERT_TRUE(keyed.LoadBitmap(901));  // 32-bit file: magenta border, blue centre
  old = dc.SelectObject(&keyed);
  EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 0, 255));
  EXPECT_EQ(dc.GetPixel(3, 3), RGB(0, 0, 255));
  dc.SelectObject(old);
  EXPECT_FALSE(CBitmap().LoadBitmap(4711));
}

TEST(Resources, IconsKeepTheirTransparency) {
  HICON icon = LoadIcon(902);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->width, 16);
  Canvas c(16, 16, RGB(0, 255, 0));
  c.dc.DrawIcon(0, 0, icon);
  EXPECT_EQ(c.dc.GetPixel(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(c.dc.GetPixel(8, 8), RGB(255, 0, 0));
  DeleteObject(icon);
}

TEST(Resources, BrokenFilesAreRefusedWithAReason) {
  std::string error;
  const unsigned char not_bmp[60] = {'B', 'X'};
  EXPECT_EQ(DecodeBmp(not_bmp, sizeof not_bmp, &error), nullptr);
  EXPECT_NE(error.find("BM"), std::string::npos);
  const EmbeddedResource* r = FindResource(900, "bmp");
  ASSERT_NE(r, nullptr);
  // Cut short: the pixel rows no longer fit.
  EXPECT_EQ(DecodeBmp(r->data, r->size - 4, &error), nullptr);
  EXPECT_NE(error.find("exceed"), std::string::npos);
  // A huge claimed width is refused before any allocation.
  std::vector<unsigned char> big(r->data, r->data + r->size);
  big[18] = 0xFF;
  big[19] = 0xFF;
  big[20] = 0xFF;
  EXPECT_EQ(DecodeBmp(big.data(), big.size(), &error), nullptr);
  const unsigned char bad_ico[6] = {0, 0, 1, 0, 5, 0};
  EXPECT_EQ(DecodeIco(bad_ico, sizeof bad_ico, &error), nullptr);
}

}  // namespace
}  // namespace vexaro::gui

namespace vexaro::gui {
namespace {

// Damaged files of every kind: decoders refuse or decode, never read outside
// the data (the sanitizer builds watch every access).
TEST(Resources, MutatedFilesNeverReadOutsideTheData) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (const auto& [id, kind] : {std::pair{900, "bmp"}, {901, "bmp"}, {902, "ico"}}) {
    const EmbeddedResource* r = FindResource(id, kind);
    ASSERT_NE(r, nullptr);
    for (int round = 0; round < 1500; ++round) {
      std::vector<unsigned char> data(r->data, r->data + r->size);
      const int flips = 1 + static_cast<int>(next() % 4);
      for (int i = 0; i < flips; ++i) data[next() % data.size()] = static_cast<unsigned char>(next());
      if (round % 5 == 0) data.resize(next() % data.size());
      // Heap copy of exactly the data, so that any overread is caught.
      auto exact = std::make_unique<unsigned char[]>(data.size() + 1);
      std::copy(data.begin(), data.end(), exact.get());
      std::string error;
      HGDIOBJ obj = std::string(kind) == "ico" ? static_cast<HGDIOBJ>(DecodeIco(exact.get(), data.size(), &error))
                                               : static_cast<HGDIOBJ>(DecodeBmp(exact.get(), data.size(), &error));
      if (!obj) {
        EXPECT_FALSE(error.empty());
      }
      DeleteObject(obj);
    }
  }
}

}  // namespace
}  // namespace vexaro::gui
