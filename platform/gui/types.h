// Basic types, message numbers, styles and flags of the window framework. The
// names and values follow the classic Windows dialog programs the updater is
// written like, so that code reads the same on every display backend.
#pragma once

#include <cstdint>
#include <string>

namespace vexaro::gui {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Opaque handles. A window handle is a number that is never reused, so a
// handle of a destroyed window stays comparable and is refused by every call.
struct HWND__;
using HWND = HWND__*;
struct HDEVNOTIFY__;
using HDEVNOTIFY = HDEVNOTIFY__*;

struct GdiObject;
struct Bitmap;
struct Font;
struct Region;
struct Brush;
struct DeviceContext;
using HGDIOBJ = GdiObject*;
using HBITMAP = Bitmap*;
using HICON = Bitmap*;
using HCURSOR = Bitmap*;
using HFONT = Font*;
using HRGN = Region*;
using HBRUSH = Brush*;
using HDC = DeviceContext*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
  LONG x = 0;
  LONG y = 0;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

constexpr COLORREF RGB(int r, int g, int b) {
  return static_cast<COLORREF>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }
constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<std::int16_t>(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<std::int16_t>((l >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return static_cast<LPARAM>((static_cast<std::uint32_t>(lo) & 0xFFFF) |
                             ((static_cast<std::uint32_t>(hi) & 0xFFFF) << 16));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) {
  return static_cast<WPARAM>(static_cast<std::uint32_t>(MAKELPARAM(lo, hi)));
}

// Window messages.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
               WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
               WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D,
               WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012,
               WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018, WM_SETCURSOR = 0x0020,
               WM_DRAWITEM = 0x002B, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031,
               WM_QUERYDRAGICON = 0x0037, WM_POWERBROADCAST = 0x0218, WM_DEVICECHANGE = 0x0219,
               WM_SETICON = 0x0080, WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082,
               WM_NCHITTEST = 0x0084, WM_NCLBUTTONDOWN = 0x00A1, WM_KEYDOWN = 0x0100,
               WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111,
               WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_MOUSEMOVE = 0x0200,
               WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
               WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_CAPTURECHANGED = 0x0215,
               WM_MOUSELEAVE = 0x02A3, WM_USER = 0x0400, WM_APP = 0x8000;

// Button, progress and dialog messages.
constexpr UINT BM_GETCHECK = 0x00F0, BM_SETCHECK = 0x00F1, BM_GETSTATE = 0x00F2,
               BM_SETSTATE = 0x00F3, BM_SETSTYLE = 0x00F4, BM_CLICK = 0x00F5;
constexpr UINT PBM_SETRANGE = WM_USER + 1, PBM_SETPOS = WM_USER + 2, PBM_DELTAPOS = WM_USER + 3,
               PBM_SETSTEP = WM_USER + 4, PBM_STEPIT = WM_USER + 5, PBM_SETRANGE32 = WM_USER + 6,
               PBM_GETRANGE = WM_USER + 7, PBM_GETPOS = WM_USER + 8;
constexpr UINT DM_GETDEFID = WM_USER + 0;

// Notifications, hit-test codes, commands.
constexpr UINT BN_CLICKED = 0;
constexpr int HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDYES = 6, IDNO = 7;
constexpr UINT SC_CLOSE = 0xF060, SC_MOVE = 0xF010;
constexpr UINT MF_BYCOMMAND = 0, MF_ENABLED = 0, MF_GRAYED = 1, MF_DISABLED = 2;
constexpr UINT MB_OK = 0, MB_OKCANCEL = 1, MB_ICONERROR = 0x10, MB_ICONWARNING = 0x30,
               MB_ICONINFORMATION = 0x40;
constexpr UINT PM_NOREMOVE = 0, PM_REMOVE = 1;
constexpr UINT SMTO_NORMAL = 0;

// Key and mouse state.
constexpr UINT MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008;
constexpr UINT VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_SHIFT = 0x10,
               VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_LEFT = 0x25, VK_UP = 0x26,
               VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E, VK_F1 = 0x70;
constexpr DWORD TME_LEAVE = 0x0002, TME_CANCEL = 0x80000000;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000,
                WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_SYSMENU = 0x00080000,
                WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000;
constexpr DWORD WS_EX_WINDOWEDGE = 0x100, WS_EX_CLIENTEDGE = 0x200,
                WS_EX_APPWINDOW = 0x40000, WS_EX_TOOLWINDOW = 0x80;
constexpr DWORD DS_SETFONT = 0x40, DS_MODALFRAME = 0x80, DS_FIXEDSYS = 0x0008,
                DS_CENTER = 0x0800;
constexpr DWORD BS_PUSHBUTTON = 0, BS_DEFPUSHBUTTON = 1, BS_CHECKBOX = 2,
                BS_AUTOCHECKBOX = 3, BS_GROUPBOX = 7, BS_OWNERDRAW = 0xB, BS_TYPEMASK = 0xF;
constexpr DWORD SS_LEFT = 0, SS_CENTER = 1, SS_RIGHT = 2, SS_NOTIFY = 0x100;
constexpr DWORD ES_LEFT = 0, ES_READONLY = 0x800, ES_AUTOHSCROLL = 0x80;
constexpr DWORD CS_PARENTDC = 0x80;
constexpr UINT BST_UNCHECKED = 0, BST_CHECKED = 1, BST_PUSHED = 4, BST_FOCUS = 8;

// Indexes for GetWindowLongPtr and GetClassLong.
constexpr int GWLP_WNDPROC = -4, GWLP_ID = -12, GWL_STYLE = -16, GWL_EXSTYLE = -20,
              GWLP_USERDATA = -21, GCL_STYLE = -26;

// ShowWindow and SetWindowPos.
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWNA = 8,
              SW_RESTORE = 9;
constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8,
               SWP_NOACTIVATE = 0x10, SWP_SHOWWINDOW = 0x40, SWP_HIDEWINDOW = 0x80;
constexpr int ICON_SMALL = 0, ICON_BIG = 1;

// Owner drawing.
constexpr UINT ODT_BUTTON = 4, ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4;
constexpr UINT ODS_SELECTED = 0x1, ODS_GRAYED = 0x2, ODS_DISABLED = 0x4, ODS_FOCUS = 0x10;

struct DRAWITEMSTRUCT {
  UINT CtlType = 0;
  UINT CtlID = 0;
  UINT itemID = 0;
  UINT itemAction = 0;
  UINT itemState = 0;
  HWND hwndItem = nullptr;
  HDC hDC = nullptr;
  RECT rcItem;
  std::uintptr_t itemData = 0;
};

struct CREATESTRUCT {
  void* lpCreateParams = nullptr;
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  DWORD style = 0;
  std::string name;
  std::string className;
  DWORD exStyle = 0;
};

}  // namespace vexaro::gui
