// The window classes programs derive from: CWnd with its message handlers,
// and the control classes CButton, CStatic, CEdit and CProgressCtrl. A CWnd is
// bound to a window for the window's life; handlers run on the window's thread.
#pragma once

#include <string_view>

#include "platform/gui/afx/afx_gdi.h"
#include "platform/gui/afx/afx_types.h"
#include "platform/gui/window.h"

namespace vexaro::gui {

class CWnd;
class CDataExchange;

// The system menu of a window; only its close command is modelled.
class CMenu {
 public:
  UINT EnableMenuItem(UINT id, UINT flags);
  HWND m_hWnd = nullptr;
};

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  // The object bound to a window, if any.
  static CWnd* FromHandlePermanent(HWND hwnd);
  // The bound object, or a wrapper owned by the calling thread.
  static CWnd* FromHandle(HWND hwnd);

  BOOL Create(const char* class_name, const char* title, DWORD style, const RECT& rect,
                      CWnd* parent, UINT id);
  BOOL CreateEx(DWORD ex_style, const char* class_name, const char* title, DWORD style,
                int x, int y, int w, int h, HWND parent, std::uintptr_t id);
  virtual BOOL DestroyWindow();
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();

  LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return gui::SendMessage(m_hWnd, msg, w, l); }
  BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const { return gui::PostMessage(m_hWnd, msg, w, l); }

  void SetWindowText(std::string_view text) { gui::SetWindowText(m_hWnd, text); }
  void GetWindowText(CString& out) const { out = gui::GetWindowText(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return gui::EnableWindow(m_hWnd, enable); }
  BOOL IsWindowEnabled() const { return gui::IsWindowEnabled(m_hWnd); }
  BOOL ShowWindow(int cmd) { return gui::ShowWindow(m_hWnd, cmd); }
  BOOL IsWindowVisible() const { return gui::IsWindowVisible(m_hWnd); }
  void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { gui::MoveWindow(m_hWnd, x, y, w, h, repaint); }
  void MoveWindow(const RECT& r, BOOL repaint = TRUE) { MoveWindow(r.left, r.top, r.right - r.left, r.bottom - r.top, repaint); }
  BOOL SetWindowPos(const CWnd* after, int x, int y, int cx, int cy, UINT flags);
  void GetClientRect(RECT* r) const { gui::GetClientRect(m_hWnd, r); }
  void GetWindowRect(RECT* r) const { gui::GetWindowRect(m_hWnd, r); }
  void ClientToScreen(POINT* p) const { gui::ClientToScreen(m_hWnd, p); }
  void ScreenToClient(POINT* p) const { gui::ScreenToClient(m_hWnd, p); }
  void Invalidate(BOOL erase = TRUE) { gui::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* r, BOOL erase = TRUE) { gui::InvalidateRect(m_hWnd, r, erase); }
  void UpdateWindow() { gui::UpdateWindow(m_hWnd); }
  UINT_PTR SetTimer(UINT_PTR id, UINT ms, void* unused = nullptr) { return gui::SetTimer(m_hWnd, id, ms, unused); }
  BOOL KillTimer(UINT_PTR id) { return gui::KillTimer(m_hWnd, id); }
  CWnd* SetFocus() { return FromHandle(gui::SetFocus(m_hWnd)); }
  static CWnd* GetFocus() { return FromHandle(gui::GetFocus()); }
  CWnd* SetCapture() { return FromHandle(gui::SetCapture(m_hWnd)); }
  static CWnd* GetCapture() { return FromHandle(gui::GetCapture()); }
  static CWnd* GetActiveWindow() { return FromHandle(gui::GetActiveWindow()); }
  static CWnd* WindowFromPoint(POINT p) { return FromHandle(gui::WindowFromPoint(p)); }
  CWnd* GetDlgItem(int id) const { return FromHandle(gui::GetDlgItem(m_hWnd, id)); }
  int GetDlgCtrlID() const { return gui::GetDlgCtrlID(m_hWnd); }
  void SetDlgItemText(int id, std::string_view text) { gui::SetWindowText(gui::GetDlgItem(m_hWnd, id), text); }
  int GetDlgItemText(int id, CString& out) const {
    out = gui::GetWindowText(gui::GetDlgItem(m_hWnd, id));
    return out.GetLength();
  }
  CWnd* GetParent() const { return FromHandle(gui::GetParent(m_hWnd)); }
  CWnd* GetOwner() const { return GetParent(); }
  DWORD GetStyle() const { return static_cast<DWORD>(GetWindowLongPtr(m_hWnd, GWL_STYLE)); }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  HICON SetIcon(HICON icon, BOOL big);
  void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw); }
  int SetWindowRgn(HRGN rgn, BOOL redraw) { return gui::SetWindowRgn(m_hWnd, rgn, redraw); }
  CMenu* GetSystemMenu(BOOL revert);
  // Windows are never minimised on these displays.
  BOOL IsIconic() const { return FALSE; }
  void CenterWindow(CWnd* alternate = nullptr);
  int MessageBox(std::string_view text, std::string_view caption = "", UINT type = MB_OK);
  BOOL UpdateData(BOOL save = TRUE);

  // The message loop hook: true swallows the message.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
  virtual LRESULT DefWindowProc(UINT msg, WPARAM w, LPARAM l);
  // Default processing of the message being handled.
  LRESULT Default();

 protected:
  virtual void PreSubclassWindow() {}
  virtual void PostNcDestroy() {}
  virtual void DoDataExchange(CDataExchange*) {}
  virtual BOOL OnCommand(WPARAM w, LPARAM l);
  // A notification that the parent passes to the control it concerns
  // (WM_DRAWITEM); true when handled.
  virtual BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result);
  BOOL OnWndMsg(UINT msg, WPARAM w, LPARAM l, LRESULT* result);

  virtual int OnCreate(CREATESTRUCT*) { return static_cast<int>(Default()); }
  virtual void OnDestroy() { Default(); }
  virtual void OnNcDestroy();
  virtual void OnPaint() { Default(); }
  virtual BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
  virtual void OnTimer(UINT_PTR) { Default(); }
  virtual void OnLButtonDown(UINT, CPoint) { Default(); }
  virtual void OnLButtonUp(UINT, CPoint) { Default(); }
  virtual void OnLButtonDblClk(UINT, CPoint) { Default(); }
  virtual void OnRButtonDown(UINT, CPoint) { Default(); }
  virtual void OnRButtonUp(UINT, CPoint) { Default(); }
  virtual void OnMouseMove(UINT, CPoint) { Default(); }
  virtual void OnMouseLeave() { Default(); }
  virtual void OnKeyDown(UINT, UINT, UINT) { Default(); }
  virtual void OnKeyUp(UINT, UINT, UINT) { Default(); }
  virtual void OnChar(UINT, UINT, UINT) { Default(); }
  virtual void OnSetFocus(CWnd*) { Default(); }
  virtual void OnKillFocus(CWnd*) { Default(); }
  virtual void OnCaptureChanged(CWnd*) { Default(); }
  virtual void OnClose() { Default(); }
  virtual void OnSize(UINT, int, int) { Default(); }
  virtual void OnMove(int, int) { Default(); }
  virtual void OnEnable(BOOL) { Default(); }
  virtual void OnSysCommand(UINT, LPARAM) { Default(); }
  virtual BOOL OnDeviceChange(UINT, DWORD_PTR) { return static_cast<BOOL>(Default()); }
  virtual UINT OnPowerBroadcast(UINT, LPARAM) { return static_cast<UINT>(Default()); }
  virtual HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
  virtual void OnDrawItem(int, DRAWITEMSTRUCT*) { Default(); }

  WNDPROC m_pfnSuper = nullptr;

 private:
  friend void AttachObject(HWND, CWnd*);
  friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
  void Detach();
  MSG m_current;
  CMenu m_sysMenu;
};

LRESULT AfxWndProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);

// The name of a plain window class (default processing, no background) for
// windows of CWnd-derived classes: hidden helper windows and the like.
const char* AfxRegisterWndClass(UINT class_style = 0);

class CButton : public CWnd {
 public:
  BOOL Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
  void SetState(BOOL pressed) { SendMessage(BM_SETSTATE, static_cast<WPARAM>(pressed)); }
  int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
  UINT GetButtonStyle() const { return GetStyle() & 0xFFFF; }
  // Owner-drawn buttons paint here.
  virtual void DrawItem(DRAWITEMSTRUCT*) {}

 protected:
  BOOL OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT* result) override;
};

class CStatic : public CWnd {
 public:
  BOOL Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};

class CEdit : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
};

class CProgressCtrl : public CWnd {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  int SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
  int GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
  void SetRange(short lo, short hi) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lo, hi)); }
  void SetRange32(int lo, int hi) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lo), hi); }
  void GetRange(int& lo, int& hi) const;
  int SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
  int StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
  int OffsetPos(int delta) { return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta))); }
};

// Binding of dialog controls to members (DoDataExchange).
class CDataExchange {
 public:
  CDataExchange(CWnd* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);

}  // namespace vexaro::gui
