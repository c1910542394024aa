// CWnd: binding objects to windows and routing messages to the handlers.
#include <unordered_map>

#include "platform/gui/afx/afx_wnd.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {
namespace {

// A wrapper for a window without a bound object: it never destroys the window.
class TemporaryWnd final : public CWnd {
 public:
  explicit TemporaryWnd(HWND h) { m_hWnd = h; }
  ~TemporaryWnd() override { m_hWnd = nullptr; }
};


CPoint PointOf(LPARAM l) { return CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l)); }
UINT U(WPARAM w) { return static_cast<UINT>(w); }

}  // namespace

void AttachObject(HWND hwnd, CWnd* wnd) {
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (!rec) return;
    rec->object = wnd;
    wnd->m_pfnSuper = rec->proc == AfxWndProc ? nullptr : rec->proc;
    rec->proc = AfxWndProc;
  }
  wnd->m_hWnd = hwnd;
  wnd->PreSubclassWindow();
}

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  CWnd* wnd = nullptr;
  {
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(hwnd);
    if (rec) wnd = rec->object;
  }
  if (!wnd) return DefWindowProc(hwnd, msg, w, l);
  const MSG saved = wnd->m_current;
  wnd->m_current.hwnd = hwnd;
  wnd->m_current.message = msg;
  wnd->m_current.wParam = w;
  wnd->m_current.lParam = l;
  const LRESULT r = wnd->WindowProc(msg, w, l);
  // The object may have let go of the window (WM_NCDESTROY) but still exists.
  wnd->m_current = saved;
  return r;
}

CWnd::~CWnd() {
  if (m_hWnd && IsWindow(m_hWnd)) {
    // Destroyed while its window lives: the window goes too, without this
    // object's handlers (the derived part is already gone).
    HWND h = m_hWnd;
    Detach();
    gui::DestroyWindow(h);
  }
}

void CWnd::Detach() {
  if (!m_hWnd) return;
  {
    std::lock_guard lock(GetState().m);
    if (WindowRecord* rec = Find(m_hWnd); rec && rec->object == this) {
      rec->object = nullptr;
      rec->proc = m_pfnSuper ? m_pfnSuper : gui::DefWindowProc;
    }
  }
  m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  std::lock_guard lock(GetState().m);
  WindowRecord* rec = Find(hwnd);
  return rec ? rec->object : nullptr;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  if (CWnd* bound = FromHandlePermanent(hwnd)) return bound;
  // Wrappers belong to the calling thread; stale ones are dropped when the
  // table grows.
  auto& wrappers = CurrentQueue()->wrappers;
  if (wrappers.size() > 256) std::erase_if(wrappers, [](const auto& e) { return !IsWindow(e.first); });
  auto& slot = wrappers[hwnd];
  if (!slot) slot = std::make_shared<TemporaryWnd>(hwnd);
  return slot.get();
}

const char* AfxRegisterWndClass(UINT class_style) {
  static const bool registered = [class_style] {
    WNDCLASS wc;
    wc.style = class_style;
    wc.lpfnWndProc = gui::DefWindowProc;
    wc.lpszClassName = "AfxWnd";
    RegisterClass(wc);
    return true;
  }();
  (void)registered;
  return "AfxWnd";
}

BOOL CWnd::Create(const char* class_name, const char* title, DWORD style, const RECT& r,
                  CWnd* parent, UINT id) {
  return CreateEx(0, class_name, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                  parent ? parent->m_hWnd : nullptr, id);
}

BOOL CWnd::CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style,
                    int x, int y, int w, int h, HWND parent, std::uintptr_t id) {
  if (m_hWnd) return FALSE;
  SetPendingAttach(this);
  HWND made = CreateWindowEx(ex_style, class_name ? class_name : "", title ? title : "", style, x, y,
                             w, h, parent, id);
  SetPendingAttach(nullptr);
  if (!made) m_hWnd = nullptr;
  return made ? TRUE : FALSE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? gui::DestroyWindow(m_hWnd) : FALSE; }

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (m_hWnd || !IsWindow(hwnd) || FromHandlePermanent(hwnd)) return FALSE;
  CurrentQueue()->wrappers.erase(hwnd);
  AttachObject(hwnd, this);
  return m_hWnd == hwnd;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent ? SubclassWindow(gui::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  HWND h = m_hWnd;
  Detach();
  return h;
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT flags) {
  return gui::SetWindowPos(m_hWnd, nullptr, x, y, cx, cy, flags);
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT) {
  const DWORD old = GetStyle();
  const DWORD now = (old & ~remove) | add;
  if (now == old) return FALSE;
  SetWindowLongPtr(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(now));
  return TRUE;
}

HICON CWnd::SetIcon(HICON icon, BOOL big) {
  return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

UINT CMenu::EnableMenuItem(UINT id, UINT flags) {
  if (id != SC_CLOSE) return 0xFFFFFFFF;
  const UINT before = IsCloseCommandEnabled(m_hWnd) ? MF_ENABLED : MF_GRAYED;
  EnableCloseCommand(m_hWnd, (flags & (MF_GRAYED | MF_DISABLED)) ? FALSE : TRUE);
  return before;
}

CMenu* CWnd::GetSystemMenu(BOOL revert) {
  m_sysMenu.m_hWnd = m_hWnd;
  if (revert) EnableCloseCommand(m_hWnd, TRUE);
  return &m_sysMenu;
}

void CWnd::CenterWindow(CWnd* alternate) {
  RECT me, around;
  GetWindowRect(&me);
  HWND other = alternate ? alternate->m_hWnd : gui::GetParent(m_hWnd);
  if (!other || !gui::GetWindowRect(other, &around) || !gui::IsWindowVisible(other))
    around = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const int w = me.right - me.left, h = me.bottom - me.top;
  const int x = around.left + ((around.right - around.left) - w) / 2;
  const int y = around.top + ((around.bottom - around.top) - h) / 2;
  RECT pos{x, y, 0, 0};
  if (HWND parent = gui::GetParent(m_hWnd); parent && (GetStyle() & WS_CHILD)) {
    POINT p{x, y};
    gui::ScreenToClient(parent, &p);
    pos = {p.x, p.y, 0, 0};
  }
  MoveWindow(pos.left, pos.top, w, h, TRUE);
}

int CWnd::MessageBox(std::string_view text, std::string_view caption, UINT type) {
  return gui::MessageBox(m_hWnd, text, caption, type);
}

BOOL CWnd::UpdateData(BOOL save) {
  CDataExchange dx(this, save);
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM w, LPARAM l) {
  return m_pfnSuper ? CallWindowProc(m_pfnSuper, m_hWnd, msg, w, l) : gui::DefWindowProc(m_hWnd, msg, w, l);
}

LRESULT CWnd::Default() {
  return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
  LRESULT result = 0;
  if (!OnWndMsg(msg, w, l, &result)) result = DefWindowProc(msg, w, l);
  return result;
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

void CWnd::OnNcDestroy() {
  Default();
  Detach();
  PostNcDestroy();
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result) {
  LRESULT& r = *result;
  switch (msg) {
    case WM_CREATE: r = OnCreate(reinterpret_cast<CREATESTRUCT*>(l)); return TRUE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    case WM_NCDESTROY: OnNcDestroy(); return TRUE;
    case WM_PAINT: OnPaint(); return TRUE;
    case WM_ERASEBKGND: {
      CDC dc(reinterpret_cast<HDC>(w));
      r = OnEraseBkgnd(&dc);
      return TRUE;
    }
    case WM_TIMER: OnTimer(w); return TRUE;
    case WM_LBUTTONDOWN: OnLButtonDown(U(w), PointOf(l)); return TRUE;
    case WM_LBUTTONUP: OnLButtonUp(U(w), PointOf(l)); return TRUE;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(U(w), PointOf(l)); return TRUE;
    case WM_RBUTTONDOWN: OnRButtonDown(U(w), PointOf(l)); return TRUE;
    case WM_RBUTTONUP: OnRButtonUp(U(w), PointOf(l)); return TRUE;
    case WM_MOUSEMOVE: OnMouseMove(U(w), PointOf(l)); return TRUE;
    case WM_MOUSELEAVE: OnMouseLeave(); return TRUE;
    case WM_KEYDOWN: OnKeyDown(U(w), U(l & 0xFFFF), U((l >> 16) & 0xFFFF)); return TRUE;
    case WM_KEYUP: OnKeyUp(U(w), U(l & 0xFFFF), U((l >> 16) & 0xFFFF)); return TRUE;
    case WM_CHAR: OnChar(U(w), U(l & 0xFFFF), U((l >> 16) & 0xFFFF)); return TRUE;
    case WM_SETFOCUS: OnSetFocus(FromHandle(reinterpret_cast<HWND>(w))); return TRUE;
    case WM_KILLFOCUS: OnKillFocus(FromHandle(reinterpret_cast<HWND>(w))); return TRUE;
    case WM_CAPTURECHANGED: OnCaptureChanged(FromHandle(reinterpret_cast<HWND>(l))); return TRUE;
    case WM_CLOSE: OnClose(); return TRUE;
    case WM_SIZE: OnSize(U(w), GET_X_LPARAM(l), GET_Y_LPARAM(l)); return TRUE;
    case WM_MOVE: OnMove(GET_X_LPARAM(l), GET_Y_LPARAM(l)); return TRUE;
    case WM_ENABLE: OnEnable(static_cast<BOOL>(w)); return TRUE;
    case WM_SYSCOMMAND: OnSysCommand(U(w), l); return TRUE;
    case WM_DEVICECHANGE: r = OnDeviceChange(U(w), static_cast<DWORD_PTR>(l)); return TRUE;
    case WM_POWERBROADCAST: r = OnPowerBroadcast(U(w), l); return TRUE;
    case WM_QUERYDRAGICON: r = reinterpret_cast<LRESULT>(OnQueryDragIcon()); return TRUE;
    case WM_COMMAND: {
      // A control's own notification may be handled by the control first.
      if (CWnd* child = FromHandlePermanent(reinterpret_cast<HWND>(l));
          child && child != this && child->OnChildNotify(msg, w, l, &r))
        return TRUE;
      if (!OnCommand(w, l)) return FALSE;
      r = 0;
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (CWnd* child = dis ? FromHandlePermanent(dis->hwndItem) : nullptr;
          child && child->OnChildNotify(msg, w, l, &r))
        return TRUE;
      OnDrawItem(static_cast<int>(w), dis);
      r = TRUE;
      return TRUE;
    }
    default: return FALSE;
  }
}

BOOL CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("BUTTON", caption, style, rect, parent, id);
}

BOOL CButton::OnChildNotify(UINT msg, WPARAM, LPARAM l, LRESULT* result) {
  if (msg != WM_DRAWITEM) return FALSE;
  DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
  *result = TRUE;
  return TRUE;
}

BOOL CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("STATIC", text, style, rect, parent, id);
}

BOOL CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("EDIT", "", style, rect, parent, id);
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("msctls_progress32", "", style, rect, parent, id);
}

void CProgressCtrl::GetRange(int& lo, int& hi) const {
  lo = static_cast<int>(SendMessage(PBM_GETRANGE, TRUE));
  hi = static_cast<int>(SendMessage(PBM_GETRANGE, FALSE));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!dx || !dx->m_pDlgWnd || control.m_hWnd) return;
  control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
  if (!dx || !dx->m_pDlgWnd) return;
  HWND item = gui::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (dx->m_bSaveAndValidate) value = gui::GetWindowText(item);
  else gui::SetWindowText(item, value);
}

}  // namespace vexaro::gui
