// Shared by the window framework tests: the headless display is forced before
// any window exists, and helpers pump the test thread's messages.
#pragma once

#include <cstdlib>

#include "platform/gui/gui.h"
#include "platform/headless/headless.h"
#include "platform/sys/sys.h"

namespace vexaro::gui::test {

inline bool ForceHeadless() {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "headless");
#else
  setenv("VEXARO_DISPLAY", "headless", 1);
#endif
  return true;
}
inline const bool kHeadless = ForceHeadless();

// Whether this build can draw text (the Windows build has no fonts yet).
inline bool FontsAvailable() {
  LOGFONT lf;
  lf.lfHeight = -11;
  HFONT f = CreateFontIndirect(&lf);
  const bool ok = f && f->face;
  DeleteObject(f);
  return ok;
}

// Whether this build writes PNG files (not yet on Windows).
inline bool PngAvailable() { return true; }

// Handles everything that is ready, repeatedly, until the thread's queue stays
// empty for a moment of program time.
inline void Pump(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) PumpPendingMessages();
}

// Runs the thread's message loop until pred holds or limit_ms of program
// time passed; true when pred held.
template <typename Pred>
bool PumpUntil(Pred pred, std::uint64_t limit_ms = 5000) {
  const std::uint64_t end = sys::NowMs() + limit_ms;
  while (!pred()) {
    if (sys::NowMs() >= end) return false;
    PumpPendingMessages();
    if (pred()) return true;
    sys::SleepMs(1);
  }
  return true;
}

// A plain top-level window with a recording procedure.
struct Recorder {
  std::vector<MSG> seen;
  bool Has(UINT msg) const {
    for (const MSG& m : seen)
      if (m.message == msg) return true;
    return false;
  }
  int Count(UINT msg) const {
    int n = 0;
    for (const MSG& m : seen) n += m.message == msg ? 1 : 0;
    return n;
  }
};

}  // namespace vexaro::gui::test
