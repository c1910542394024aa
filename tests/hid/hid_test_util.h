// Shared by the HID layer tests: the headless display and the simulated bus,
// a recording device with the keyboard's two collections, and a client
// window that keeps every state record the monitor sends it.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "hid/device_state.h"
#include "hid/hid_monitor.h"
#include "platform/gui/gui.h"
#include "platform/gui/hid_device_events.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "tests/gui/gui_test_util.h"

namespace vexaro::usb::test {

inline constexpr std::uint16_t kVid = 0x3C9A;
inline constexpr std::uint16_t kPid = 0x0A21;
inline constexpr gui::UINT kStateMsg = WM_DEVICE_STATE;

// The keyboard's vendor collection (65-byte reports, output report id 5 so
// the prefix can be seen) and, first, a boot keyboard collection.
inline simbus::DeviceDescriptor KeyboardDescriptor(std::uint16_t pid = kPid) {
  hid::Caps vendor;
  vendor.usagePage = 0xFF00;
  vendor.usage = 0x01;
  vendor.inputReportByteLength = 65;
  vendor.outputReportByteLength = 65;
  vendor.items = {{hid::ReportKind::kInput, false, 5, 0xFF00, 0, false, 1, 1, 8, 64},
                  {hid::ReportKind::kOutput, false, 5, 0xFF00, 0, false, 1, 1, 8, 64}};
  hid::Caps boot;
  boot.usagePage = 0x01;
  boot.usage = 0x06;
  boot.inputReportByteLength = 9;
  boot.outputReportByteLength = 2;
  boot.items = {{hid::ReportKind::kInput, true, 0, 0x07, 0, true, 0xE0, 0xE7, 1, 8},
                {hid::ReportKind::kOutput, true, 0, 0x08, 0, true, 0x01, 0x05, 1, 5}};
  return {{kVid, pid, 0x0100}, {boot, vendor}};
}

// Keeps the output reports it gets; answers GET_REPORT with `status`.
class RecordingDevice final : public simbus::Device {
 public:
  bool OnOutputReport(int, std::size_t collection, const std::uint8_t* data, std::size_t length) override {
    std::lock_guard lock(m);
    writes.push_back({collection, std::vector<std::uint8_t>(data, data + length)});
    return true;
  }
  bool OnGetInputReport(int, std::size_t, std::uint8_t* data, std::size_t length) override {
    std::lock_guard lock(m);
    requests.push_back(data[0]);
    if (status.empty()) return false;
    std::memcpy(data + 1, status.data(), std::min(status.size(), length - 1));
    return true;
  }
  struct Write {
    std::size_t collection;
    std::vector<std::uint8_t> bytes;
  };
  std::mutex m;
  std::vector<Write> writes;
  std::vector<std::uint8_t> requests;  // report ids asked for
  std::vector<std::uint8_t> status;
};

// A top-level window on the test thread that keeps the records sent to it.
class Client {
 public:
  Client() {
    static const bool registered = [] {
      gui::WNDCLASS wc;
      wc.lpfnWndProc = Proc;
      wc.lpszClassName = "HidTestClient";
      return gui::RegisterClass(wc) != gui::FALSE;
    }();
    EXPECT_TRUE(registered);
    hwnd = gui::CreateWindowEx(0, "HidTestClient", "", gui::WS_POPUP, 0, 0, 1, 1, nullptr, 0);
    Current() = this;
  }
  ~Client() {
    gui::DestroyWindow(hwnd);
    Current() = nullptr;
  }
  std::vector<_DEVICE_STATE> Records() {
    std::lock_guard lock(m);
    return records;
  }
  // Pumps the test thread until n records came (or 5 s of program time).
  bool WaitRecords(std::size_t n) {
    return gui::test::PumpUntil([&] { return Records().size() >= n; });
  }
  gui::HWND hwnd = nullptr;

 private:
  static Client*& Current() {
    static Client* current = nullptr;
    return current;
  }
  static gui::LRESULT Proc(gui::HWND h, gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
    if (msg == kStateMsg && Current() != nullptr && w == 1) {
      std::lock_guard lock(Current()->m);
      Current()->records.push_back(*reinterpret_cast<const _DEVICE_STATE*>(l));
      return 0;
    }
    return gui::DefWindowProc(h, msg, w, l);
  }
  std::mutex m;
  std::vector<_DEVICE_STATE> records;
};

// A top-level window on the test thread that keeps the WM_USB_PRESENCE
// notices posted to it.
class Owner {
 public:
  Owner() {
    static const bool registered = [] {
      gui::WNDCLASS wc;
      wc.lpfnWndProc = Proc;
      wc.lpszClassName = "HidTestOwner";
      return gui::RegisterClass(wc) != gui::FALSE;
    }();
    EXPECT_TRUE(registered);
    hwnd = gui::CreateWindowEx(0, "HidTestOwner", "", gui::WS_POPUP, 0, 0, 1, 1, nullptr, 0);
    Current() = this;
  }
  ~Owner() {
    gui::DestroyWindow(hwnd);
    Current() = nullptr;
  }
  // Pumps for ms of program time and returns every notice so far.
  std::vector<gui::LPARAM> Notices(std::uint64_t ms = 50) {
    gui::test::PumpUntil([] { return false; }, ms);
    return notices;
  }
  gui::HWND hwnd = nullptr;
  std::vector<gui::LPARAM> notices;

 private:
  static Owner*& Current() {
    static Owner* current = nullptr;
    return current;
  }
  static gui::LRESULT Proc(gui::HWND h, gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
    if (msg == WM_USB_PRESENCE && Current() != nullptr && w == 0) {
      Current()->notices.push_back(l);
      return 0;
    }
    return gui::DefWindowProc(h, msg, w, l);
  }
};

class BusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
  }
  void TearDown() override {
    for (int slot = 0; slot < kHidMonitorSlots; ++slot) HidMon_Stop(slot);
    simbus::TheBus().SetInstallTimeAfterPlug(0);
    simbus::TheBus().Reset();
    gui::test::Pump();
    sys::SetClockScale(1.0);
  }
  int Plug(std::shared_ptr<RecordingDevice> device, std::uint16_t pid = kPid) {
    const int port = simbus::TheBus().NewPort();
    EXPECT_TRUE(simbus::TheBus().Plug(port, KeyboardDescriptor(pid), std::move(device)));
    return port;
  }
};

inline HID_MONITOR_CONFIG KeyboardConfig(bool bothCollections) {
  HID_MONITOR_CONFIG c;
  c.dwVendorID = kVid;
  c.dwProductID = kPid;
  c.dwUsageCount = bothCollections ? 2 : 1;
  c.Usages[0] = {0x0001, 0xFF00};
  c.Usages[1] = {0x0006, 0x0001};
  return c;
}

}  // namespace vexaro::usb::test
