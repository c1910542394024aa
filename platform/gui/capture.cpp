// Copies of what top-level windows show, for displays that have nowhere to
// show them (the headless display's captures).
#include <mutex>

#include "platform/gui/backend.h"
#include "platform/gui/internal/window_internal.h"

namespace vexaro::gui {

std::unique_ptr<Bitmap> CaptureTopLevel(HWND top_level) {
  std::unique_ptr<Bitmap> copy;
  if (!IsWindow(top_level)) return copy;
  RunOnOwner(top_level, [&]() -> LRESULT {
    UpdateWindow(top_level);
    std::lock_guard lock(GetState().m);
    WindowRecord* rec = Find(top_level);
    if (!rec || rec->IsChild() || !rec->canvas || !(rec->style & WS_VISIBLE)) return 0;
    copy = std::make_unique<Bitmap>(rec->canvas->width, rec->canvas->height);
    copy->pixels = rec->canvas->pixels;
    return 1;
  });
  return copy;
}

}  // namespace vexaro::gui
