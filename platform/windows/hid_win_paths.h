// Device interface paths of the Windows HID backend: taken out of the records
// that SetupAPI and device-change broadcasts hand over (their lengths checked),
// normalised to lower case, and read for the USB ids they carry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexaro::hid::win {

// Windows compares these paths without regard to case, and arrival broadcasts
// often spell them in capitals; the backend hands them on in lower case only.
std::string NormalizeInterfacePath(std::string_view path);

// The DevicePath of a SP_DEVICE_INTERFACE_DETAIL_DATA_A record of size bytes
// as SetupAPI filled it. False when the record is too short or the path is
// empty or not terminated inside it.
bool PathFromInterfaceDetail(const void* record, std::size_t size, std::string& path);

// The interface path of a DEV_BROADCAST_DEVICEINTERFACE_A broadcast (device
// type 5), read within the size the record states. False for other records,
// sizes out of bounds and empty names.
bool PathFromInterfaceBroadcast(const void* record, std::string& path);

// What a USB HID path says about its device: "vid_xxxx&pid_xxxx", and the
// "&mi_xx" interface and "&colxx" collection parts where present.
struct InterfaceIds {
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::optional<std::uint8_t> interfaceNumber;
  std::optional<std::uint8_t> collection;
};
// False when the path carries no well-formed "vid_xxxx&pid_xxxx".
bool ParseInterfaceIds(std::string_view path, InterfaceIds& ids);

}  // namespace vexaro::hid::win
