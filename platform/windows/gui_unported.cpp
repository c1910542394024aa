// Windows build of the window framework: what the Windows backend does not
// offer yet (the native display) reports that it is missing.
#include "platform/gui/display.h"

namespace vexaro::gui {

std::unique_ptr<Display> MakeNativeDisplay() { return nullptr; }
}  // namespace vexaro::gui
