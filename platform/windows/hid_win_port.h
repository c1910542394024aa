// Where a Windows HID interface sits: the location path of its USB device,
// found by walking up the device tree from the interface's device node.
#pragma once

#include <string>
#include <string_view>

namespace vexaro::hid::win {

// The device instance id that an interface path names
// ("\\?\hid#vid_..&col02#7&1a2b&0&0001#{guid}" gives
// "hid\vid_..&col02\7&1a2b&0&0001"); empty when the path has no such shape.
std::string InstanceIdOfInterfacePath(std::string_view path);

// A location path cut to the USB device: an interface of a composite
// device ends in "#USBMI(n)", which the device itself does not carry.
std::string UsbDeviceLocation(std::string_view locationPath);

// The USB device's location path ("PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)")
// for an interface path; empty when the system does not give one.
std::string PortOfInterface(const std::string& path);

}  // namespace vexaro::hid::win
