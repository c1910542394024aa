// Regions as lists of non-overlapping rectangles, and the rectangle helpers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "platform/gui/internal/dc_internal.h"

namespace vexaro::gui {
namespace {

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// The parts of a outside b: at most four rectangles.
void SubtractOne(const RECT& a, const RECT& b, std::vector<RECT>& out) {
  if (!Overlap(a, b)) {
    out.push_back(a);
    return;
  }
  if (a.top < b.top) out.push_back({a.left, a.top, a.right, b.top});
  if (b.bottom < a.bottom) out.push_back({a.left, b.bottom, a.right, a.bottom});
  const LONG top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
  if (a.left < b.left) out.push_back({a.left, top, b.left, bottom});
  if (b.right < a.right) out.push_back({b.right, top, a.right, bottom});
}

RECT BoundsOf(const std::vector<RECT>& rs) {
  if (rs.empty()) return {};
  RECT b{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
  for (const RECT& r : rs) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

// Finds the rectangles of a growing list that share rows with a given one,
// by bands of 16 rows, so that a union of many thin rectangles (a window shape
// is one rectangle per run of pixels) costs about linear time, not quadratic.
class BandIndex {
 public:
  void Add(const RECT& r, std::size_t index) {
    const std::int64_t first = Band(r.top), last = Band(r.bottom - 1);
    if (last - first >= kMaxBandsPerRect) {
      tall_.push_back(index);
      return;
    }
    for (std::int64_t b = first; b <= last; ++b) bands_[b].push_back(index);
  }

  // Calls visit once for every rectangle that may share a row with r.
  template <typename Visit>
  void ForEachNear(const RECT& r, Visit&& visit) {
    ++stamp_;
    auto once = [&](std::size_t i) {
      if (seen_.size() <= i) seen_.resize(i + 1, 0);
      if (seen_[i] == stamp_) return;
      seen_[i] = stamp_;
      visit(i);
    };
    for (std::size_t i : tall_) once(i);
    const std::int64_t first = Band(r.top), last = Band(r.bottom - 1);
    if (last - first >= kMaxBandsPerRect) {
      for (const auto& [band, members] : bands_) {
        if (band < first || band > last) continue;
        for (std::size_t i : members) once(i);
      }
      return;
    }
    for (std::int64_t b = first; b <= last; ++b) {
      auto it = bands_.find(b);
      if (it == bands_.end()) continue;
      for (std::size_t i : it->second) once(i);
    }
  }

 private:
  static constexpr std::int64_t kMaxBandsPerRect = 64;
  static std::int64_t Band(LONG y) { return static_cast<std::int64_t>(y) >> 4; }
  std::unordered_map<std::int64_t, std::vector<std::size_t>> bands_;
  std::vector<std::size_t> tall_;
  std::vector<std::uint32_t> seen_;
  std::uint32_t stamp_ = 0;
};

// A banded list: rectangles in bands of equal top and bottom, bands one below
// the other without sharing a row, and within a band sorted left to right
// without overlap. Window shapes and most clip lists come in this form.
bool Banded(const std::vector<RECT>& rs) {
  for (std::size_t i = 0; i < rs.size(); ++i) {
    const RECT& r = rs[i];
    if (Empty(r)) return false;
    if (i == 0) continue;
    const RECT& p = rs[i - 1];
    const bool same_band = r.top == p.top && r.bottom == p.bottom;
    if (same_band ? r.left < p.right : r.top < p.bottom) return false;
  }
  return true;
}

// The end of the band that starts at rs[i].
std::size_t BandEnd(const std::vector<RECT>& rs, std::size_t i) {
  std::size_t j = i + 1;
  while (j < rs.size() && rs[j].top == rs[i].top && rs[j].bottom == rs[i].bottom) ++j;
  return j;
}

// Appends the union of two bands with the same rows, merging overlapping runs.
void MergeBand(const RECT* a, const RECT* a_end, const RECT* b, const RECT* b_end, std::vector<RECT>& out) {
  const std::size_t band_start = out.size();
  while (a != a_end || b != b_end) {
    const RECT& next = (b == b_end || (a != a_end && a->left <= b->left)) ? *a++ : *b++;
    if (out.size() > band_start && next.left < out.back().right) {
      out.back().right = std::max(out.back().right, next.right);
    } else {
      out.push_back(next);
    }
  }
}

// The union of two banded lists in one pass, banded again. False (and out
// unspecified) when a band of one list shares some but not all of its rows
// with a band of the other; the caller then takes the general path.
bool UnionBanded(const std::vector<RECT>& a, const std::vector<RECT>& b, std::vector<RECT>& out) {
  out.clear();
  out.reserve(a.size() + b.size());
  const auto at = [](const std::vector<RECT>& v, std::size_t k) { return v.begin() + static_cast<std::ptrdiff_t>(k); };
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const std::size_t ie = BandEnd(a, i), je = BandEnd(b, j);
    if (a[i].bottom <= b[j].top) {
      out.insert(out.end(), at(a, i), at(a, ie));
      i = ie;
    } else if (b[j].bottom <= a[i].top) {
      out.insert(out.end(), at(b, j), at(b, je));
      j = je;
    } else if (a[i].top == b[j].top && a[i].bottom == b[j].bottom) {
      MergeBand(a.data() + i, a.data() + ie, b.data() + j, b.data() + je, out);
      i = ie;
      j = je;
    } else {
      return false;
    }
  }
  out.insert(out.end(), at(a, i), a.end());
  out.insert(out.end(), at(b, j), b.end());
  return true;
}

// Merges b into a in place when b is banded and only rectangles at the end of
// a reach b's first row: the rest of a lies wholly above b and stays as it is,
// and only that tail is united with b. This is how a shape built row by row
// grows, so each merge costs one pass over a instead of a copy and a union.
bool AppendBelow(std::vector<RECT>& a, const std::vector<RECT>& b) {
  if (b.empty()) return true;
  if (!Banded(b)) return false;
  const LONG top = b.front().top;
  std::size_t tail = a.size();
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].bottom > top) {
      if (tail == a.size()) tail = i;
    } else if (tail != a.size()) {
      return false;  // something above b after something reaching it: not a tail
    }
  }
  std::vector<RECT> reaching(a.begin() + static_cast<std::ptrdiff_t>(tail), a.end());
  a.resize(tail);
  std::vector<RECT> merged = RectsUnion(reaching, b);
  a.insert(a.end(), merged.begin(), merged.end());
  return true;
}

int Complexity(const Region& r) {
  if (r.rects.empty()) return NULLREGION;
  return r.rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // namespace

std::vector<RECT> RectsSubtract(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<RECT> cur = a, next;
  for (const RECT& cut : b) {
    next.clear();
    for (const RECT& r : cur) SubtractOne(r, cut, next);
    cur.swap(next);
  }
  return cur;
}

std::vector<RECT> RectsUnion(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<RECT> merged;
  if (Banded(a) && Banded(b) && UnionBanded(a, b, merged)) return merged;
  // Each new rectangle loses the parts already covered, so the list stays
  // non-overlapping even when b's own rectangles overlap.
  std::vector<RECT> out = a;
  BandIndex index;
  for (std::size_t i = 0; i < out.size(); ++i) index.Add(out[i], i);
  std::vector<RECT> pieces, next;
  for (const RECT& r : b) {
    if (Empty(r)) continue;
    pieces.assign(1, r);
    index.ForEachNear(r, [&](std::size_t i) {
      if (pieces.empty() || !Overlap(out[i], r)) return;
      next.clear();
      for (const RECT& p : pieces) SubtractOne(p, out[i], next);
      pieces.swap(next);
    });
    for (const RECT& p : pieces) {
      index.Add(p, out.size());
      out.push_back(p);
    }
  }
  return out;
}

std::vector<RECT> RectsIntersect(const std::vector<RECT>& a, const std::vector<RECT>& b) {
  std::vector<RECT> out;
  for (const RECT& x : a)
    for (const RECT& y : b) {
      RECT r{std::max(x.left, y.left), std::max(x.top, y.top), std::min(x.right, y.right),
             std::min(x.bottom, y.bottom)};
      if (!Empty(r)) out.push_back(r);
    }
  return out;
}

std::vector<RECT> RectsOffset(std::vector<RECT> a, int dx, int dy) {
  for (RECT& r : a) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
  return a;
}

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

RECT Region::Bounds() const { return BoundsOf(rects); }

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto* r = new Region;
  RECT rc{std::min(left, right), std::min(top, bottom), std::max(left, right),
          std::max(top, bottom)};
  if (!Empty(rc)) r->rects.push_back(rc);
  return r;
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

HRGN ExtCreateRegion(const void* xform, DWORD size, const RGNDATAHEADER* data) {
  if (xform != nullptr || data == nullptr || data->dwSize != sizeof(RGNDATAHEADER) ||
      data->iType != RDH_RECTANGLES || size < sizeof(RGNDATAHEADER))
    return nullptr;
  const std::size_t room = (size - sizeof(RGNDATAHEADER)) / sizeof(RECT);
  if (data->nCount > room) return nullptr;  // the count claims more than the buffer holds
  auto* region = new Region;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data) + sizeof(RGNDATAHEADER);
  std::vector<RECT> in(data->nCount);
  if (!in.empty()) std::memcpy(in.data(), bytes, in.size() * sizeof(RECT));
  region->rects = RectsUnion({}, in);
  return region;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  if (!dst || !a || (mode != RGN_COPY && !b)) return ERROR;
  std::vector<RECT> out;
  switch (mode) {
    case RGN_COPY: out = a->rects; break;
    case RGN_OR:
      if (dst == a && a != b && AppendBelow(dst->rects, b->rects)) return Complexity(*dst);
      out = RectsUnion(a->rects, b->rects);
      break;
    case RGN_AND: out = RectsIntersect(a->rects, b->rects); break;
    case RGN_DIFF: out = RectsSubtract(a->rects, b->rects); break;
    case RGN_XOR: {
      out = RectsSubtract(a->rects, b->rects);
      auto other = RectsSubtract(b->rects, a->rects);
      out.insert(out.end(), other.begin(), other.end());
      break;
    }
    default: return ERROR;
  }
  dst->rects = std::move(out);
  return Complexity(*dst);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  if (!rgn) return ERROR;
  rgn->rects = RectsOffset(std::move(rgn->rects), dx, dy);
  return Complexity(*rgn);
}

BOOL PtInRegion(HRGN rgn, int x, int y) { return rgn && rgn->Contains(x, y) ? TRUE : FALSE; }

int GetRgnBox(HRGN rgn, RECT* rect) {
  if (!rgn || !rect) return ERROR;
  *rect = rgn->Bounds();
  return Complexity(*rgn);
}

BOOL EqualRgn(HRGN a, HRGN b) {
  if (!a || !b) return FALSE;
  return RectsSubtract(a->rects, b->rects).empty() && RectsSubtract(b->rects, a->rects).empty();
}

BOOL SetRect(RECT* r, int left, int top, int right, int bottom) {
  if (!r) return FALSE;
  *r = {left, top, right, bottom};
  return TRUE;
}
BOOL IsRectEmpty(const RECT* r) { return !r || Empty(*r); }
BOOL PtInRect(const RECT* r, POINT p) {
  return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
BOOL IntersectRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (Empty(r)) r = {};
  *out = r;
  return !Empty(r);
}
BOOL UnionRect(RECT* out, const RECT* a, const RECT* b) {
  if (!out || !a || !b) return FALSE;
  if (Empty(*a)) *out = *b;
  else if (Empty(*b)) *out = *a;
  else *out = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right),
               std::max(a->bottom, b->bottom)};
  return !Empty(*out);
}
BOOL OffsetRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left += dx;
  r->right += dx;
  r->top += dy;
  r->bottom += dy;
  return TRUE;
}
BOOL InflateRect(RECT* r, int dx, int dy) {
  if (!r) return FALSE;
  r->left -= dx;
  r->right += dx;
  r->top -= dy;
  r->bottom += dy;
  return TRUE;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}

}  // namespace vexaro::gui
