// Tooltips: a small popup with hover help for tool windows. Messages of the
// tools are relayed to it from PreTranslateMessage; while active it shows the
// tool's text below the mouse and hides it on a click or when the mouse
// leaves the tool. Created inactive.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/gui/afx/afx_wnd.h"

namespace vexaro::gui {

class CToolTipCtrl : public CWnd {
 public:
  BOOL Create(CWnd* parent, DWORD style = 0);
  void Activate(BOOL active);
  BOOL IsActive() const { return m_active; }
  BOOL AddTool(CWnd* tool, std::string_view text);
  void UpdateTipText(std::string_view text, CWnd* tool);
  std::string GetToolText(CWnd* tool) const;
  void RelayEvent(MSG* msg);

 private:
  void Pop();
  std::map<HWND, std::string> m_tools;
  HWND m_shownFor = nullptr;
  BOOL m_active = FALSE;
};

}  // namespace vexaro::gui
