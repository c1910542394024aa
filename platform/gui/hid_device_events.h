// Connects the HID platform's device events to the window framework: interface
// arrivals and removals, removals of opened handles, suspend and resume reach
// registered windows as WM_DEVICECHANGE and WM_POWERBROADCAST.
#pragma once

#include "platform/gui/devnotify.h"
#include "platform/hid/hid.h"

namespace vexaro::gui {

// The class of HID device interfaces, {4D1E55B2-F16F-11CF-88CB-001111000030}:
// windows register a DEV_BROADCAST_DEVICEINTERFACE filter with it.
inline constexpr GUID kHidInterfaceClassGuid{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// The value that stands for a handle opened through platform/hid in a
// DEV_BROADCAST_HANDLE filter and record; nullptr for kInvalidHandle (or any
// negative value).
const void* DeviceNotifyHandle(hid::Handle handle);
// The reverse: kInvalidHandle for nullptr.
hid::Handle HidHandleFromNotify(const void* notifyHandle);

// Subscribes once to the HID platform's events and broadcasts each to the
// windows registered for it: interface arrival and removal as
// DBT_DEVICEARRIVAL / DBT_DEVICEREMOVECOMPLETE with the class and path,
// removal of an opened handle as DBT_DEVICEREMOVECOMPLETE for that handle,
// suspend and resume as PBT_APMSUSPEND / PBT_APMRESUMEAUTOMATIC. A second
// call while connected changes nothing. True when connected.
bool ConnectHidDeviceEvents();
// Ends the subscription; returns after any event being broadcast has been
// posted, and nothing is broadcast afterwards. Must not be called from inside
// a HID platform event callback (it waits for the running one).
void DisconnectHidDeviceEvents();

}  // namespace vexaro::gui
