// CDialog: creation from a template, the modal loop and dialog keys.
#include "platform/gui/afx/afx_app.h"
#include "platform/gui/afx/afx_dialog.h"
#include "platform/sys/sys.h"

namespace vexaro::gui {
namespace {

bool IsTabStop(HWND h) {
  const auto style = static_cast<DWORD>(GetWindowLongPtr(h, GWL_STYLE));
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

}  // namespace

BOOL WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND h = msg->hwnd; h; h = GetParent(h)) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(h); wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (h == stop) break;
    if (!(GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return FALSE;
}

CDialog::CDialog(UINT template_id, CWnd* parent) : m_pParentWnd(parent), m_templateId(template_id) {}

CDialog::CDialog(DialogTemplate tmpl, CWnd* parent)
    : m_pParentWnd(parent), m_ownTemplate(std::make_unique<DialogTemplate>(std::move(tmpl))) {}

CDialog::~CDialog() {
  if (m_hWnd) DestroyWindow();
}

const DialogTemplate* CDialog::Template() const {
  return m_ownTemplate ? m_ownTemplate.get() : FindDialogTemplate(static_cast<int>(m_templateId));
}

BOOL CDialog::CreateFromTemplate(HWND owner) {
  const DialogTemplate* t = Template();
  if (!t) {
    sys::DebugOutput("gui: no dialog template " + std::to_string(m_templateId) + "\n");
    return FALSE;
  }
  RECT r = DialogUnitsToPixels(t->pointSize, t->x, t->y, t->cx, t->cy);
  if (t->style & DS_CENTER) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    r.left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    r.top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
  }
  m_font = std::make_unique<CFont>();
  m_font->CreateFont(-(t->pointSize * 96 + 36) / 72, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                     FF_SWISS, t->fontFace.c_str());
  if (!CreateEx(t->exStyle, "#32770", t->caption.c_str(), (t->style & ~WS_VISIBLE) & ~WS_CHILD, r.left, r.top,
                r.right - r.left, r.bottom - r.top, owner, 0))
    return FALSE;
  SetFont(*m_font, FALSE);
  for (const DialogItem& item : t->items) {
    const RECT ir = DialogUnitsToPixels(t->pointSize, item.x, item.y, item.cx, item.cy);
    HWND h = CreateWindowEx(item.exStyle, item.className, item.text, item.style | WS_CHILD, ir.left, ir.top,
                            ir.right - ir.left, ir.bottom - ir.top, m_hWnd, static_cast<std::uintptr_t>(item.id));
    if (!h) {
      sys::DebugOutput("gui: dialog control " + std::to_string(item.id) + " of class " + item.className +
                       " cannot be created\n");
      continue;
    }
    gui::SendMessage(h, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(*m_font)), 0);
  }
  HWND first = nullptr;
  for (HWND c = nullptr; const DialogItem& item : t->items)
    if (c = gui::GetDlgItem(m_hWnd, item.id); c && IsTabStop(c)) {
      first = c;
      break;
    }
  if (CWnd::SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0) && first && IsWindow(first)) gui::SetFocus(first);
  return IsWindow(m_hWnd);
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(msg, w, l);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_ended = true;
  if (!m_modal && m_hWnd) DestroyWindow();
  else if (m_hWnd) PostMessage(WM_NULL);  // wakes the modal loop
}

BOOL CDialog::OnCommand(WPARAM w, LPARAM) {
  if (HIWORD(w) != BN_CLICKED) return FALSE;
  switch (LOWORD(w)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
  }
}

BOOL CDialog::IsDialogMessage(MSG* msg) {
  if (!m_hWnd || msg->message != WM_KEYDOWN || (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd))) return FALSE;
  switch (msg->wParam) {
    case VK_ESCAPE:
      gui::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(gui::GetDlgItem(m_hWnd, IDCANCEL)));
      return TRUE;
    case VK_RETURN: {
      const int id = LOWORD(static_cast<std::uintptr_t>(gui::SendMessage(m_hWnd, DM_GETDEFID)));
      HWND button = gui::GetDlgItem(m_hWnd, id);
      if (button && !gui::IsWindowEnabled(button)) return TRUE;
      gui::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
      return TRUE;
    }
    case VK_TAB: {
      // Focus moves to the next tab stop in creation order.
      const DialogTemplate* t = Template();
      if (!t) return TRUE;
      std::vector<HWND> stops;
      for (const DialogItem& item : t->items)
        if (HWND c = gui::GetDlgItem(m_hWnd, item.id); c && IsTabStop(c)) stops.push_back(c);
      if (stops.empty()) return TRUE;
      auto it = std::find(stops.begin(), stops.end(), gui::GetFocus());
      gui::SetFocus(it == stops.end() || ++it == stops.end() ? stops.front() : *it);
      return TRUE;
    }
    default: return FALSE;
  }
}

BOOL CDialog::PreTranslateMessage(MSG* msg) { return IsDialogMessage(msg); }

std::intptr_t CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!owner && AfxGetMainWnd() != this && AfxGetMainWnd()) owner = AfxGetMainWnd()->m_hWnd;
  if (owner && (GetWindowLongPtr(owner, GWL_STYLE) & WS_CHILD)) owner = GetAncestorTop(owner);
  m_ended = false;
  m_modal = true;
  m_nModalResult = -1;
  const bool disable_owner = owner && gui::IsWindowEnabled(owner);
  if (disable_owner) gui::EnableWindow(owner, FALSE);
  if (CreateFromTemplate(owner) && !m_ended) {
    ShowWindow(SW_SHOWNORMAL);
    MSG msg;
    while (!m_ended && IsWindow(m_hWnd)) {
      if (!GetMessage(&msg)) {
        // A quit request ends every modal loop on its way out.
        PostQuitMessage(static_cast<int>(msg.wParam));
        m_nModalResult = -1;
        break;
      }
      if (!WalkPreTranslateTree(m_hWnd, &msg)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
      }
    }
  }
  if (disable_owner) gui::EnableWindow(owner, TRUE);
  if (m_hWnd) DestroyWindow();
  if (owner && IsWindow(owner)) SetActiveWindow(owner);
  m_modal = false;
  m_font.reset();
  return m_nModalResult;
}

BOOL CDialog::Create(UINT template_id, CWnd* parent) {
  if (template_id) m_templateId = template_id;
  m_pParentWnd = parent;
  m_modal = false;
  m_ended = false;
  if (!CreateFromTemplate(parent ? parent->m_hWnd : nullptr)) return FALSE;
  if (const DialogTemplate* t = Template(); t && (t->style & WS_VISIBLE)) ShowWindow(SW_SHOW);
  return TRUE;
}

}  // namespace vexaro::gui
