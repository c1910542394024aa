// The engine's controls for the program's own C++ code beside the ISP_*
// functions: stopping a running transfer from another thread, and the key
// block setter by its namespaced name. The engine's insides stay in engine.h.
#pragma once

#include "isp/isp_api.h"

namespace vexaro::isp {

// Asks a running ISP_WriteProgramB to end before its next report, which it
// then fails (true), or withdraws the request (false). The one engine call
// another thread may make while a transfer runs; the request stays until
// withdrawn or until the engine is reset.
void RequestTransferStop(bool stop);

// The exported key block setter (isp_api.h), also reachable by this name.
using ::ISP_SetCrcKey;

}  // namespace vexaro::isp
