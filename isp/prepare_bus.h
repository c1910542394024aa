// The hook a session runs before every search of the bus: the engine linked
// into a program does nothing there (program_bus.cpp); the shared library
// plugs in its demo simulated keyboard on first use (library_bus.cpp).
#pragma once

namespace vexaro::isp {

void PrepareBus();

}  // namespace vexaro::isp
