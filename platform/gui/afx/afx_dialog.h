// Dialogs: CDialog creates a dialog from a template, binds its controls,
// runs it modally (DoModal until EndDialog, a close, or a quit request) or
// modelessly; its message loop gives PreTranslateMessage the first look.
#pragma once

#include <memory>

#include "platform/gui/afx/afx_wnd.h"
#include "platform/gui/dialog_template.h"

namespace vexaro::gui {

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT template_id, CWnd* parent = nullptr);
  explicit CDialog(DialogTemplate tmpl, CWnd* parent = nullptr);
  ~CDialog() override;

  // Returns the value given to EndDialog; -1 when the dialog could not be
  // created or a quit request ended the loop (the quit stays posted).
  virtual std::intptr_t DoModal();
  BOOL Create(UINT template_id, CWnd* parent = nullptr);  // modeless
  void EndDialog(int result);

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

  UINT m_nIDHelp = 0;
  CWnd* m_pParentWnd = nullptr;

 protected:
  BOOL OnCommand(WPARAM w, LPARAM l) override;
  // Enter, Escape and Tab for controls of this dialog; true when handled.
  BOOL IsDialogMessage(MSG* msg);

 private:
  BOOL CreateFromTemplate(HWND owner);
  const DialogTemplate* Template() const;

  UINT m_templateId = 0;
  std::unique_ptr<DialogTemplate> m_ownTemplate;
  std::unique_ptr<CFont> m_font;
  std::intptr_t m_nModalResult = -1;
  bool m_ended = false;
  bool m_modal = false;
};

// The message loop with PreTranslateMessage walking from the message's window
// up to (and including) stop; true when a window swallowed the message.
BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

}  // namespace vexaro::gui
