// A node that is gone stays gone: once the kernel answers a call with a
// "gone" errno, or udev reports the open node removed, every later call on
// the handle fails at once with kGone, without asking the node again.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "platform/hid/hid.h"
#include "platform/linux/hid_node.h"
#include "tests/hid_linux/backend_fixture.h"

namespace vexaro::hid {
namespace {

// Every call a program makes on a handle after its device went.
void ExpectEveryCallGone(Handle h, test::NodeState& node) {
  int asked = 0;
  std::size_t written = 0;
  {
    std::lock_guard lock(node.mutex);
    asked = node.getReportCalls;
    written = node.written.size();
  }
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  Attributes attributes;
  Caps caps;
  EXPECT_FALSE(GetAttributes(h, attributes));
  EXPECT_EQ(LastError().reason, Reason::kGone) << Describe(LastError());
  EXPECT_FALSE(GetCaps(h, caps));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_FALSE(GetInputReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_FALSE(WriteReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_EQ(ReadInputReport(h, report, sizeof report, kNoTimeLimit, &got), ReadResult::kFailed);
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_EQ(LastError().path.rfind("/dev/hidraw", 0), 0u) << LastError().path;
  std::lock_guard lock(node.mutex);
  EXPECT_EQ(node.getReportCalls, asked) << "the node was asked again";
  EXPECT_EQ(node.written.size(), written);
}

TEST_F(HidrawBackend, ANodeThatSaysItIsGoneFailsEveryLaterCallAtOnce) {
  struct Case {
    int error;
    int number;
  };
  for (const Case& c : {Case{ENODEV, 40}, Case{EIO, 41}, Case{ENXIO, 42}}) {
    SCOPED_TRACE(c.error);
    auto node = Plug(c.number, kLoader);
    const Handle h = OpenKept(LoaderPath(c.number), Access::kReadWrite);
    ASSERT_NE(h, kInvalidHandle);
    {
      std::lock_guard lock(node->mutex);
      node->goneErrno = c.error;
    }
    std::uint8_t report[65] = {};
    EXPECT_FALSE(GetInputReport(h, report, sizeof report));
    EXPECT_EQ(LastError().reason, Reason::kGone);
    EXPECT_EQ(LastError().systemCode, c.error);
    ExpectEveryCallGone(h, *node);
  }
}

TEST_F(HidrawBackend, AFailedReadOfAGoneNodeMarksTheHandleToo) {
  auto node = Plug(43, kLoader);
  const Handle h = OpenKept(LoaderPath(43), Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  {
    std::lock_guard lock(node->mutex);
    node->goneErrno = EIO;  // what read() gives after a pull
  }
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  EXPECT_EQ(ReadInputReport(h, report, sizeof report, kReadTimeLimitMs, &got), ReadResult::kFailed);
  ExpectEveryCallGone(h, *node);
}

// The node itself still answers (it stalls, as a device busy erasing does):
// only udev says it went, and that alone ends the wait and later calls.
TEST_F(HidrawBackend, TheRemovalOfAnOpenNodeEndsItsWaitingReadAndFailsLaterCalls) {
  EventLog log;
  Plug(44, kLoader);
  ASSERT_TRUE(log.WaitFor(1));
  const Handle h = Open(LoaderPath(44), Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {};
  std::size_t got = 0;
  ReadResult result = ReadResult::kOk;
  Error readError;
  std::thread reader([&] {
    result = ReadInputReport(h, report, sizeof report, kNoTimeLimit, &got);
    readError = LastError();
  });
  EmulatedBus::Instance().Unplug(44);
  ASSERT_TRUE(log.WaitFor(3));  // arrival, the handle, the interface
  reader.join();
  EXPECT_EQ(result, ReadResult::kFailed);
  EXPECT_EQ(readError.reason, Reason::kGone) << Describe(readError);
  Attributes attributes;
  EXPECT_FALSE(GetAttributes(h, attributes));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_FALSE(GetInputReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kGone);
  EXPECT_TRUE(Close(h));
}

}  // namespace
}  // namespace vexaro::hid
