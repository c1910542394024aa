// Where the keyboards of the loaded package's kind sit: the ports of the
// interfaces that carry its application or loader ids. Reads interface
// paths only; opens no device.
#pragma once

#include <string>
#include <vector>

namespace vexaro::updater {

// One entry per port, in the order the system lists the interfaces; a
// keyboard whose port cannot be known is listed as "".
std::vector<std::string> KeyboardPorts();

// The port of the keyboard this process is about to drive: the followed port
// when there is one, else the one port of KeyboardPorts(); empty when no
// keyboard, several or an unknown port.
std::string PortToDrive();

}  // namespace vexaro::updater
