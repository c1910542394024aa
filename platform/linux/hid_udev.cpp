// Node descriptions from libudev and sysfs.
#include "platform/linux/hid_udev.h"

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/linux/hid_paths.h"
#include "platform/linux/hid_report_descriptor.h"

namespace vexaro::hid::hidraw {
namespace {

constexpr const char* kDevnodePrefix = "/dev/hidraw";

struct EnumerateDeleter {
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
};
struct DeviceDeleter {
  void operator()(udev_device* d) const { udev_device_unref(d); }
};

// HID_ID is "bus:vendor:product", each in hex ("0003:00003C9A:00000A21").
bool ParseHidId(const char* text, Attributes& attributes) {
  unsigned bus = 0, vendor = 0, product = 0;
  if (text == nullptr || std::sscanf(text, "%x:%x:%x", &bus, &vendor, &product) != 3) return false;
  if (vendor > 0xFFFF || product > 0xFFFF) return false;
  attributes.vendorId = static_cast<std::uint16_t>(vendor);
  attributes.productId = static_cast<std::uint16_t>(product);
  return true;
}

unsigned long HexAttribute(udev_device* device, const char* name, unsigned long fallback) {
  const char* text = device == nullptr ? nullptr : udev_device_get_sysattr_value(device, name);
  if (text == nullptr) return fallback;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text, &end, 16);
  return end == text ? fallback : value;
}

// The descriptor as sysfs shows it on the HID device; an unreadable or
// malformed one counts as a single collection, which Open checks again.
std::size_t CountCollections(udev_device* hid) {
  const std::string file = std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 1;
  std::vector<std::uint8_t> bytes(kMaxDescriptorBytes);
  const ssize_t n = ::read(fd, bytes.data(), bytes.size());
  ::close(fd);
  ReportDescriptor parsed;
  if (n <= 0 || ParseReportDescriptor(bytes.data(), static_cast<std::size_t>(n), parsed) !=
                    DescriptorStatus::kOk) {
    return 1;
  }
  return std::max<std::size_t>(1, parsed.collections.size());
}

bool NodeNumber(const std::string& devnode, unsigned& number) {
  const std::size_t prefix = std::strlen(kDevnodePrefix);
  if (devnode.compare(0, prefix, kDevnodePrefix) != 0 || devnode.size() == prefix) return false;
  char* end = nullptr;
  number = static_cast<unsigned>(std::strtoul(devnode.c_str() + prefix, &end, 10));
  return *end == '\0';
}

}  // namespace

bool DescribeNode(udev_device* device, NodeInfo& info) {
  const char* devnode = udev_device_get_devnode(device);
  if (devnode == nullptr) return false;
  info.devnode = devnode;
  info.syspath = udev_device_get_syspath(device);
  if (!NodeNumber(info.devnode, info.number)) return false;
  udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
  if (hid == nullptr ||
      !ParseHidId(udev_device_get_property_value(hid, "HID_ID"), info.attributes)) {
    return false;
  }
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
  info.attributes.versionNumber = static_cast<std::uint16_t>(HexAttribute(usb, "bcdDevice", 0));
  const char* usbName = usb == nullptr ? nullptr : udev_device_get_sysname(usb);
  info.port = usbName == nullptr ? std::string{} : std::string(usbName);
  udev_device* intf = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_interface");
  info.interfaceNumber = intf == nullptr
                             ? kNoInterfaceNumber
                             : static_cast<int>(HexAttribute(intf, "bInterfaceNumber", 0) & 0xFF);
  info.collectionCount = CountCollections(hid);
  return true;
}

std::vector<NodeInfo> ListNodes(udev* context) {
  std::vector<NodeInfo> nodes;
  std::unique_ptr<udev_enumerate, EnumerateDeleter> e(udev_enumerate_new(context));
  if (!e || udev_enumerate_add_match_subsystem(e.get(), "hidraw") < 0 ||
      udev_enumerate_scan_devices(e.get()) < 0) {
    return nodes;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
    std::unique_ptr<udev_device, DeviceDeleter> device(
        udev_device_new_from_syspath(context, udev_list_entry_get_name(entry)));
    NodeInfo info;
    if (device && DescribeNode(device.get(), info)) nodes.push_back(std::move(info));
  }
  std::sort(nodes.begin(), nodes.end(),
            [](const NodeInfo& a, const NodeInfo& b) { return a.number < b.number; });
  return nodes;
}

bool FindNode(udev* context, const std::string& devnode, NodeInfo& info) {
  unsigned number = 0;
  if (!NodeNumber(devnode, number)) return false;
  const std::string sysname = devnode.substr(std::strlen("/dev/"));
  std::unique_ptr<udev_device, DeviceDeleter> device(
      udev_device_new_from_subsystem_sysname(context, "hidraw", sysname.c_str()));
  return device && DescribeNode(device.get(), info);
}

std::vector<std::string> PathsOf(const NodeInfo& info) {
  std::vector<std::string> paths;
  for (std::size_t c = 0; c < info.collectionCount; ++c) {
    InterfacePathParts parts{info.devnode, info.attributes.vendorId, info.attributes.productId,
                             info.interfaceNumber, c};
    paths.push_back(FormatInterfacePath(parts, info.collectionCount));
  }
  return paths;
}

}  // namespace vexaro::hid::hidraw
