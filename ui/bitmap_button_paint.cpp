// Painting of the skinned button: the state images, the choice of image and
// text colour, and the caption drawn over the image.
#include "platform/gui/window.h"
#include "ui/bitmap_button.h"

namespace vexaro::ui {

using namespace gui;

PaintChoice ChoosePaint(ButtonMode mode, const ButtonState& s) {
  using I = StateImage;
  using C = TextColour;
  switch (mode) {
    case ButtonMode::Toggle:
      if (s.disabled) return {I::Disabled, C::Disabled};
      if (s.latched) return {I::Pressed, C::Hover};
      return {I::Normal, C::Normal};
    case ButtonMode::InvertedHover:
      if (s.hovering || s.latched || s.pressed) return {I::Normal, C::Normal};
      if (s.disabled) return {I::Disabled, C::Disabled};
      return {I::Hover, C::Hover};
    case ButtonMode::Ordinary:
      break;
  }
  if (s.disabled) return {I::Disabled, C::Disabled};
  if (s.latched) return {I::Pressed, C::Normal};
  if (s.pressed) return {I::Pressed, C::Hover};
  if (s.hovering) return {I::Hover, C::Hover};
  return {I::Normal, C::Normal};
}

ButtonMode CBitmapBtn::Mode() const {
  if (toggle_) return ButtonMode::Toggle;
  return invertedHover_ ? ButtonMode::InvertedHover : ButtonMode::Ordinary;
}

COLORREF CBitmapBtn::Colour(TextColour which) const {
  switch (which) {
    case TextColour::Hover: return hoverText_;
    case TextColour::Disabled: return disabledText_;
    case TextColour::Normal: break;
  }
  return normalText_;
}

void CBitmapBtn::SetImage(StateImage which, HBITMAP source, const RECT& part) {
  if (source) {
    const int w = part.right - part.left, h = part.bottom - part.top;
    HDC window_dc = m_hWnd ? GetDC(m_hWnd) : nullptr;
    BITMAPINFO info;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;  // bottom-up
    void* bits = nullptr;
    // A part the DIB cannot be made for leaves the previous image.
    if (HBITMAP image = CreateDIBSection(window_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)) {
      HDC src = CreateCompatibleDC(window_dc), dst = CreateCompatibleDC(window_dc);
      HGDIOBJ old_src = SelectObject(src, source), old_dst = SelectObject(dst, image);
      SetStretchBltMode(dst, HALFTONE);
      StretchBlt(dst, 0, 0, w, h, src, part.left, part.top, w, h, SRCCOPY);
      SelectObject(src, old_src);
      SelectObject(dst, old_dst);
      DeleteDC(src);
      DeleteDC(dst);
      HBITMAP& slot = images_[static_cast<int>(which)];
      if (slot) DeleteObject(slot);
      slot = image;
    }
    if (window_dc) ReleaseDC(m_hWnd, window_dc);
  }
  if (m_hWnd) ModifyStyle(WS_BORDER | WS_TABSTOP, 0);
}

void CBitmapBtn::SetStateStrip(HBITMAP strip, int width, int height) {
  SetNormalImage(strip, RECT{0, 0, width, height});
  SetHoverImage(strip, RECT{0, height, width, 2 * height});
  SetPressedImage(strip, RECT{0, 2 * height, width, 3 * height});
  SetDisabledImage(strip, RECT{0, 3 * height, width, 4 * height});
}

void CBitmapBtn::DrawItem(DRAWITEMSTRUCT* dis) {
  if (!dis || !dis->hDC) return;
  HDC target = dis->hDC;
  ButtonState state;
  state.pressed = (dis->itemState & ODS_SELECTED) != 0;
  state.disabled = (dis->itemState & ODS_DISABLED) != 0;
  state.latched = latched_ != 0;
  state.hovering = hovering_ != 0;
  const PaintChoice choice = ChoosePaint(Mode(), state);
  SetTextColor(target, Colour(choice.colour));
  HBITMAP image = images_[static_cast<int>(choice.image)];
  if (!image) return;  // nothing to paint with: the previous picture stays
  RECT client;
  gui::GetClientRect(m_hWnd, &client);
  HDC image_dc = CreateCompatibleDC(target);
  HGDIOBJ old = SelectObject(image_dc, image);
  if (caption_.empty()) {
    const int y = shiftWhenPressed_ && state.pressed ? 1 : 0;
    BitBlt(target, 0, y, client.right - client.left, client.bottom - client.top, image_dc, 0, 0, SRCCOPY);
  } else {
    DrawCaption(target, image_dc, client);
  }
  SelectObject(image_dc, old);
  DeleteDC(image_dc);
}

void CBitmapBtn::DrawCaption(HDC target, HDC image_dc, const RECT& client) {
  const int w = client.right - client.left, h = client.bottom - client.top;
  HDC compose = CreateCompatibleDC(target);
  HBITMAP picture = CreateCompatibleBitmap(target, w, h);
  if (!picture) {
    DeleteDC(compose);
    return;
  }
  HGDIOBJ old_bitmap = SelectObject(compose, picture);
  BitBlt(compose, 0, 0, w, h, image_dc, 0, 0, SRCCOPY);
  SetBkMode(compose, TRANSPARENT);
  SetTextColor(compose, GetTextColor(target));
  HFONT font = CreateFont(font_.height, 0, 0, 0, font_.weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS,
                          font_.face.c_str());
  HGDIOBJ old_font = SelectObject(compose, font);
  RECT r = customTextRect_ ? textRect_ : client;
  if (marginOnLeft_) r.left += margin_;
  else r.right -= margin_;
  UINT format = DT_VCENTER | DT_END_ELLIPSIS | (wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE);
  format |= alignment_ == 1 ? DT_CENTER : alignment_ == 0 ? DT_LEFT : DT_RIGHT;
  DrawText(compose, caption_, &r, format);
  // White in the picture, a white caption included, is not painted.
  TransparentBlt(target, 0, 1, w, h, compose, 0, 0, w, h, 0xFFFFFF);
  SelectObject(compose, old_font);
  if (font) DeleteObject(font);
  SelectObject(compose, old_bitmap);
  DeleteObject(picture);
  DeleteDC(compose);
}

}  // namespace vexaro::ui
