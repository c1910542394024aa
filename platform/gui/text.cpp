// Fonts and text drawing: layout of lines with alignment, word breaks and the
// end ellipsis, and glyphs blended in the text colour. Strings arrive in the
// system code page and are laid out as Unicode characters.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/gui/backend.h"
#include "platform/gui/internal/dc_internal.h"
#include "platform/sys/codepage.h"

namespace vexaro::gui {
namespace {

using Text = std::u32string;

FontFace* FaceOf(HDC hdc) { return hdc && hdc->font ? hdc->font->face.get() : nullptr; }

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u < 0xDC00; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u < 0xE000; }

// The characters of a string in the system code page (UTF-8 on most Linux
// systems, the ANSI code page on Windows); bytes the code page does not
// define become U+FFFD, so a bad byte shows as one box, not as garbage.
Text Decode(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int units = sys::MultiByteToWide(sys::kCodePageSystem, bytes, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  if (units > 0) sys::MultiByteToWide(sys::kCodePageSystem, bytes, wide.data(), units);
  Text out;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      out.push_back(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (wide[++i] - 0xDC00));
    } else {
      out.push_back(u);
    }
  }
  return out;
}

int Width(FontFace* face, std::u32string_view s) {
  if (!face) return 0;
  int w = 0;
  for (char32_t c : s) w += face->Glyph(c).advance;
  return w;
}

// Removes '&' prefixes ("&&" stands for one '&').
Text StripPrefix(std::u32string_view s) {
  Text out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) ++i;
    else if (s[i] == '&') continue;
    out += s[i];
  }
  return out;
}

// Breaks one paragraph into lines no wider than width, at blanks; a word wider
// than the line stands on a line of its own.
void WrapParagraph(FontFace* face, const Text& para, int width, std::vector<Text>& out) {
  Text line;
  std::size_t i = 0;
  bool any = false;
  while (i < para.size()) {
    const std::size_t start = i;
    while (i < para.size() && para[i] != ' ') ++i;
    Text word = para.substr(start, i - start);
    Text candidate = line.empty() ? word : line + U" " + word;
    if (!line.empty() && Width(face, candidate) > width) {
      out.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
    any = true;
    while (i < para.size() && para[i] == ' ') ++i;
  }
  if (!line.empty() || !any) out.push_back(line);
}

Text Ellipsize(FontFace* face, const Text& line, int width) {
  if (Width(face, line) <= width) return line;
  Text cut = line;
  while (!cut.empty() && Width(face, cut + U"...") > width) cut.pop_back();
  return cut + U"...";
}

std::vector<Text> Layout(FontFace* face, const Text& text, const RECT& r, UINT fmt) {
  std::vector<Text> lines;
  const int width = r.right - r.left;
  if (fmt & DT_SINGLELINE) {
    Text one;
    for (char32_t c : text)
      if (c != '\r' && c != '\n') one += c;
    lines.push_back(one);
  } else {
    std::size_t start = 0;
    while (true) {
      std::size_t nl = text.find(U'\n', start);
      Text para = text.substr(start, nl == Text::npos ? Text::npos : nl - start);
      if (!para.empty() && para.back() == '\r') para.pop_back();
      if (fmt & DT_WORDBREAK) WrapParagraph(face, para, width, lines);
      else lines.push_back(para);
      if (nl == Text::npos) break;
      start = nl + 1;
    }
  }
  if ((fmt & DT_END_ELLIPSIS) && !lines.empty()) {
    if (fmt & DT_SINGLELINE) lines[0] = Ellipsize(face, lines[0], width);
    else lines.back() = Ellipsize(face, lines.back(), width);
  }
  return lines;
}

void DrawGlyphs(HDC hdc, FontFace& face, int x, int baseline, std::u32string_view s, const RECT* clip) {
  const std::uint32_t color = PixelFromColor(hdc->textColor);
  for (char32_t c : s) {
    const GlyphImage& g = face.Glyph(c);
    const RECT box{x + g.left + hdc->origin.x, baseline - g.top + hdc->origin.y,
                   x + g.left + g.width + hdc->origin.x, baseline - g.top + g.height + hdc->origin.y};
    RECT limited = box;
    if (clip) {
      RECT c2 = *clip;
      OffsetRect(&c2, hdc->origin.x, hdc->origin.y);
      IntersectRect(&limited, &box, &c2);
    }
    ForEachClipped(*hdc, limited, [&](const RECT& p) {
      for (LONG ty = p.top; ty < p.bottom; ++ty) {
        std::uint32_t* row = hdc->target->Row(ty);
        const std::uint8_t* cov = g.coverage.data() + static_cast<std::size_t>(ty - box.top) * static_cast<std::size_t>(g.width);
        for (LONG tx = p.left; tx < p.right; ++tx) row[tx] = BlendPixel(row[tx], color, cov[tx - box.left]);
      }
    });
    x += g.advance;
  }
}

void FillBackground(HDC hdc, const RECT& r, const RECT* clip) {
  RECT box = r;
  if (clip && !IntersectRect(&box, &r, clip)) return;
  Brush bk(hdc->bkColor);
  FillRect(hdc, &box, &bk);
}

}  // namespace

HFONT CreateFont(int height, int width, int, int, int weight, DWORD italic, DWORD underline,
                 DWORD strike, DWORD charset, DWORD, DWORD, DWORD, DWORD pitch_family,
                 const char* face) {
  LOGFONT lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfWeight = weight == 0 ? FW_NORMAL : weight;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfStrikeOut = strike ? 1 : 0;
  lf.lfCharSet = static_cast<BYTE>(charset);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitch_family);
  lf.lfFaceName = face ? face : "";
  return CreateFontIndirect(&lf);
}

HFONT CreateFontIndirect(const LOGFONT* desc) {
  if (!desc) return nullptr;
  auto* f = new Font;
  f->desc = *desc;
  f->face = MatchFontFace(*desc);
  return f;
}

BOOL GetTextExtentPoint32(HDC hdc, std::string_view text, SIZE* size) {
  if (!hdc || !size) return FALSE;
  FontFace* face = FaceOf(hdc);
  size->cx = Width(face, Decode(text));
  size->cy = face ? face->Ascent() + face->Descent() : 0;
  return TRUE;
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm) {
  FontFace* face = FaceOf(hdc);
  if (!tm || !face) return FALSE;
  tm->tmAscent = face->Ascent();
  tm->tmDescent = face->Descent();
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmAveCharWidth = face->Glyph('x').advance;
  return TRUE;
}

BOOL TextOut(HDC hdc, int x, int y, std::string_view bytes) {
  FontFace* face = FaceOf(hdc);
  if (!hdc || !hdc->target || !face) return FALSE;
  const Text text = Decode(bytes);
  if (hdc->bkMode == OPAQUE)
    FillBackground(hdc, RECT{x, y, x + Width(face, text), y + face->Ascent() + face->Descent()}, nullptr);
  DrawGlyphs(hdc, *face, x, y + face->Ascent(), text, nullptr);
  return TRUE;
}

int DrawText(HDC hdc, std::string_view raw, RECT* rect, UINT fmt) {
  if (!hdc || !rect) return 0;
  FontFace* face = FaceOf(hdc);
  if (!face) return 0;  // no font on this system: nothing can be drawn or measured
  const Text decoded = Decode(raw);
  const Text text = (fmt & DT_NOPREFIX) ? decoded : StripPrefix(decoded);
  const RECT r = *rect;
  const int line_h = face->Ascent() + face->Descent();
  const std::vector<Text> lines = Layout(face, text, r, fmt);
  const int total = line_h * static_cast<int>(lines.size());
  if (fmt & DT_CALCRECT) {
    int widest = 0;
    for (const auto& l : lines) widest = std::max(widest, Width(face, l));
    rect->right = rect->left + widest;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = r.top;
  if (fmt & DT_SINGLELINE) {
    if (fmt & DT_VCENTER) y = r.top + (r.bottom - r.top - line_h) / 2;
    else if (fmt & DT_BOTTOM) y = r.bottom - line_h;
  }
  const RECT* clip = (fmt & DT_NOCLIP) ? nullptr : &r;
  for (const auto& line : lines) {
    const int w = Width(face, line);
    int x = r.left;
    if (fmt & DT_CENTER) x = r.left + (r.right - r.left - w) / 2;
    else if (fmt & DT_RIGHT) x = r.right - w;
    if (hdc->bkMode == OPAQUE) FillBackground(hdc, RECT{x, y, x + w, y + line_h}, clip);
    DrawGlyphs(hdc, *face, x, y + face->Ascent(), line, clip);
    y += line_h;
  }
  return total;
}

}  // namespace vexaro::gui
