// The main window's private messages: requests that must run on its own
// thread when the update worker makes them.
#pragma once

#include <string>

#include "platform/gui/types.h"

namespace vexaro::app {

// wParam: kFocusUpdate or kFocusProgram.
constexpr gui::UINT kMsgFocus = gui::WM_APP + 1;
constexpr gui::WPARAM kFocusUpdate = 0, kFocusProgram = 1;
// lParam: a MessageBoxText that lives until the send returns.
constexpr gui::UINT kMsgMessageBox = gui::WM_APP + 2;

struct MessageBoxText {
  std::string text;
  std::string caption;
};

}  // namespace vexaro::app
