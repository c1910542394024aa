// CBitmapBtn: the skinned owner-drawn push button. It paints one of four state
// images cut from a strip bitmap, shows a hover image while the mouse is over
// it (holding the mouse capture), can draw a caption in the font the
// application configures (ui/caption_font.h), and takes its outline from a
// mask (ui/window_shape.h).
//
// Notifications to the parent, all WM_COMMAND with lParam = the button's handle:
//   click (release over the button)  wParam = MAKEWPARAM(id, BN_CLICKED)
//   toggle mode release              wParam = MAKEWPARAM(id, BN_CLICKED), after
//                                    the latched state flipped (IsLatched)
//   right-button press               wParam = (id & 0xFFFF) | 0x00FF0000
//   auto-repeat while held           wParam = kAutoRepeatCommand (posted)
// Every mouse move over the button is also posted to the parent as WM_MOUSEMOVE
// with the same key flags and the point in screen coordinates.
#pragma once

#include <memory>
#include <string>

#include "platform/gui/afx/afx_wnd.h"
#include "platform/gui/afx/afx_tooltip.h"
#include "ui/caption_font.h"

namespace vexaro::ui {

constexpr gui::UINT_PTR kAutoRepeatTimer = 256;
constexpr gui::WPARAM kAutoRepeatCommand = 0x7A;
constexpr gui::UINT kRightPressCode = 0xFF;
// Style of every skinned button: WS_CHILD | WS_VISIBLE | BS_OWNERDRAW.
constexpr gui::DWORD kSkinButtonStyle = 0x5000000B;

enum class ButtonMode { Ordinary, Toggle, InvertedHover };
enum class StateImage { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };
enum class TextColour { Normal, Hover, Disabled };

struct PaintChoice {
  StateImage image;
  TextColour colour;
  bool operator==(const PaintChoice&) const = default;
};

struct ButtonState {
  bool disabled = false;
  bool latched = false;
  bool pressed = false;
  bool hovering = false;
};

// The image and text colour a button in `mode` paints in `state`. Toggle mode
// comes before inverted hover when both are set.
PaintChoice ChoosePaint(ButtonMode mode, const ButtonState& state);

class CBitmapBtn : public gui::CButton {
 public:
  CBitmapBtn();
  ~CBitmapBtn() override;

  // The four state images: a copy of `part` of `source` as a 32-bit bitmap of
  // the part's size. An empty source leaves the image as it was. Either way
  // WS_BORDER and WS_TABSTOP leave the button's style.
  void SetNormalImage(gui::HBITMAP source, const gui::RECT& part) { SetImage(StateImage::Normal, source, part); }
  void SetHoverImage(gui::HBITMAP source, const gui::RECT& part) { SetImage(StateImage::Hover, source, part); }
  void SetPressedImage(gui::HBITMAP source, const gui::RECT& part) { SetImage(StateImage::Pressed, source, part); }
  void SetDisabledImage(gui::HBITMAP source, const gui::RECT& part) { SetImage(StateImage::Disabled, source, part); }
  // The four from a strip of equal states stacked from the top: normal,
  // hover, pressed, disabled, each `width` x `height`.
  void SetStateStrip(gui::HBITMAP strip, int width, int height);
  gui::HBITMAP Image(StateImage which) const { return images_[static_cast<int>(which)]; }

  // Appearance and behaviour; the program's buttons keep the defaults.
  void SetCaption(std::string caption);
  const std::string& Caption() const { return caption_; }
  void SetToggleMode(bool on) { toggle_ = on; }
  void SetInvertedHover(bool on) { invertedHover_ = on; }
  void SetLatched(bool on);
  bool IsLatched() const { return latched_ != 0; }
  void SetTextColours(gui::COLORREF normal, gui::COLORREF hover, gui::COLORREF disabled);
  // 0 left, 1 centre, any other value right.
  void SetTextAlignment(int alignment) { alignment_ = alignment; }
  void SetWordWrap(bool on) { wordWrap_ = on; }
  void SetTextMargin(int margin, bool on_left) { margin_ = margin; marginOnLeft_ = on_left; }
  void SetTextRect(const gui::RECT& rect) { customTextRect_ = true; textRect_ = rect; }
  void SetShiftWhenPressed(bool on) { shiftWhenPressed_ = on; }
  void SetFocusOnHover(bool on) { focusOnHover_ = on; }
  void SetAutoRepeat(bool on, int interval_ms = 100) { autoRepeat_ = on; repeatInterval_ = interval_ms; }

  bool IsHovering() const { return hovering_ != 0; }
  ButtonMode Mode() const;
  const CaptionFont& Font() const { return font_; }
  // Made on the first message the loop relays; null before.
  const gui::CToolTipCtrl* Tooltip() const { return tooltip_.get(); }

  void DrawItem(gui::DRAWITEMSTRUCT* dis) override;
  gui::BOOL PreTranslateMessage(gui::MSG* msg) override;

 protected:
  void PreSubclassWindow() override;
  int OnCreate(gui::CREATESTRUCT* cs) override;
  void OnMouseMove(gui::UINT flags, gui::CPoint point) override;
  void OnCaptureChanged(gui::CWnd* wnd) override;
  void OnKillFocus(gui::CWnd* wnd) override;
  gui::BOOL OnEraseBkgnd(gui::CDC* dc) override;
  void OnLButtonDown(gui::UINT flags, gui::CPoint point) override;
  void OnLButtonUp(gui::UINT flags, gui::CPoint point) override;
  void OnRButtonDown(gui::UINT flags, gui::CPoint point) override;
  void OnKeyDown(gui::UINT, gui::UINT, gui::UINT) override {}
  void OnKeyUp(gui::UINT, gui::UINT, gui::UINT) override {}
  void OnTimer(gui::UINT_PTR id) override;

 private:
  void SetImage(StateImage which, gui::HBITMAP source, const gui::RECT& part);
  void DrawCaption(gui::HDC target, gui::HDC image_dc, const gui::RECT& client);
  gui::COLORREF Colour(TextColour which) const;
  void NotifyParent(gui::WPARAM w, bool post);
  void KeepHoverAfterRelease();

  gui::HBITMAP images_[4] = {};
  int hovering_ = 0;
  int latched_ = 0;
  bool toggle_ = false;
  bool invertedHover_ = false;
  std::string caption_;
  CaptionFont font_;
  gui::COLORREF normalText_ = 0xFFFFFF;
  gui::COLORREF hoverText_ = 0xFFFFFF;
  gui::COLORREF disabledText_ = 0x808080;
  int alignment_ = 1;
  bool wordWrap_ = false;
  int margin_ = 0;
  bool marginOnLeft_ = true;
  bool customTextRect_ = false;
  gui::RECT textRect_{};
  bool shiftWhenPressed_ = false;
  bool focusOnHover_ = false;
  bool autoRepeat_ = false;
  int repeatInterval_ = 100;
  std::unique_ptr<gui::CToolTipCtrl> tooltip_;
};

}  // namespace vexaro::ui
