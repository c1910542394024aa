// The default handling every window falls back on, and that of dialogs.
#include <utility>
#include <cstring>

#include "platform/gui/display.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_NCCREATE: return TRUE;
    case WM_SETTEXT: {
      const char* text = reinterpret_cast<const char*>(l);
      bool top = false;
      {
        std::lock_guard lock(GetState().m);
        WindowRecord* rec = Find(hwnd);
        if (!rec) return FALSE;
        rec->text = text ? text : "";
        top = !rec->IsChild();
      }
      if (top) CurrentDisplay().SetTitle(hwnd, text ? text : "");
      return TRUE;
    }
    case WM_GETTEXT: {
      const std::string text = GetWindowText(hwnd);
      char* out = reinterpret_cast<char*>(l);
      if (!out || w == 0) return 0;
      const std::size_t n = std::min<std::size_t>(text.size(), w - 1);
      std::memcpy(out, text.data(), n);
      out[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: return GetWindowTextLength(hwnd);
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH brush = nullptr;
      {
        std::lock_guard lock(GetState().m);
        WindowRecord* rec = Find(hwnd);
        if (rec) brush = rec->cls->wc.hbrBackground;
      }
      if (!brush) return 0;
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, brush);
      return 1;
    }
    case WM_SETFONT: {
      {
        std::lock_guard lock(GetState().m);
        WindowRecord* rec = Find(hwnd);
        if (rec) rec->font = reinterpret_cast<HFONT>(w);
      }
      if (l) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case WM_GETFONT: {
      std::lock_guard lock(GetState().m);
      WindowRecord* rec = Find(hwnd);
      return rec ? reinterpret_cast<LRESULT>(rec->font) : 0;
    }
    case WM_SETICON: {
      HICON icon = reinterpret_cast<HICON>(l), old = nullptr;
      bool top = false;
      {
        std::lock_guard lock(GetState().m);
        WindowRecord* rec = Find(hwnd);
        if (!rec || w > 1) return 0;
        old = std::exchange(rec->icons[w], icon);
        top = !rec->IsChild();
      }
      if (top && icon && w == ICON_BIG) CurrentDisplay().SetIcon(hwnd, *icon);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_NCLBUTTONDOWN:
      if (static_cast<int>(w) == HTCAPTION) BeginCaptionDrag(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      if ((w & 0xFFF0) == SC_CLOSE && IsCloseCommandEnabled(hwnd)) SendMessage(hwnd, WM_CLOSE, 0, 0);
      return 0;
    case WM_NCHITTEST: return HTCLIENT;
    case WM_DEVICECHANGE:
    case WM_POWERBROADCAST: return TRUE;
    default: return 0;
  }
}

LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(reinterpret_cast<HDC>(w), &r, GetSysColorBrush(COLOR_BTNFACE));
      // Framed dialogs (message boxes and the like) get a thin border.
      if (GetWindowLongPtr(hwnd, GWL_STYLE) & (WS_CAPTION | DS_MODALFRAME)) {
        Brush frame(RGB(100, 100, 100));
        FrameRect(reinterpret_cast<HDC>(w), &r, &frame);
      }
      return 1;
    }
    case WM_CLOSE:
      SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
      return 0;
    case DM_GETDEFID: {
      std::lock_guard lock(GetState().m);
      WindowRecord* rec = Find(hwnd);
      if (!rec) return 0;
      for (HWND c : rec->children)
        if (WindowRecord* child = Find(c); child && child->cls->wc.lpszClassName == "BUTTON" &&
                                           (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
          return MAKELPARAM(child->id, 0x534B);
      return MAKELPARAM(IDOK, 0x534B);
    }
    default: return DefWindowProc(hwnd, msg, w, l);
  }
}

}  // namespace vexaro::gui
