// The process's view of the bus narrowed to one port (hid.h FollowPort):
// which interfaces and events a program that follows a port gets to see.
#pragma once

#include <string>
#include <vector>

#include "platform/hid/hid.h"

namespace vexaro::hid {

class Backend;

// The interfaces of paths at the followed port; all of them when none is followed.
std::vector<std::string> VisibleInterfaces(Backend& backend, std::vector<std::string> paths);
// Whether a device event reaches the subscribers: events without a path and
// those whose port cannot be known (a removed node) always do.
bool EventVisible(Backend& backend, const DeviceEvent& event);

}  // namespace vexaro::hid
