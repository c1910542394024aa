// The HID interface over the simulated bus: enumeration and paths, access
// rules, timed and cancelled reads, device notifications, pending installs.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"

namespace vexaro::hid {
namespace {

// Answers GET_REPORT with one fixed byte and counts the writes it gets.
class EchoDevice final : public simbus::Device {
 public:
  bool OnOutputReport(int, std::size_t, const std::uint8_t*, std::size_t) override {
    ++writes;
    return true;
  }
  bool OnGetInputReport(int, std::size_t, std::uint8_t* data, std::size_t length) override {
    if (length > 1) data[1] = 0x4F;
    return true;
  }
  std::atomic<int> writes{0};
};

Caps VendorCaps() {
  Caps caps;
  caps.usagePage = 0xFF00;
  caps.usage = 1;
  caps.inputReportByteLength = 65;
  caps.outputReportByteLength = 65;
  return caps;
}

class SimBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SelectBackend(BackendKind::kSimulated));
    EXPECT_EQ(ActiveBackend(), BackendKind::kSimulated);
    simbus::TheBus().Reset();
  }
  void TearDown() override {
    simbus::TheBus().Reset();
    sys::SetClockScale(1.0);
  }
  int PlugDevice(std::uint16_t vid, std::uint16_t pid, std::size_t collections,
                 std::shared_ptr<EchoDevice> device = std::make_shared<EchoDevice>()) {
    simbus::DeviceDescriptor d;
    d.attributes = {vid, pid, 0x0102};
    for (std::size_t i = 0; i < collections; ++i) d.collections.push_back(VendorCaps());
    const int port = simbus::TheBus().NewPort();
    EXPECT_TRUE(simbus::TheBus().Plug(port, d, device));
    return port;
  }
};

TEST_F(SimBusTest, EnumerationIsStableAndPathsCarryLowerCaseIds) {
  PlugDevice(0x04D9, 0xA1C0, 2);
  PlugDevice(0x04D9, 0x8010, 1);
  const auto paths = EnumerateInterfaces();
  ASSERT_EQ(paths.size(), 3u);
  EXPECT_EQ(paths, EnumerateInterfaces());
  EXPECT_NE(paths[0].find("vid_04d9&pid_a1c0&col01"), std::string::npos);
  EXPECT_NE(paths[1].find("vid_04d9&pid_a1c0&col02"), std::string::npos);
  EXPECT_NE(paths[2].find("vid_04d9&pid_8010#"), std::string::npos);
  Handle h = Open(paths[2], Access::kQuery);
  ASSERT_NE(h, kInvalidHandle);
  Attributes a;
  ASSERT_TRUE(GetAttributes(h, a));
  EXPECT_EQ(a.productId, 0x8010);
  EXPECT_EQ(a.versionNumber, 0x0102);
  Caps caps;
  ASSERT_TRUE(GetCaps(h, caps));
  EXPECT_EQ(caps.outputReportByteLength, 65);
  EXPECT_TRUE(Close(h));
  EXPECT_FALSE(Close(h));
  EXPECT_EQ(Open("\\\\?\\hid#vid_1111&pid_2222#nothing", Access::kQuery), kInvalidHandle);
}

TEST_F(SimBusTest, AccessDecidesWhatAHandleMayDo) {
  auto device = std::make_shared<EchoDevice>();
  PlugDevice(1, 2, 1, device);
  const std::string path = EnumerateInterfaces().at(0);
  std::uint8_t report[65] = {};
  Handle query = Open(path, Access::kQuery);
  Handle writer = Open(path, Access::kWrite);
  Handle reader = Open(path, Access::kOverlappedRead);
  EXPECT_FALSE(WriteReport(query, report, 65));
  EXPECT_FALSE(WriteReport(reader, report, 65));
  EXPECT_FALSE(WriteReport(writer, report, 64));  // not the output report length
  EXPECT_TRUE(WriteReport(writer, report, 65));
  EXPECT_FALSE(GetInputReport(writer, report, 65));
  EXPECT_TRUE(GetInputReport(reader, report, 65));
  EXPECT_EQ(report[1], 0x4F);
  EXPECT_EQ(device->writes, 1);
}

TEST_F(SimBusTest, ReadsTimeOutOnTheProgramClockAndLeaveNothingPending) {
  sys::SetClockScale(1000);
  const int port = PlugDevice(1, 2, 1);
  Handle reader = Open(EnumerateInterfaces().at(0), Access::kOverlappedRead);
  std::uint8_t report[65];
  std::size_t got = 99;
  const std::uint64_t start = sys::NowMs();
  EXPECT_EQ(ReadInputReport(reader, report, 65, 5000, &got), ReadResult::kTimedOut);
  EXPECT_GE(sys::NowMs() - start, 5000u);
  EXPECT_EQ(got, 0u);
  // A report sent after the timed-out read goes to the next read, whole.
  std::uint8_t sent[65] = {0, 7, 8, 9};
  simbus::TheBus().PushInputReport(port, 0, sent, 65, 0);
  EXPECT_EQ(ReadInputReport(reader, report, 65, 5000, &got), ReadResult::kOk);
  EXPECT_EQ(got, 65u);
  EXPECT_EQ(report[3], 9);
}

TEST_F(SimBusTest, ReportsAreQueuedPerHandleAndHeldUntilTheirTime) {
  sys::SetClockScale(100);
  const int port = PlugDevice(1, 2, 1);
  const std::string path = EnumerateInterfaces().at(0);
  Handle a = Open(path, Access::kOverlappedRead);
  Handle b = Open(path, Access::kReadWrite);
  std::uint8_t sent[65] = {0, 1};
  const std::uint64_t due = sys::NowMs() + 30000;
  simbus::TheBus().PushInputReport(port, 0, sent, 65, due);
  std::uint8_t report[65];
  std::size_t got = 0;
  EXPECT_EQ(ReadInputReport(a, report, 65, 1000, &got), ReadResult::kTimedOut);
  EXPECT_EQ(ReadInputReport(a, report, 65, 60000, &got), ReadResult::kOk);
  EXPECT_GE(sys::NowMs(), due);
  EXPECT_EQ(ReadInputReport(b, report, 65, 0, &got), ReadResult::kOk);  // its own copy
}

TEST_F(SimBusTest, CancelEndsAReadWaitingWithoutTimeLimit) {
  PlugDevice(1, 2, 1);
  Handle reader = Open(EnumerateInterfaces().at(0), Access::kReadWrite);
  std::atomic<int> result{-1};
  std::thread thread([&] {
    std::uint8_t report[65];
    result = static_cast<int>(ReadInputReport(reader, report, 65, kNoTimeLimit, nullptr));
  });
  while (result == -1) {
    CancelIo(reader);
    sys::SleepMs(1);
  }
  thread.join();
  EXPECT_EQ(result, static_cast<int>(ReadResult::kCancelled));
}

TEST_F(SimBusTest, UnplugEndsPendingReadsAndKillsHandles) {
  const int port = PlugDevice(1, 2, 1);
  Handle reader = Open(EnumerateInterfaces().at(0), Access::kReadWrite);
  std::atomic<int> result{-1};
  std::thread thread([&] {
    std::uint8_t report[65];
    result = static_cast<int>(ReadInputReport(reader, report, 65, kNoTimeLimit, nullptr));
  });
  sys::SleepMs(5);
  simbus::TheBus().Unplug(port);
  thread.join();
  EXPECT_EQ(result, static_cast<int>(ReadResult::kFailed));
  Attributes a;
  EXPECT_FALSE(GetAttributes(reader, a));
  // The same device coming back does not revive the old handle.
  PlugDevice(1, 2, 1);
  EXPECT_FALSE(GetAttributes(reader, a));
  EXPECT_TRUE(Close(reader));
}

TEST_F(SimBusTest, NotificationsTellArrivalRemovalOfHandlesAndPower) {
  std::mutex mutex;
  std::vector<DeviceEvent> events;
  SubscriptionId id = SubscribeDeviceEvents([&](const DeviceEvent& e) {
    std::lock_guard lock(mutex);
    events.push_back(e);
  });
  ASSERT_NE(id, 0u);
  const int port = PlugDevice(0x04D9, 0x8010, 1);
  Handle h = Open(EnumerateInterfaces().at(0), Access::kQuery);
  simbus::TheBus().Unplug(port);
  simbus::TheBus().Suspend();
  simbus::TheBus().Resume();
  UnsubscribeDeviceEvents(id);
  PlugDevice(1, 2, 1);  // no longer heard
  std::lock_guard lock(mutex);
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].kind, DeviceEventKind::kInterfaceArrival);
  EXPECT_NE(events[0].path.find("vid_04d9&pid_8010"), std::string::npos);
  EXPECT_EQ(events[1].kind, DeviceEventKind::kHandleRemoval);
  EXPECT_EQ(events[1].handle, h);
  EXPECT_EQ(events[2].kind, DeviceEventKind::kInterfaceRemoval);
  EXPECT_EQ(events[2].path, events[0].path);
  EXPECT_EQ(events[3].kind, DeviceEventKind::kSuspend);
  EXPECT_EQ(events[4].kind, DeviceEventKind::kResume);
}

TEST_F(SimBusTest, PendingInstallationEndsAfterItsTime) {
  sys::SetClockScale(100);
  simbus::TheBus().SetInstallTimeAfterPlug(20000);
  EXPECT_FALSE(IsInstallPending());
  PlugDevice(1, 2, 1);
  EXPECT_TRUE(IsInstallPending());
  EXPECT_FALSE(WaitNoPendingInstall(100));
  EXPECT_TRUE(WaitNoPendingInstall(50000));
  EXPECT_FALSE(IsInstallPending());
}

TEST_F(SimBusTest, ScheduledWorkRunsAfterItsDelay) {
  sys::SetClockScale(100);
  std::atomic<std::uint64_t> ranAt{0};
  const std::uint64_t start = sys::NowMs();
  simbus::TheBus().After(500, [&] { ranAt = sys::NowMs(); });
  while (ranAt == 0 && sys::NowMs() - start < 5000) sys::SleepMs(10);
  EXPECT_GE(ranAt - start, 500u);
}

TEST_F(SimBusTest, BackendChoiceIsMadeOnce) {
  EXPECT_FALSE(SelectBackend(BackendKind::kNative));
  EXPECT_TRUE(SelectBackend(BackendKind::kSimulated));
  EXPECT_EQ(ActiveBackend(), BackendKind::kSimulated);
}

}  // namespace
}  // namespace vexaro::hid
