// Windows and messages: window classes, creation and destruction, per-thread
// message queues with posted and sent messages, timers on the program clock,
// painting, focus, capture, regions, message boxes. Every window belongs to the
// thread that created it; calls that change a window from another thread are
// carried to that thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/gui/gdi.h"
#include "platform/gui/types.h"

namespace vexaro::gui {

struct WNDCLASS {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  HICON hIcon = nullptr;
  HBRUSH hbrBackground = nullptr;  // erased with this when set
  std::string lpszClassName;
};

// Classes. The framework registers "BUTTON", "STATIC", "EDIT",
// "msctls_progress32" and the dialog class "#32770" itself.
BOOL RegisterClass(const WNDCLASS& wc);   // FALSE when the name is taken
BOOL UnregisterClass(std::string_view name);
DWORD GetClassLong(HWND hwnd, int index);
DWORD SetClassLong(HWND hwnd, int index, DWORD value);

// Creation. For child windows, menu_or_id is the control id. Positions of
// children are client coordinates of the parent, of top-level windows screen
// coordinates. Top-level windows have no non-client area: client = window.
HWND CreateWindowEx(DWORD ex_style, std::string_view class_name, std::string_view title,
                    DWORD style, int x, int y, int width, int height, HWND parent,
                    std::uintptr_t menu_or_id, void* param = nullptr);
BOOL DestroyWindow(HWND hwnd);
BOOL IsWindow(HWND hwnd);
BOOL IsChild(HWND parent, HWND hwnd);
HWND GetParent(HWND hwnd);
HWND GetAncestorTop(HWND hwnd);  // the top-level window that holds hwnd
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND hwnd);
LONG_PTR GetWindowLongPtr(HWND hwnd, int index);
LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value);

// State. Safe from any thread: changes are carried to the owning thread.
BOOL SetWindowText(HWND hwnd, std::string_view text);
std::string GetWindowText(HWND hwnd);
int GetWindowTextLength(HWND hwnd);
BOOL EnableWindow(HWND hwnd, BOOL enable);  // returns whether it was disabled before
BOOL IsWindowEnabled(HWND hwnd);
BOOL ShowWindow(HWND hwnd, int cmd);        // returns whether it was visible before
BOOL IsWindowVisible(HWND hwnd);            // visible itself and every ancestor
BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
BOOL GetWindowRect(HWND hwnd, RECT* rect);  // screen coordinates
BOOL GetClientRect(HWND hwnd, RECT* rect);
BOOL ClientToScreen(HWND hwnd, POINT* p);
BOOL ScreenToClient(HWND hwnd, POINT* p);
// The window under a screen point; where none of the program's windows is,
// the desktop (GetDesktopWindow), never nullptr, as the system answers.
HWND WindowFromPoint(POINT screen);
// The desktop behind every window. It stands for the screen in comparisons
// only: it is no window of the framework (IsWindow says false, messages to it
// go nowhere).
HWND GetDesktopWindow();
HWND ChildWindowFromPoint(HWND parent, POINT client);
// The window takes the region (window coordinates); nullptr removes it.
int SetWindowRgn(HWND hwnd, HRGN region, BOOL redraw);
int GetWindowRgn(HWND hwnd, HRGN out);
LRESULT SendIconMessage(HWND hwnd, int which, HICON icon);

// Focus, activation, capture and mouse tracking.
HWND SetFocus(HWND hwnd);
HWND GetFocus();
HWND SetActiveWindow(HWND hwnd);
HWND GetActiveWindow();
HWND GetForegroundWindow();
HWND SetCapture(HWND hwnd);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL GetCursorPos(POINT* p);
struct TRACKMOUSEEVENT {
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
};
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);  // TME_LEAVE: one WM_MOUSELEAVE

// The system menu's close command; greyed it ignores close requests.
BOOL EnableCloseCommand(HWND hwnd, BOOL enable);
BOOL IsCloseCommandEnabled(HWND hwnd);

// Messages.
LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = 0);
// Gives up after timeout_ms on the program clock; result 0 then and *result untouched.
LRESULT SendMessageTimeout(HWND hwnd, UINT msg, WPARAM w, LPARAM l, UINT flags,
                           UINT timeout_ms, LRESULT* result);
BOOL PostMessage(HWND hwnd, UINT msg, WPARAM w = 0, LPARAM l = 0);
void PostQuitMessage(int code);
BOOL GetMessage(MSG* msg, HWND filter = nullptr, UINT min = 0, UINT max = 0);
BOOL PeekMessage(MSG* msg, HWND filter, UINT min, UINT max, UINT remove);
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessage(const MSG* msg);
LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l);
LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM w, LPARAM l);
BOOL InSendMessage();
// Handles every message of the calling thread that is ready now (sent,
// posted, paint, due timers) and returns without waiting; false after WM_QUIT
// was seen (the quit stays pending for the loop that owns it).
bool PumpPendingMessages();

// Timers on the program clock, delivered as WM_TIMER on the owning thread.
UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, void* unused = nullptr);
BOOL KillTimer(HWND hwnd, UINT_PTR id);

// Painting.
BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND hwnd, const RECT* rect);
BOOL UpdateWindow(HWND hwnd);
BOOL RedrawWindow(HWND hwnd);
HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL erase);

// Resources embedded in the program, by numeric id.
HBITMAP LoadBitmap(int id);
HICON LoadIcon(int id);

// Modal message box with an OK button; returns IDOK. In a program without a
// system display (one that links only the core, vexaro_gui) nobody could
// answer it: "caption: text" goes to standard error as one line and IDOK
// comes back at once. A hook comes first either way.
int MessageBox(HWND owner, std::string_view text, std::string_view caption = "Error",
               UINT type = MB_OK);
// Tests and headless runs may answer message boxes without showing them: a
// hook that returns a button id stands in for the user. Empty restores.
using MessageBoxHook = std::function<int(std::string_view text, std::string_view caption, UINT type)>;
void SetMessageBoxHook(MessageBoxHook hook);

int GetSystemMetrics(int index);
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXICON = 11, SM_CYICON = 12;

}  // namespace vexaro::gui
