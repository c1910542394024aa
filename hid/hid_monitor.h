// The HID monitor: opens every present and arriving HID collection that
// matches a vendor, product and usage list, reads its input reports on a
// thread of its own and tells a client window of each collection it opens or
// closes. Monitors live in five numbered slots used through these functions.
#pragma once

#include <cstdint>

#include "platform/gui/types.h"
#include "platform/hid/error.h"

namespace vexaro::usb {

inline constexpr int kHidMonitorSlots = 5;
inline constexpr int kMaxUsagePairs = 10;

struct HID_USAGE_PAIR {
  std::uint32_t dwUsage = 0;
  std::uint32_t dwUsagePage = 0;
};

// A collection matches when vendor and product are equal and one of the first
// dwUsageCount pairs has its usage and usage page.
struct HID_MONITOR_CONFIG {
  std::uint32_t dwVendorID = 0;
  std::uint32_t dwProductID = 0;
  std::uint32_t dwUsageCount = 0;  // 0..kMaxUsagePairs; larger counts are taken as 10
  HID_USAGE_PAIR Usages[kMaxUsagePairs] = {};
};

// Called on a collection's reader thread with every input report: the device
// id the monitor gave the collection, the report (report id first) and the
// collection's input report length. Must return quickly.
using INPUT_REPORT_PROC = void (*)(std::uint16_t deviceId, const std::uint8_t* report,
                                   std::uint32_t length);

// All functions take the slot (0..kHidMonitorSlots-1) last; another slot
// number does nothing and returns 0. All but HidMon_Stop create the slot's
// monitor on first use. Call them from one thread (the client's).

// Copies the record; it applies to collections opened afterwards.
void HidMon_SetConfig(const HID_MONITOR_CONFIG* config, int slot);
// nullptr: reports are read and dropped.
void HidMon_SetCallback(INPUT_REPORT_PROC callback, int slot);
// Starts the monitor's window thread (waiting up to 2000 ms for it) and opens
// every matching collection present, sending msg with an opened record for
// each to client (from this thread, handled before the call returns). Returns
// the next device id (>= 2) when a collection was attached since the start or
// the last suspension; 0 when none (an all-zero closed record is sent then) or
// when the thread or the notification registration could not be set up (no
// record). Again on a running monitor: enumerates again under new ids.
int HidMon_Start(gui::HWND client, gui::UINT msg, int slot);
// Closes every collection without sending records, ends the window thread
// and frees the monitor. Nothing for an empty slot.
void HidMon_Stop(int slot);
// Writes data (cut to the output report length less the report id byte) as
// one output report of the collection with that id, report id first.
// Blocks until written. Nonzero written; 0 for id 0 or an unknown id, a
// suspended monitor, a collection without output items or a failed write.
int HidMon_Write(std::uint16_t deviceId, const std::uint8_t* data, std::uint32_t length, int slot);
// GET_REPORT for an input report of the collection with that id, using the
// output report's id and length; the answer's bytes from 1 on are copied to
// data (length bytes at most). Nonzero received; 0 refused as HidMon_Write or failed.
int HidMon_GetInputReport(std::uint16_t deviceId, std::uint8_t* data, std::uint32_t length,
                          int slot);
// Why the last collection that matches the slot's configuration could not
// be opened, since the slot's last start; reason kNone when none was refused,
// or one has been attached since, or the slot has no monitor.
hid::Error HidMon_GetOpenError(int slot);

}  // namespace vexaro::usb
