// The record the HID monitor sends to its client window for every collection
// it opens or closes, and the two messages that carry the keyboard's comings
// and goings from the monitor to the report channel and on to its owner.
#pragma once

#include <cstdint>

#include "platform/gui/types.h"

namespace vexaro::usb {

// Sent (synchronously) by the monitor: wParam 1, lParam the address of a
// _DEVICE_STATE that is valid during the call.
inline constexpr gui::UINT WM_DEVICE_STATE = 0x0502;
// Posted by the report channel to its owner: wParam 0, lParam 1 present, 0 absent.
inline constexpr gui::UINT WM_USB_PRESENCE = 0x5401;

inline constexpr std::uint32_t kCollectionClosed = 0;
inline constexpr std::uint32_t kCollectionOpened = 1;

// 16 bytes, little-endian. All fields 0: an enumeration found nothing.
struct _DEVICE_STATE {
  std::uint32_t dwState = 0;  // kCollectionOpened or kCollectionClosed
  std::uint16_t wDeviceID = 0;
  std::uint16_t wVendorID = 0;
  std::uint16_t wProductID = 0;
  std::uint16_t wUsage = 0;
  std::uint16_t wUsagePage = 0;
  std::uint16_t wReserved = 0;
};
static_assert(sizeof(_DEVICE_STATE) == 16);

}  // namespace vexaro::usb
