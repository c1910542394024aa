// The five monitor slots and the slot functions.
#include "hid/hid_monitor.h"

#include <array>
#include <mutex>
#include <new>

#include "hid/chid_monitor.h"

namespace vexaro::usb {
namespace {

// Slots are filled and emptied by the client thread and searched by every
// monitor's window thread; the lock keeps a search off a monitor being freed.
std::mutex g_slotsLock;
std::array<CHidMonitor*, kHidMonitorSlots> HidMonitorSlots{};

bool ValidSlot(int slot) { return slot >= 0 && slot < kHidMonitorSlots; }

CHidMonitor* SlotMonitor(int slot) {
  if (!ValidSlot(slot)) return nullptr;
  std::lock_guard lock(g_slotsLock);
  CHidMonitor*& m = HidMonitorSlots[static_cast<std::size_t>(slot)];
  if (m == nullptr) m = new (std::nothrow) CHidMonitor;
  return m;
}

}  // namespace

CHidMonitor* MonitorOfWindow(gui::HWND hwnd) {
  std::lock_guard lock(g_slotsLock);
  for (CHidMonitor* m : HidMonitorSlots) {
    if (m != nullptr && m->HiddenWindow() == hwnd) return m;
  }
  return nullptr;
}

void HidMon_SetConfig(const HID_MONITOR_CONFIG* config, int slot) {
  CHidMonitor* m = SlotMonitor(slot);
  if (m != nullptr && config != nullptr) m->SetConfig(*config);
}

void HidMon_SetCallback(INPUT_REPORT_PROC callback, int slot) {
  if (CHidMonitor* m = SlotMonitor(slot)) m->SetCallback(callback);
}

int HidMon_Start(gui::HWND client, gui::UINT msg, int slot) {
  CHidMonitor* m = SlotMonitor(slot);
  return m != nullptr ? m->Start(client, msg) : 0;
}

void HidMon_Stop(int slot) {
  if (!ValidSlot(slot)) return;
  CHidMonitor* m = nullptr;
  {
    std::lock_guard lock(g_slotsLock);
    m = HidMonitorSlots[static_cast<std::size_t>(slot)];
  }
  if (m == nullptr) return;
  m->Stop();  // returns once the window thread and every reader have ended
  {
    std::lock_guard lock(g_slotsLock);
    HidMonitorSlots[static_cast<std::size_t>(slot)] = nullptr;
  }
  delete m;
}

int HidMon_Write(std::uint16_t deviceId, const std::uint8_t* data, std::uint32_t length, int slot) {
  CHidMonitor* m = SlotMonitor(slot);
  return m != nullptr ? m->Write(deviceId, data, length) : 0;
}

hid::Error HidMon_GetOpenError(int slot) {
  if (!ValidSlot(slot)) return {};
  CHidMonitor* m = nullptr;
  {
    std::lock_guard lock(g_slotsLock);
    m = HidMonitorSlots[static_cast<std::size_t>(slot)];
  }
  return m != nullptr ? m->OpenError() : hid::Error{};
}

int HidMon_GetInputReport(std::uint16_t deviceId, std::uint8_t* data, std::uint32_t length,
                          int slot) {
  CHidMonitor* m = SlotMonitor(slot);
  return m != nullptr ? m->GetInputReport(deviceId, data, length) : 0;
}

}  // namespace vexaro::usb
