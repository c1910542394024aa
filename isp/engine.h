// The process-wide engine: the one Session that the ISP_* functions and the
// update controller share, and the few calls the program makes on it beside
// the C functions (key block, stop request, reset between tests).
#pragma once

#include "isp/crc.h"
#include "isp/isp_api.h"
#include "isp/protocol.h"
#include "isp/session.h"

namespace vexaro::isp {

// The one engine of the process. Callers must not enter it from two threads
// at once; the update controller's states keep them apart.
Session& TheEngine();

// Closes the engine's handles and puts every field back to its initial value.
inline void ResetEngine() { TheEngine().Reset(); }

// A stop request for a running ISP_WriteProgramB (Session::RequestTransferStop).
inline void RequestTransferStop(bool stop) { TheEngine().RequestTransferStop(stop); }

// The exported key block setter (isp_api.h), also reachable by this name.
using ::ISP_SetCrcKey;

}  // namespace vexaro::isp
