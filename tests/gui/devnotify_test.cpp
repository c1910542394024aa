// Device-change and power messages: registered windows receive them on their
// own thread with the record valid while they handle it.
#include <gtest/gtest.h>

#include <thread>

#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

constexpr GUID kHidClass{0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
constexpr GUID kOtherClass{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};

class Watcher : public CWnd {
 public:
  struct Event {
    WPARAM code;
    DWORD type;
    std::string path;
    const void* handle;
    HDEVNOTIFY note;
  };
  std::vector<Event> events;
  std::vector<WPARAM> power;
  std::thread::id thread;

 protected:
  BOOL OnDeviceChange(UINT code, DWORD_PTR data) override {
    thread = std::this_thread::get_id();
    const auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    Event e{code, hdr->dbch_devicetype, "", nullptr, nullptr};
    if (hdr->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
      e.path = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE*>(data)->dbcc_name;
    if (hdr->dbch_devicetype == DBT_DEVTYP_HANDLE) {
      e.handle = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(data)->dbch_handle;
      e.note = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(data)->dbch_hdevnotify;
    }
    events.push_back(e);
    return TRUE;
  }
  UINT OnPowerBroadcast(UINT code, LPARAM) override {
    power.push_back(code);
    return TRUE;
  }
};

class DeviceNotifications : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(w.CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, 0)); }
  void TearDown() override { w.DestroyWindow(); }
  Watcher w;
};

TEST_F(DeviceNotifications, InterfaceEventsReachWindowsRegisteredForTheClass) {
  DEV_BROADCAST_DEVICEINTERFACE filter;
  filter.dbcc_size = 32;
  filter.dbcc_classguid = kHidClass;
  HDEVNOTIFY note = RegisterDeviceNotification(w, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  ASSERT_NE(note, nullptr);
  // Reported from a thread of the HID platform.
  std::thread hid([] {
    BroadcastDeviceInterfaceEvent(DBT_DEVICEARRIVAL, kHidClass, "/dev/hidraw3#vid_04d9&pid_a0f2");
    BroadcastDeviceInterfaceEvent(DBT_DEVICEARRIVAL, kOtherClass, "/dev/other");
    BroadcastDeviceInterfaceEvent(DBT_DEVICEREMOVECOMPLETE, kHidClass, "/dev/hidraw3#vid_04d9&pid_a0f2");
  });
  hid.join();
  test::Pump();
  ASSERT_EQ(w.events.size(), 2u);
  EXPECT_EQ(w.events[0].code, DBT_DEVICEARRIVAL);
  EXPECT_EQ(w.events[0].type, DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(w.events[0].path, "/dev/hidraw3#vid_04d9&pid_a0f2");
  EXPECT_EQ(w.events[1].code, DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(w.thread, std::this_thread::get_id());
  EXPECT_TRUE(UnregisterDeviceNotification(note));
  BroadcastDeviceInterfaceEvent(DBT_DEVICEARRIVAL, kHidClass, "/dev/hidraw4");
  test::Pump();
  EXPECT_EQ(w.events.size(), 2u);
}

TEST_F(DeviceNotifications, HandleRemovalReachesOnlyTheRegistrationForThatHandle) {
  int file_a = 0, file_b = 0;
  DEV_BROADCAST_HANDLE filter;
  filter.dbch_size = 44;
  filter.dbch_handle = &file_a;
  HDEVNOTIFY note = RegisterDeviceNotification(w, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  ASSERT_NE(note, nullptr);
  BroadcastDeviceHandleEvent(DBT_DEVICEREMOVECOMPLETE, &file_b);
  BroadcastDeviceHandleEvent(DBT_DEVICEREMOVECOMPLETE, &file_a);
  test::Pump();
  ASSERT_EQ(w.events.size(), 1u);
  EXPECT_EQ(w.events[0].type, DBT_DEVTYP_HANDLE);
  EXPECT_EQ(w.events[0].handle, &file_a);
  EXPECT_EQ(w.events[0].note, note);
  UnregisterDeviceNotification(note);
}

TEST_F(DeviceNotifications, PowerEventsGoToEveryTopLevelWindow) {
  BroadcastPowerEvent(PBT_APMSUSPEND);
  BroadcastPowerEvent(PBT_APMRESUMEAUTOMATIC);
  test::Pump();
  EXPECT_EQ(w.power, (std::vector<WPARAM>{PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC}));
}

TEST_F(DeviceNotifications, BadFiltersAreRefused) {
  DEV_BROADCAST_HDR hdr;
  hdr.dbch_devicetype = 3;
  EXPECT_EQ(RegisterDeviceNotification(w, &hdr, DEVICE_NOTIFY_WINDOW_HANDLE), nullptr);
  EXPECT_EQ(RegisterDeviceNotification(w, nullptr, DEVICE_NOTIFY_WINDOW_HANDLE), nullptr);
  DEV_BROADCAST_DEVICEINTERFACE filter;
  EXPECT_EQ(RegisterDeviceNotification(reinterpret_cast<HWND>(std::uintptr_t{4}), &filter, 0), nullptr);
}

}  // namespace
}  // namespace vexaro::gui
