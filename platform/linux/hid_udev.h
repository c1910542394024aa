// What udev knows of the hidraw nodes: their USB identity and how many
// top-level collections each has (from the report descriptor that sysfs
// shows to everyone, so listing needs no permission on the nodes).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/hid/hid.h"

struct udev;
struct udev_device;

namespace vexaro::hid::hidraw {

struct NodeInfo {
  std::string syspath;  // of the hidraw device: the node's identity while it is there
  std::string devnode;  // /dev/hidrawN
  unsigned number = 0;  // N, for the listing order
  Attributes attributes;
  int interfaceNumber = -1;
  std::size_t collectionCount = 1;
  // The USB device's name in sysfs, its port chain ("1-2.3": bus 1, port 2
  // of the root hub, port 3 of the hub there); empty off USB.
  std::string port;
};

// Fills info from a hidraw udev device; false when it is not one or has no
// HID parent to take the ids from.
bool DescribeNode(udev_device* device, NodeInfo& info);
// The hidraw nodes present, ordered by node number.
std::vector<NodeInfo> ListNodes(udev* context);
// The node of devnode ("/dev/hidrawN") as it is now; false when it is not there.
bool FindNode(udev* context, const std::string& devnode, NodeInfo& info);
// The interface paths of a node, one per top-level collection.
std::vector<std::string> PathsOf(const NodeInfo& info);

}  // namespace vexaro::hid::hidraw
