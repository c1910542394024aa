// User input entering the window framework, from a display backend or from a
// test. Positions are screen coordinates. Safe to call from any thread: the
// resulting messages go to the queues of the windows' threads.
#pragma once

#include "platform/gui/types.h"

namespace vexaro::gui::input {

constexpr int kLeft = 0;
constexpr int kRight = 1;

void MouseMove(int x, int y);
void MouseButton(int button, bool down, int x, int y);
// Key press or release; ch is the character the key types (0 for none).
void Key(UINT vk, bool down, char ch = 0);
// The user asked to close a top-level window (title-bar close, window manager).
void CloseRequest(HWND hwnd);
// True while a window follows the mouse in a caption drag. A display whose
// pointer reports can miss positions while the window moves under the pointer
// (SDL drops a move that leaves the pointer where it last was in its window)
// follows the pointer itself meanwhile.
bool CaptionDragActive();

}  // namespace vexaro::gui::input
