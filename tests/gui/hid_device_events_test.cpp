// HID platform events reach windows as device-change and power messages: on
// the simulated bus, registered windows hear plugs, unplugs, the removal of
// their opened handle and power changes, on their own thread.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/hid_device_events.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "tests/gui/gui_test_util.h"

namespace vexaro::gui {
namespace {

class QuietDevice final : public simbus::Device {
 public:
  bool OnOutputReport(int, std::size_t, const std::uint8_t*, std::size_t) override { return true; }
  bool OnGetInputReport(int, std::size_t, std::uint8_t*, std::size_t) override { return false; }
};

struct Notice {
  WPARAM code;
  DWORD type;
  GUID cls;
  std::string path;
  const void* handle;
  HDEVNOTIFY note;
};

class Watcher : public CWnd {
 public:
  std::vector<Notice> notices;
  std::vector<WPARAM> power;
  std::vector<std::thread::id> threads;

 protected:
  BOOL OnDeviceChange(UINT code, DWORD_PTR data) override {
    threads.push_back(std::this_thread::get_id());
    const auto* hdr = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    Notice n{code, hdr->dbch_devicetype, {}, "", nullptr, nullptr};
    if (hdr->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
      const auto* rec = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE*>(data);
      n.cls = rec->dbcc_classguid;
      n.path = rec->dbcc_name;
    } else if (hdr->dbch_devicetype == DBT_DEVTYP_HANDLE) {
      const auto* rec = reinterpret_cast<const DEV_BROADCAST_HANDLE*>(data);
      n.handle = rec->dbch_handle;
      n.note = rec->dbch_hdevnotify;
    }
    notices.push_back(n);
    return TRUE;
  }
  UINT OnPowerBroadcast(UINT code, LPARAM) override {
    threads.push_back(std::this_thread::get_id());
    power.push_back(code);
    return TRUE;
  }
};

class HidDeviceEvents : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
    simbus::TheBus().Reset();
    for (Watcher* w : {&classWatcher, &handleWatcher, &otherHandleWatcher, &bystander})
      ASSERT_TRUE(w->CreateEx(0, "STATIC", "", WS_POPUP, 0, 0, 5, 5, nullptr, 0));
    DEV_BROADCAST_DEVICEINTERFACE filter;
    filter.dbcc_size = 32;
    filter.dbcc_classguid = kHidInterfaceClassGuid;
    classNote = RegisterDeviceNotification(classWatcher, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ASSERT_NE(classNote, nullptr);
    ASSERT_TRUE(ConnectHidDeviceEvents());
  }
  void TearDown() override {
    DisconnectHidDeviceEvents();
    simbus::TheBus().Reset();
    for (HDEVNOTIFY note : notes) UnregisterDeviceNotification(note);
    UnregisterDeviceNotification(classNote);
    for (Watcher* w : {&classWatcher, &handleWatcher, &otherHandleWatcher, &bystander}) w->DestroyWindow();
  }

  // Plugs a one-collection device and returns its port; path receives its interface path.
  int Plug(std::uint16_t product, std::string* path = nullptr) {
    simbus::DeviceDescriptor d;
    d.attributes = {0x04D9, product, 0x0100};
    hid::Caps caps;
    caps.usagePage = 0xFF00;
    caps.usage = 1;
    caps.inputReportByteLength = 65;
    caps.outputReportByteLength = 65;
    d.collections.push_back(caps);
    const int port = simbus::TheBus().NewPort();
    EXPECT_TRUE(simbus::TheBus().Plug(port, d, std::make_shared<QuietDevice>()));
    if (path) *path = simbus::InterfacePath(port, d.attributes, 0, 1);
    return port;
  }

  HDEVNOTIFY WatchHandle(Watcher& w, hid::Handle handle) {
    DEV_BROADCAST_HANDLE filter;
    filter.dbch_size = 44;
    filter.dbch_handle = DeviceNotifyHandle(handle);
    HDEVNOTIFY note = RegisterDeviceNotification(w, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    EXPECT_NE(note, nullptr);
    notes.push_back(note);
    return note;
  }

  Watcher classWatcher, handleWatcher, otherHandleWatcher, bystander;
  HDEVNOTIFY classNote = nullptr;
  std::vector<HDEVNOTIFY> notes;
};

TEST_F(HidDeviceEvents, PlugAndUnplugReachTheWindowRegisteredForTheClass) {
  std::string path;
  const int port = Plug(0x8010, &path);
  test::Pump();
  ASSERT_EQ(classWatcher.notices.size(), 1u);
  EXPECT_EQ(classWatcher.notices[0].code, DBT_DEVICEARRIVAL);
  EXPECT_EQ(classWatcher.notices[0].type, DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(classWatcher.notices[0].cls, kHidInterfaceClassGuid);
  EXPECT_EQ(classWatcher.notices[0].path, path);
  EXPECT_EQ(hid::EnumerateInterfaces(), std::vector<std::string>{path});  // the path opens the interface

  ASSERT_TRUE(simbus::TheBus().Unplug(port));
  test::Pump();
  ASSERT_EQ(classWatcher.notices.size(), 2u);
  EXPECT_EQ(classWatcher.notices[1].code, DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(classWatcher.notices[1].type, DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_EQ(classWatcher.notices[1].path, path);
  // Windows registered for nothing, or for handles only, hear no device change.
  EXPECT_TRUE(bystander.notices.empty());
  EXPECT_TRUE(handleWatcher.notices.empty());
}

TEST_F(HidDeviceEvents, HandleRemovalReachesOnlyTheWindowWatchingThatHandle) {
  std::string pathA, pathB;
  const int portA = Plug(0x8010, &pathA);
  Plug(0x8011, &pathB);
  const hid::Handle a = hid::Open(pathA, hid::Access::kReadWrite);
  const hid::Handle b = hid::Open(pathB, hid::Access::kReadWrite);
  ASSERT_NE(a, hid::kInvalidHandle);
  ASSERT_NE(b, hid::kInvalidHandle);
  const HDEVNOTIFY noteA = WatchHandle(handleWatcher, a);
  WatchHandle(otherHandleWatcher, b);

  ASSERT_TRUE(simbus::TheBus().Unplug(portA));
  test::Pump();
  ASSERT_EQ(handleWatcher.notices.size(), 1u);
  EXPECT_EQ(handleWatcher.notices[0].code, DBT_DEVICEREMOVECOMPLETE);
  EXPECT_EQ(handleWatcher.notices[0].type, DBT_DEVTYP_HANDLE);
  EXPECT_EQ(HidHandleFromNotify(handleWatcher.notices[0].handle), a);
  EXPECT_EQ(handleWatcher.notices[0].note, noteA);
  EXPECT_TRUE(otherHandleWatcher.notices.empty());
  EXPECT_TRUE(bystander.notices.empty());
  // The class watcher sees the interface removal, never the handle's.
  for (const Notice& n : classWatcher.notices) EXPECT_EQ(n.type, DBT_DEVTYP_DEVICEINTERFACE);
  EXPECT_TRUE(hid::Close(a));
  EXPECT_TRUE(hid::Close(b));
}

TEST_F(HidDeviceEvents, SuspendAndResumeArriveAsPowerBroadcasts) {
  simbus::TheBus().Suspend();
  simbus::TheBus().Resume();
  test::Pump();
  const std::vector<WPARAM> expected{PBT_APMSUSPEND, PBT_APMRESUMEAUTOMATIC};
  EXPECT_EQ(classWatcher.power, expected);
  EXPECT_EQ(bystander.power, expected);  // power goes to every top-level window
  EXPECT_TRUE(bystander.notices.empty());
}

TEST_F(HidDeviceEvents, EventsRaisedOnAnotherThreadAreHandledOnTheWindowsThread) {
  std::string path;
  int port = 0;
  std::thread bus([&] { port = Plug(0x8010, &path); });
  bus.join();
  const hid::Handle h = hid::Open(path, hid::Access::kOverlappedRead);
  ASSERT_NE(h, hid::kInvalidHandle);
  WatchHandle(handleWatcher, h);
  std::thread gone([&] {
    simbus::TheBus().Unplug(port);
    simbus::TheBus().Suspend();
  });
  gone.join();
  test::Pump();
  EXPECT_EQ(classWatcher.notices.size(), 2u);
  EXPECT_EQ(handleWatcher.notices.size(), 1u);
  EXPECT_EQ(classWatcher.power.size(), 1u);
  for (const Watcher* w : {&classWatcher, &handleWatcher}) {
    ASSERT_FALSE(w->threads.empty());
    for (std::thread::id t : w->threads) EXPECT_EQ(t, std::this_thread::get_id());
  }
  hid::Close(h);
}

TEST_F(HidDeviceEvents, ConnectingTwiceDeliversOnceAndDisconnectEndsDelivery) {
  ASSERT_TRUE(ConnectHidDeviceEvents());
  const int port = Plug(0x8010);
  test::Pump();
  EXPECT_EQ(classWatcher.notices.size(), 1u);

  DisconnectHidDeviceEvents();
  simbus::TheBus().Unplug(port);
  Plug(0x8011);
  simbus::TheBus().Suspend();
  test::Pump();
  EXPECT_EQ(classWatcher.notices.size(), 1u);
  EXPECT_TRUE(classWatcher.power.empty());

  // Connecting again picks up from there.
  ASSERT_TRUE(ConnectHidDeviceEvents());
  simbus::TheBus().Resume();
  test::Pump();
  EXPECT_EQ(classWatcher.power, std::vector<WPARAM>{PBT_APMRESUMEAUTOMATIC});
}

TEST(HidNotifyHandle, HandlesConvertBothWaysAndTheInvalidOneToNothing) {
  EXPECT_EQ(DeviceNotifyHandle(hid::kInvalidHandle), nullptr);
  EXPECT_EQ(HidHandleFromNotify(nullptr), hid::kInvalidHandle);
  for (hid::Handle h : {hid::Handle{0}, hid::Handle{7}, hid::Handle{INT32_MAX} + 5}) {
    ASSERT_NE(DeviceNotifyHandle(h), nullptr) << h;
    EXPECT_EQ(HidHandleFromNotify(DeviceNotifyHandle(h)), h);
  }
  EXPECT_NE(DeviceNotifyHandle(7), DeviceNotifyHandle(8));
}

}  // namespace
}  // namespace vexaro::gui
