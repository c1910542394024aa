// Why the engine last failed to find, open or talk to the device, for the
// program's messages: a loader node refused for permission is not "no
// loader". The C functions of isp_api.h keep their integer codes.
#pragma once

#include "platform/hid/error.h"

namespace vexaro::isp {

// The engine's (TheEngine()'s) last failure of a device search, an open or a
// transfer. Reason kNone: nothing failed since the last search that found
// and opened the device. kNotFound: the last search saw no interface with
// the wanted ids. Any other reason: a wanted interface refused to open (path
// names it), or the last failed write, status poll or data read (a status
// window that ran out gives kTimedOut). Read it on the thread that uses the
// engine, after the call that failed; ResetEngine clears it.
hid::Error LastDeviceError();

}  // namespace vexaro::isp
