// Where a Windows HID interface sits: the device instance its path names,
// the USB device's location path with a composite device's interface part
// cut off, and no port for a path the system does not know.
#include <gtest/gtest.h>

#include <string>

#include "platform/windows/hid_win_port.h"

namespace vexaro::hid::win {
namespace {

TEST(WindowsPort, InstanceIdAndUsbDeviceLocation) {
  const struct {
    const char* path;
    const char* instance;
  } paths[] = {
      {"\\\\?\\hid#vid_3c9a&pid_0a21&mi_01&col02#7&2a4b1c&0&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}",
       "hid\\vid_3c9a&pid_0a21&mi_01&col02\\7&2a4b1c&0&0001"},
      {"\\\\?\\hid#vid_3c9a&pid_1a21#6&11&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}",
       "hid\\vid_3c9a&pid_1a21\\6&11&0&0000"},
      {"hid#vid_3c9a&pid_1a21#6&11&0&0000#{guid}", ""},  // no "\\?\" in front
      {"\\\\?\\#{guid}", ""},
      {"\\\\?\\hid#vid_3c9a&pid_1a21", ""},  // no interface class
      {"", ""},
  };
  for (const auto& p : paths) EXPECT_EQ(InstanceIdOfInterfacePath(p.path), p.instance) << p.path;

  const struct {
    const char* location;
    const char* device;
  } locations[] = {
      {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)#USBMI(1)", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)"},
      {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(3)"},
      {"USBMI(0)", "USBMI(0)"},
      {"", ""},
  };
  for (const auto& l : locations) EXPECT_EQ(UsbDeviceLocation(l.location), l.device) << l.location;

  // wine has no USB devices behind its HID paths: the port is unknown, not made up.
  EXPECT_EQ(PortOfInterface("\\\\?\\hid#vid_3c9a&pid_1a21#6&11&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}"), "");
}

}  // namespace
}  // namespace vexaro::hid::win
