// CWarning: the small modal dialog that announces how a firmware update ended.
// A full-window picture carries the message; a shaped skinned button closes it;
// dragging anywhere else on it moves it.
#pragma once

#include <string>

#include "platform/gui/afx/afx_dialog.h"
#include "platform/gui/afx/afx_gdi.h"
#include "ui/bitmap_button.h"

namespace vexaro::ui {

// Result codes the main window passes.
constexpr int kResultLayoutError = 0;
constexpr int kResultSuccess = 1;
constexpr int kResultFailed = 2;

// The picture (bitmap id) and the text of the hidden static for a result code;
// codes other than 1 and 2 are the layout error.
int ResultPictureId(int result_code);
const char* ResultText(int result_code);

class CWarning : public gui::CDialog {
 public:
  explicit CWarning(gui::CWnd* parent = nullptr);

  // Set before DoModal.
  int m_nResultCode = kResultLayoutError;
  // When not empty, painted over the picture's closing line: what the user
  // has to do next when the picture's own advice does not fit.
  std::string m_strNote;

  gui::BOOL OnInitDialog() override;
  const CBitmapBtn& CloseButton() const { return m_btnClose; }

 protected:
  void OnPaint() override;
  gui::BOOL OnEraseBkgnd(gui::CDC* dc) override;
  void OnLButtonDown(gui::UINT flags, gui::CPoint point) override;
  void OnDestroy() override;
  gui::BOOL OnCommand(gui::WPARAM w, gui::LPARAM l) override;

 private:
  void PaintNote(gui::CDC& dc);
  gui::CBitmap m_bmpBackground;
  CBitmapBtn m_btnClose;
};

}  // namespace vexaro::ui
