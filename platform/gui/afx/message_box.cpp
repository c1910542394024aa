// Message boxes: a small modal dialog with the text and an OK button, or,
// in a program without a system display, a line on standard error.
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/gui/afx/afx_dialog.h"
#include "platform/gui/display.h"

namespace vexaro::gui {
namespace {

std::mutex& HookLock() {
  static std::mutex m;
  return m;
}

MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}

// Dialog units wide enough for the text, each of its lines on one line up
// to a limit, past which it wraps.
DialogTemplate BoxTemplate(std::string_view text, std::string_view caption) {
  std::size_t longest = 0, wrapped = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    longest = std::max(longest, end - start);
    wrapped += (end - start) / 60 + 1;
    start = end + 1;
  }
  const int chars = static_cast<int>(std::min<std::size_t>(longest, 60));
  const int lines = static_cast<int>(wrapped);
  const int width = std::max(120, chars * 4 + 24);
  const int height = 8 * lines + 58;
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_MODALFRAME;
  t.cx = width;
  t.cy = height;
  t.caption = std::string(caption);
  // Windows here have no title bar, so the caption heads the box.
  t.items.push_back(LText(std::string(caption), 0xFFFE, 8, 4, width - 16, 8));
  t.items.push_back(LText(std::string(text), 0xFFFF, 12, 22, width - 24, 8 * lines));
  t.items.push_back(DefPushButton("OK", IDOK, (width - 50) / 2, height - 22, 50, 14));
  return t;
}

}  // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard lock(HookLock());
  Hook() = std::move(hook);
}

int MessageBox(HWND owner, std::string_view text, std::string_view caption, UINT type) {
  MessageBoxHook hook;
  {
    std::lock_guard lock(HookLock());
    hook = Hook();
  }
  if (hook) return hook(text, caption, type);
  if (!HasSystemDisplay()) {
    // Only the core is linked: no one could see the box, let alone answer
    // it, so the text goes where a terminal program's user reads and the box
    // counts as acknowledged.
    const std::string line = std::string(caption) + ": " + std::string(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return IDOK;
  }
  CDialog box(BoxTemplate(text, caption), CWnd::FromHandle(owner));
  const auto r = box.DoModal();
  return r == -1 ? 0 : IDOK;
}

}  // namespace vexaro::gui
