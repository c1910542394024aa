// Windows build of the window framework: the native display (user32 windows
// painted with GDI) is not written yet, so windows go to the headless display.
#include "platform/gui/backend.h"

namespace vexaro::gui {

std::unique_ptr<Display> MakeNativeDisplay() { return nullptr; }

}  // namespace vexaro::gui
