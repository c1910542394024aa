// The engine's last device failure, read from its one session.
#include "isp/isp_status.h"

#include "isp/engine.h"

namespace vexaro::isp {

hid::Error LastDeviceError() { return TheEngine().LastDeviceError(); }

}  // namespace vexaro::isp
