// The process-wide engine: the one Session that the ISP_* functions share,
// for the engine's own sources and its tests (reset between tests). The
// program's code outside isp/ uses isp_api.h and isp_control.h only.
#pragma once

#include "isp/crc.h"
#include "isp/isp_api.h"
#include "isp/isp_control.h"
#include "isp/protocol.h"
#include "isp/session.h"

namespace vexaro::isp {

// The one engine of the process. Callers must not enter it from two threads
// at once; the update controller's states keep them apart.
Session& TheEngine();

// Closes the engine's handles and puts every field back to its initial value.
inline void ResetEngine() { TheEngine().Reset(); }

}  // namespace vexaro::isp
