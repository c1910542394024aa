// Pixels are read from a bottom-up 32-bit DIB copy of the mask in memory, never
// through per-pixel calls. Runs are collected in an RGNDATA-shaped buffer and
// turned into a partial region every 2,000 rectangles, which keeps each region
// creation small; the partial regions are merged into the result.
#include "ui/window_shape.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/gui/window.h"

namespace vexaro::ui {
namespace {

using namespace gui;

constexpr std::size_t kHeaderBytes = sizeof(RGNDATAHEADER);
constexpr std::size_t kRectBytes = sizeof(RECT);
static_assert(kHeaderBytes == 32 && kRectBytes == 16);

// A region description (header and rectangles) in one growable block.
class RectBuffer {
 public:
  RectBuffer() {
    Grow();
    RGNDATAHEADER& h = Header();
    h.dwSize = static_cast<DWORD>(kHeaderBytes);
    h.iType = RDH_RECTANGLES;
    h.nRgnSize = 0;
    ResetBatch();
  }

  RGNDATAHEADER& Header() { return *std::launder(reinterpret_cast<RGNDATAHEADER*>(bytes_.get())); }
  DWORD Room() const { return room_; }

  void ResetBatch() {
    RGNDATAHEADER& h = Header();
    h.nCount = 0;
    h.rcBound = {INT_MAX, INT_MAX, 0, 0};
  }

  void Append(const RECT& r) {
    if (Header().nCount >= room_) Grow();
    RGNDATAHEADER& h = Header();
    std::memcpy(bytes_.get() + kHeaderBytes + kRectBytes * h.nCount, &r, kRectBytes);
    h.rcBound.left = std::min(h.rcBound.left, r.left);
    h.rcBound.top = std::min(h.rcBound.top, r.top);
    h.rcBound.right = std::max(h.rcBound.right, r.right);
    h.rcBound.bottom = std::max(h.rcBound.bottom, r.bottom);
    ++h.nCount;
  }

  // The byte size handed to region creation: the whole block. Only nCount
  // rectangles are valid, and the block really holds room rectangles, so the
  // size never lets the reader past the buffer.
  DWORD Size() const { return static_cast<DWORD>(kHeaderBytes + kRectBytes * room_); }

 private:
  void Grow() {
    const DWORD room = room_ + kRegionBufferStep;
    auto bigger = std::make_unique<unsigned char[]>(kHeaderBytes + kRectBytes * room);
    if (bytes_) {
      std::memcpy(bigger.get(), bytes_.get(), Size());
    } else {
      ::new (bigger.get()) RGNDATAHEADER{};
    }
    bytes_ = std::move(bigger);
    room_ = room;
  }

  std::unique_ptr<unsigned char[]> bytes_;
  DWORD room_ = 0;
};

// Turns the buffer into a region and merges it into *result (or makes it the
// result); false when a region cannot be made or merged.
bool FlushBatch(RectBuffer& buffer, HRGN* result) {
  HRGN part = ExtCreateRegion(nullptr, buffer.Size(), &buffer.Header());
  buffer.ResetBatch();
  if (!part) return false;
  if (!*result) {
    *result = part;
    return true;
  }
  const bool merged = CombineRgn(*result, *result, part, RGN_OR) != ERROR;
  DeleteObject(part);
  return merged;
}

// The key range per byte as low and width: a byte b lies in it when the
// unsigned b - low is at most width, one comparison per byte without branches.
struct Range {
  std::uint32_t low[3];
  std::uint32_t width[3];
  bool Holds(std::uint32_t px) const {
    const std::uint32_t b0 = (px & 0xFF) - low[0];
    const std::uint32_t b1 = ((px >> 8) & 0xFF) - low[1];
    const std::uint32_t b2 = ((px >> 16) & 0xFF) - low[2];
    return (b0 <= width[0]) & (b1 <= width[1]) & (b2 <= width[2]);
  }
};

Range KeyRange(COLORREF key, COLORREF tolerance) {
  Range r{};
  for (int i = 0; i < 3; ++i) {
    r.low[i] = (key >> (8 * i)) & 0xFF;
    r.width[i] = std::min<std::uint32_t>(255, r.low[i] + ((tolerance >> (8 * i)) & 0xFF)) - r.low[i];
  }
  return r;
}

// Marks each pixel of a row transparent (1) or opaque (0): a loop without
// branches that the compiler turns into vector code.
void MarkTransparent(const unsigned char* row, int width, const Range& range, unsigned char* marks) {
  for (int x = 0; x < width; ++x) {
    std::uint32_t px;
    std::memcpy(&px, row + 4 * static_cast<std::size_t>(x), 4);
    marks[x] = static_cast<unsigned char>(range.Holds(px));
  }
}

// The first x in [from, limit) whose mark is `mark`, or limit.
int NextMark(const unsigned char* marks, int from, int limit, int mark) {
  if (from >= limit) return limit;
  const void* hit = std::memchr(marks + from, mark, static_cast<std::size_t>(limit - from));
  return hit ? static_cast<int>(static_cast<const unsigned char*>(hit) - marks) : limit;
}

// Collects the runs of the 32-bit bottom-up pixel block into the result. Each
// row is classified first; runs are then found with memchr over the marks.
bool CollectRuns(const unsigned char* bits, int width, int height, std::size_t pitch, const Range& range,
                 HRGN* result) {
  RectBuffer buffer;
  std::vector<unsigned char> marks(static_cast<std::size_t>(width) + 1);
  marks[static_cast<std::size_t>(width)] = 1;  // a transparent sentinel ends the last run
  for (int y = 0; y < height; ++y) {
    MarkTransparent(bits + pitch * static_cast<std::size_t>(height - 1 - y), width, range, marks.data());
    const unsigned char* m = marks.data();
    int x = NextMark(m, 0, width, 0);
    while (x < width) {
      const int end = NextMark(m, x, width + 1, 1);  // the sentinel stops it at width
      buffer.Append(RECT{x, y, end, y + 1});
      if (buffer.Header().nCount == static_cast<DWORD>(kRegionBatchRects) && !FlushBatch(buffer, result))
        return false;
      x = NextMark(m, end, width, 0);
    }
  }
  return FlushBatch(buffer, result);
}

}  // namespace

HRGN BuildRegionFromBitmap(HBITMAP bitmap, COLORREF key, COLORREF tolerance) {
  if (!bitmap) return nullptr;
  HDC dib_dc = CreateCompatibleDC(nullptr);
  if (!dib_dc) return nullptr;
  HRGN result = nullptr;
  BITMAP bm;
  if (GetObject(bitmap, sizeof bm, &bm) != 0) {
    BITMAPINFO info;
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = bm.bmHeight;  // positive: bottom-up rows
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dib_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
      HGDIOBJ old_dib = SelectObject(dib_dc, dib);
      if (HDC src_dc = CreateCompatibleDC(dib_dc)) {
        HGDIOBJ old_src = SelectObject(src_dc, bitmap);
        BitBlt(dib_dc, 0, 0, bm.bmWidth, bm.bmHeight, src_dc, 0, 0, SRCCOPY);
        BITMAP dib_bm;
        GetObject(dib, sizeof dib_bm, &dib_bm);
        std::size_t pitch = static_cast<std::size_t>(dib_bm.bmWidthBytes);
        if (pitch % 4) pitch += 4 - pitch % 4;
        if (!CollectRuns(static_cast<const unsigned char*>(bits), bm.bmWidth, bm.bmHeight, pitch,
                         KeyRange(key, tolerance), &result) && result) {
          DeleteObject(result);
          result = nullptr;
        }
        SelectObject(src_dc, old_src);
        DeleteDC(src_dc);
      }
      SelectObject(dib_dc, old_dib);
    }
    if (dib) DeleteObject(dib);
  }
  DeleteDC(dib_dc);
  return result;
}

bool ApplyWindowShape(HWND window, HBITMAP mask) {
  HRGN region = BuildRegionFromBitmap(mask, 0xFFFFFF, 0);
  if (!region) {
    MessageBox(nullptr, "error");
    return false;
  }
  if (!SetWindowRgn(window, region, TRUE)) {
    MessageBox(nullptr, "error");
    DeleteObject(region);
    return false;
  }
  InvalidateRect(window, nullptr, FALSE);
  return true;
}

}  // namespace vexaro::ui
