// The hidraw backend through the HID platform interface, on emulated nodes
// (umockdev): enumeration, capabilities, GET_REPORT, writes, timed reads,
// cancel, device events and refused permission. Run under umockdev's preload
// with the poll shim in front (see tests/hid_linux/CMakeLists.txt); without
// it the tests skip.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/hid/hid.h"
#include "platform/sys/sys.h"
#include "tests/hid_linux/backend_fixture.h"
#include "tests/hid_linux/thread_as_nobody.h"

namespace vexaro::hid {
namespace {

TEST_F(HidrawBackend, EnumerationListsEveryCollectionInNodeOrderWithIdsAndInterface) {
  Plug(17, kLoader);
  Plug(12, kApplication);
  const std::vector<std::string> paths = EnumerateInterfaces();
  const std::vector<std::string> expected = {"/dev/hidraw12?vid_3c9a&pid_0a21&mi_01&col01",
                                             "/dev/hidraw12?vid_3c9a&pid_0a21&mi_01&col02",
                                             "/dev/hidraw17?vid_3c9a&pid_1a21&mi_00"};
  EXPECT_EQ(paths, expected);
  EXPECT_EQ(EnumerateInterfaces(), paths);
}

TEST_F(HidrawBackend, OpenGivesAttributesAndTheCapsOfTheCollectionNamed) {
  Plug(13, kApplication);
  const Handle consumer = OpenKept(ApplicationPath(13, 2), Access::kQuery);
  ASSERT_NE(consumer, kInvalidHandle);
  Attributes attributes;
  ASSERT_TRUE(GetAttributes(consumer, attributes));
  EXPECT_EQ(attributes.vendorId, 0x3C9A);
  EXPECT_EQ(attributes.productId, 0x0A21);
  EXPECT_EQ(attributes.versionNumber, 0x0105);
  Caps caps;
  ASSERT_TRUE(GetCaps(consumer, caps));
  EXPECT_EQ(caps.usagePage, 0x0C);
  EXPECT_EQ(caps.inputReportByteLength, 3);
  EXPECT_EQ(caps.items.size(), 1u);
}

TEST_F(HidrawBackend, PathOfAnotherDeviceOrCollectionDoesNotOpen) {
  Plug(14, kApplication);
  EXPECT_EQ(Open("/dev/hidraw14?vid_3c9a&pid_1a21&mi_01&col01", Access::kQuery), kInvalidHandle);
  EXPECT_EQ(Open("/dev/hidraw14?vid_3c9a&pid_0a21&mi_00&col01", Access::kQuery), kInvalidHandle);
  EXPECT_EQ(Open(ApplicationPath(14, 3), Access::kQuery), kInvalidHandle);
  EXPECT_EQ(Open(ApplicationPath(15, 1), Access::kQuery), kInvalidHandle);
}

TEST_F(HidrawBackend, GetInputReportAsksForTheIdAndAnswersIdFirstOrFailsAtOnce) {
  auto node = Plug(18, kLoader);
  const Handle h = OpenKept(LoaderPath(18), Access::kOverlappedRead);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {};
  EXPECT_FALSE(GetInputReport(h, report, sizeof report));  // nothing to say: stalled
  {
    std::lock_guard lock(node->mutex);
    node->getReportAnswer.assign(65, 0);
    node->getReportAnswer[1] = 'F';
  }
  ASSERT_TRUE(GetInputReport(h, report, sizeof report));
  EXPECT_EQ(report[0], 0);
  EXPECT_EQ(report[1], 'F');
  std::lock_guard lock(node->mutex);
  EXPECT_EQ(node->lastGetReportId, 0);
}

TEST_F(HidrawBackend, WriteHandsTheWholeReportToTheDeviceIdFirst) {
  auto node = Plug(19, kLoader);
  const Handle h = OpenKept(LoaderPath(19), Access::kWrite);
  ASSERT_NE(h, kInvalidHandle);
  std::vector<std::uint8_t> report(65);
  for (std::size_t i = 0; i < report.size(); ++i) report[i] = static_cast<std::uint8_t>(i);
  ASSERT_TRUE(WriteReport(h, report.data(), report.size()));
  std::lock_guard lock(node->mutex);
  ASSERT_EQ(node->written.size(), 1u);
  EXPECT_EQ(node->written[0], report);
}

TEST_F(HidrawBackend, ReadGivesTheWindowsLayoutAndTimesOutOnTheProgramClock) {
  auto node = Plug(20, kLoader);
  const Handle h = OpenKept(LoaderPath(20), Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  {
    std::lock_guard lock(node->mutex);
    node->inputQueue.push_back(std::vector<std::uint8_t>(64, 0x5A));  // unnumbered: no id byte
  }
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  ASSERT_EQ(ReadInputReport(h, report, sizeof report, kReadTimeLimitMs, &got), ReadResult::kOk);
  EXPECT_EQ(got, 65u);
  EXPECT_EQ(report[0], 0);
  EXPECT_EQ(report[64], 0x5A);
  sys::SetClockScale(kFastClock);
  EXPECT_EQ(ReadInputReport(h, report, sizeof report, kReadTimeLimitMs, &got),
            ReadResult::kTimedOut);
}

TEST_F(HidrawBackend, HandleOfOneCollectionReadsOnlyItsOwnReports) {
  auto node = Plug(16, kApplication);
  const Handle consumer = OpenKept(ApplicationPath(16, 2), Access::kOverlappedRead);
  ASSERT_NE(consumer, kInvalidHandle);
  {
    std::lock_guard lock(node->mutex);
    node->inputQueue.push_back({0x01, 0x02, 0x00, 0x04, 0, 0, 0, 0, 0});  // keyboard, id 1
    node->inputQueue.push_back({0x02, 0xE9, 0x00});                       // volume up, id 2
  }
  std::uint8_t report[9] = {};
  std::size_t got = 0;
  ASSERT_EQ(ReadInputReport(consumer, report, sizeof report, kReadTimeLimitMs, &got),
            ReadResult::kOk);
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(report[0], 0x02);
  EXPECT_EQ(report[1], 0xE9);
}

TEST_F(HidrawBackend, CancelEndsAWaitingReadButNotTheNextOne) {
  auto node = Plug(22, kLoader);
  const Handle h = OpenKept(LoaderPath(22), Access::kOverlappedRead);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  EXPECT_TRUE(CancelIo(h));  // nothing waits: nothing to end
  {
    std::lock_guard lock(node->mutex);
    node->inputQueue.push_back(std::vector<std::uint8_t>(64, 1));
  }
  EXPECT_EQ(ReadInputReport(h, report, sizeof report, kReadTimeLimitMs, &got), ReadResult::kOk);

  std::atomic<bool> done{false};
  ReadResult result = ReadResult::kOk;
  std::thread reader([&] {
    result = ReadInputReport(h, report, sizeof report, kNoTimeLimit, &got);
    done = true;
  });
  while (!done) {
    CancelIo(h);  // a cancel before the read began ends nothing, so repeat it
    std::this_thread::yield();
  }
  reader.join();
  EXPECT_EQ(result, ReadResult::kCancelled);
}

TEST_F(HidrawBackend, CloseEndsAReadWaitingOnAnotherThread) {
  Plug(23, kLoader);
  const Handle h = Open(LoaderPath(23), Access::kOverlappedRead);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  ReadResult result = ReadResult::kOk;
  std::thread reader(
      [&] { result = ReadInputReport(h, report, sizeof report, kNoTimeLimit, &got); });
  EXPECT_TRUE(Close(h));
  reader.join();
  EXPECT_TRUE(result == ReadResult::kCancelled || result == ReadResult::kFailed);
  EXPECT_FALSE(Close(h));
}

TEST_F(HidrawBackend, ArrivalAndRemovalReachSubscribersWithPathsAndOpenHandles) {
  EventLog log;
  Plug(21, kApplication);
  ASSERT_TRUE(log.WaitFor(2));
  std::vector<DeviceEvent> events = log.Events();
  EXPECT_EQ(events[0].kind, DeviceEventKind::kInterfaceArrival);
  EXPECT_EQ(events[0].path, ApplicationPath(21, 1));
  EXPECT_EQ(events[1].path, ApplicationPath(21, 2));
  const Handle a = OpenKept(events[1].path, Access::kReadWrite);
  const Handle b = OpenKept(events[1].path, Access::kQuery);
  ASSERT_NE(a, kInvalidHandle);
  ASSERT_NE(b, kInvalidHandle);
  EmulatedBus::Instance().Unplug(21);
  plugged_.clear();
  ASSERT_TRUE(log.WaitFor(6));
  events = log.Events();
  std::vector<Handle> removedHandles;
  std::size_t interfaceRemovals = 0;
  for (std::size_t i = 2; i < events.size(); ++i) {
    if (events[i].kind == DeviceEventKind::kHandleRemoval) {
      removedHandles.push_back(events[i].handle);
      EXPECT_EQ(events[i].path, ApplicationPath(21, 2));
    }
    if (events[i].kind == DeviceEventKind::kInterfaceRemoval) ++interfaceRemovals;
  }
  std::sort(removedHandles.begin(), removedHandles.end());
  EXPECT_EQ(removedHandles, (std::vector<Handle>{a, b}));
  EXPECT_EQ(interfaceRemovals, 2u);
}

TEST_F(HidrawBackend, RefusedPermissionFailsTheOpenAndNamesTheNodeAndTheRule) {
  Plug(24, kLoader);
  const std::string root = EmulatedBus::Instance().RootDir();
  // sysfs of the bed stays readable to everyone, as on a real system; the
  // node itself is closed to the test user, as before the udev rule is installed.
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
  // umockdev's own socket for the node must stay reachable: its preload ends
  // the program when it cannot connect.
  ASSERT_EQ(::chmod((root + "/ioctl").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/ioctl/dev").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/ioctl/dev/hidraw24").c_str(), 0777), 0);
  ASSERT_EQ(::chmod((root + "/dev/hidraw24").c_str(), 0), 0);
  const std::string path = LoaderPath(24);
  ASSERT_EQ(EnumerateInterfaces(), std::vector<std::string>{path});
  Handle handle = 0;
  testing::internal::CaptureStderr();
  std::thread opener([&] {
    test::ThreadAsNobody nobody;
    handle = Open(path, Access::kReadWrite);
  });
  opener.join();
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(handle, kInvalidHandle);
  EXPECT_NE(said.find("no permission to open /dev/hidraw24"), std::string::npos) << said;
  EXPECT_NE(said.find("70-vexaro-keyboard.rules"), std::string::npos) << said;
}

// The reason travels with the refusal, on the thread that was refused, so a
// node closed to the user reads as "no permission", not as "no keyboard".
TEST_F(HidrawBackend, ARefusedOpenLeavesPermissionDeniedWithTheNodeOnTheOpeningThread) {
  Plug(25, kLoader);
  const std::string root = EmulatedBus::Instance().RootDir();
  ASSERT_EQ(::chmod(root.c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/ioctl").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/ioctl/dev").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root + "/ioctl/dev/hidraw25").c_str(), 0777), 0);
  ASSERT_EQ(::chmod((root + "/dev/hidraw25").c_str(), 0), 0);
  const std::string path = LoaderPath(25);
  Error refusal;
  std::thread opener([&] {
    test::ThreadAsNobody nobody;
    for (Access access : {Access::kQuery, Access::kReadWrite}) {
      if (Open(path, access) != kInvalidHandle) return;
    }
    refusal = LastError();
  });
  opener.join();
  EXPECT_EQ(refusal.reason, Reason::kPermissionDenied) << Describe(refusal);
  EXPECT_EQ(refusal.path, "/dev/hidraw25");
  EXPECT_FALSE(refusal.systemText.empty());
}

TEST_F(HidrawBackend, FailedCallsSayWhyAStalledGetReportAndAGoneNode) {
  auto node = Plug(26, kLoader);
  const std::string path = LoaderPath(26);
  const Handle h = OpenKept(path, Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  EXPECT_FALSE(LastError().Failed());
  std::uint8_t report[65] = {};
  EXPECT_FALSE(GetInputReport(h, report, sizeof report));  // nothing to say: a stall
  EXPECT_EQ(LastError().reason, Reason::kDeviceRefused) << Describe(LastError());
  EXPECT_EQ(LastError().path, "/dev/hidraw26");
  EXPECT_EQ(Open(LoaderPath(27), Access::kQuery), kInvalidHandle);
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_EQ(Open("not a path", Access::kQuery), kInvalidHandle);
  EXPECT_EQ(LastError().reason, Reason::kOther);
}

TEST_F(HidrawBackend, NoInstallationIsPendingWithAnEmptyUdevQueue) {
  EXPECT_FALSE(IsInstallPending());
  EXPECT_TRUE(WaitNoPendingInstall(0));
}

}  // namespace
}  // namespace vexaro::hid
