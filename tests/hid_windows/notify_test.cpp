// Device notifications through real window messages: WM_DEVICECHANGE and
// WM_POWERBROADCAST sent to the backend's hidden window become the platform's
// device events, each handle's removal told once.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <thread>

#include <cstring>
#include <mutex>
#include <vector>

#include "fake_hid_system.h"
#include "platform/windows/hid_win_backend.h"
#include "platform/windows/hid_win_notify.h"

namespace vexaro::hid::win {
namespace {

// The keyboard's interface path as the notification messages spell it (lower case).
const std::string kNotifiedKeyboard =
    "\\\\?\\hid#vid_3c9a&pid_0a21&mi_01#8&1f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

struct Recorder {
  std::mutex mutex;
  std::vector<DeviceEvent> events;
  std::vector<DeviceEvent> Take() {
    std::lock_guard lock(mutex);
    return std::exchange(events, {});
  }
};

// One backend for the program: its notification thread lives to the end.
Backend& TheBackend() {
  static Backend* backend = MakeWindowsHidBackend(testing::FakeApi()).release();
  return *backend;
}

Recorder& Events() {
  static Recorder* recorder = [] {
    auto* r = new Recorder;
    TheBackend().Subscribe([r](const DeviceEvent& e) {
      std::lock_guard lock(r->mutex);
      r->events.push_back(e);
    });
    return r;
  }();
  return *recorder;
}

// This process's hidden window (other programs may run their own).
HWND NotifyWindowOfThisProcess() {
  Events();
  // A top-level window on a desktop, a message-only one without (wine with
  // no display).
  for (HWND parent : {static_cast<HWND>(nullptr), HWND_MESSAGE}) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExA(parent, hwnd, NotifyWindow::kClassName, nullptr)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      if (pid == GetCurrentProcessId()) return hwnd;
    }
  }
  return nullptr;
}

void SendInterfaceChange(WPARAM event, const std::string& path) {
  std::vector<char> record(offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name) + path.size() + 1, 0);
  DEV_BROADCAST_DEVICEINTERFACE_A header{};
  header.dbcc_size = static_cast<DWORD>(record.size());
  header.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  std::memcpy(record.data(), &header, offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name));
  std::memcpy(record.data() + offsetof(DEV_BROADCAST_DEVICEINTERFACE_A, dbcc_name), path.c_str(), path.size() + 1);
  SendMessageA(NotifyWindowOfThisProcess(), WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()));
}

void SendHandleRemoval(HANDLE file) {
  DEV_BROADCAST_HANDLE record{};
  record.dbch_size = sizeof record;
  record.dbch_devicetype = DBT_DEVTYP_HANDLE;
  record.dbch_handle = file;
  SendMessageA(NotifyWindowOfThisProcess(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
               reinterpret_cast<LPARAM>(&record));
}

class WinHidNotify : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::FakeInterface keyboard;
    keyboard.path = kNotifiedKeyboard;
    keyboard.caps.InputReportByteLength = 65;
    testing::SetFakeInterfaces({keyboard});
    ASSERT_NE(NotifyWindowOfThisProcess(), nullptr);
    Events().Take();
  }
};

TEST_F(WinHidNotify, ArrivalAndRemovalCarryTheLowerCasePath) {
  const std::string upper = "\\\\?\\HID#VID_3C9A&PID_0A21&MI_01#8&1F&0&0000#{4D1E55B2-F16F-11CF-88CB-001111000030}";
  SendInterfaceChange(DBT_DEVICEARRIVAL, upper);
  SendInterfaceChange(DBT_DEVICEREMOVECOMPLETE, upper);
  SendInterfaceChange(DBT_DEVNODES_CHANGED, upper);  // not an interface event
  const auto events = Events().Take();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, DeviceEventKind::kInterfaceArrival);
  EXPECT_EQ(events[0].path, kNotifiedKeyboard);
  EXPECT_EQ(events[1].kind, DeviceEventKind::kInterfaceRemoval);
  EXPECT_EQ(events[1].path, kNotifiedKeyboard);
}

TEST_F(WinHidNotify, AnOpenHandlesRemovalIsToldOnceBeforeItsInterfaces) {
  const Handle h = TheBackend().Open(kNotifiedKeyboard, Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  SendHandleRemoval(testing::Counters().lastHostFile);
  SendInterfaceChange(DBT_DEVICEREMOVECOMPLETE, kNotifiedKeyboard);
  auto events = Events().Take();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, DeviceEventKind::kHandleRemoval);
  EXPECT_EQ(events[0].handle, h);
  EXPECT_EQ(events[0].path, kNotifiedKeyboard);
  EXPECT_EQ(events[1].kind, DeviceEventKind::kInterfaceRemoval);
  TheBackend().Close(h);
}

// The notice alone (every call on the handle would still succeed) ends a
// waiting read and fails every later call with kGone.
TEST_F(WinHidNotify, AHandlesRemovalNoticeEndsItsReadAndFailsLaterCalls) {
  const Handle h = TheBackend().Open(kNotifiedKeyboard, Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  const HANDLE file = testing::Counters().lastHostFile;
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  ReadResult result = ReadResult::kOk;
  Reason why = Reason::kNone;
  testing::ForgetIssuedReads();
  std::thread reader([&] {
    result = TheBackend().ReadInputReport(h, report, sizeof report, kNoTimeLimit, &got);
    why = LastError().reason;
  });
  ASSERT_TRUE(testing::WaitForReadIssued());
  SendHandleRemoval(file);
  reader.join();
  EXPECT_EQ(result, ReadResult::kFailed);
  EXPECT_EQ(why, Reason::kGone);
  Attributes attributes;
  EXPECT_FALSE(TheBackend().GetAttributes(h, attributes));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_FALSE(TheBackend().WriteReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_EQ(LastError().path, kNotifiedKeyboard);
  EXPECT_TRUE(TheBackend().Close(h));
  Events().Take();
}

TEST_F(WinHidNotify, AnInterfaceRemovalEndsHandlesWhoseOwnNoticeDidNotCome) {
  const Handle h = TheBackend().Open(kNotifiedKeyboard, Access::kQuery);
  SendInterfaceChange(DBT_DEVICEREMOVECOMPLETE, kNotifiedKeyboard);
  SendHandleRemoval(testing::Counters().lastHostFile);  // late: already told
  auto events = Events().Take();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, DeviceEventKind::kHandleRemoval);
  EXPECT_EQ(events[0].handle, h);
  EXPECT_EQ(events[1].kind, DeviceEventKind::kInterfaceRemoval);
  TheBackend().Close(h);
}

TEST_F(WinHidNotify, AClosedHandlesRemovalIsNotTold) {
  const Handle h = TheBackend().Open(kNotifiedKeyboard, Access::kQuery);
  const HANDLE file = testing::Counters().lastHostFile;
  TheBackend().Close(h);
  SendHandleRemoval(file);
  EXPECT_TRUE(Events().Take().empty());
}

TEST_F(WinHidNotify, OneResumePerSuspend) {
  HWND hwnd = NotifyWindowOfThisProcess();
  SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);  // no suspend before it
  SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  SendMessageA(hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
  const auto events = Events().Take();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].kind, DeviceEventKind::kSuspend);
  EXPECT_EQ(events[1].kind, DeviceEventKind::kResume);
}

TEST_F(WinHidNotify, DamagedRecordsAreIgnored) {
  DEV_BROADCAST_HANDLE shortRecord{};
  shortRecord.dbch_size = sizeof(DEV_BROADCAST_HDR);  // says it holds no handle
  shortRecord.dbch_devicetype = DBT_DEVTYP_HANDLE;
  SendMessageA(NotifyWindowOfThisProcess(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
               reinterpret_cast<LPARAM>(&shortRecord));
  SendMessageA(NotifyWindowOfThisProcess(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  EXPECT_TRUE(Events().Take().empty());
}

}  // namespace
}  // namespace vexaro::hid::win
