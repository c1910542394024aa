// The engine as part of a program (the updater, vexaro-flash, tests): the
// program chooses its HID backend and plugs in any simulated keyboard itself.
#include "isp/prepare_bus.h"

namespace vexaro::isp {

void PrepareBus() {}

}  // namespace vexaro::isp
