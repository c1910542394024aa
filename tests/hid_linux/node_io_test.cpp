// Reads, writes and cancel on the node level, over a sequenced-packet socket
// pair: like a hidraw node it keeps report boundaries and polls for real.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "platform/linux/hid_node.h"
#include "platform/sys/sys.h"
#include "tests/hid_linux/thread_as_nobody.h"

namespace vexaro::hid::hidraw {
namespace {

// Program time of the timed reads; the scaled clock makes it a few real ms.
constexpr std::uint32_t kReadTimeLimitMs = 5000;
constexpr double kFastClock = 1000.0;

class NodeIo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds_), 0);
    cancel_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    sys::SetClockScale(kFastClock);
  }
  void TearDown() override {
    sys::SetClockScale(1.0);
    for (int fd : {fds_[0], fds_[1], cancel_})
      if (fd >= 0) ::close(fd);
  }
  void DeviceSends(std::vector<std::uint8_t> report) {
    ASSERT_EQ(::write(fds_[1], report.data(), report.size()), static_cast<ssize_t>(report.size()));
  }
  int node() const { return fds_[0]; }

  int fds_[2] = {-1, -1};
  int cancel_ = -1;
  std::uint8_t buffer_[65] = {};
  std::size_t got_ = 0;
};

TEST_F(NodeIo, UnnumberedReportsGetTheZeroIdByteInFront) {
  DeviceSends({0x46, 0x00, 0x41});
  ASSERT_EQ(
      ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, kReadTimeLimitMs, &got_),
      ReadResult::kOk);
  EXPECT_EQ(got_, 4u);
  EXPECT_EQ(buffer_[0], 0);
  EXPECT_EQ(buffer_[1], 0x46);
  EXPECT_EQ(buffer_[3], 0x41);
}

TEST_F(NodeIo, NumberedReportsKeepTheirIdFirst) {
  DeviceSends({0x02, 0xE9, 0x00});
  ASSERT_EQ(ReadNodeReport(node(), cancel_, true, buffer_, sizeof buffer_, kReadTimeLimitMs, &got_),
            ReadResult::kOk);
  EXPECT_EQ(got_, 3u);
  EXPECT_EQ(buffer_[0], 0x02);
  EXPECT_EQ(buffer_[1], 0xE9);
}

TEST_F(NodeIo, TimedOutReadLeavesNothingPendingAndTheNextReportGoesToTheNextRead) {
  EXPECT_EQ(
      ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, kReadTimeLimitMs, &got_),
      ReadResult::kTimedOut);
  EXPECT_EQ(got_, 0u);
  DeviceSends({0x01});
  DeviceSends({0x02});
  ASSERT_EQ(ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, 0, &got_),
            ReadResult::kOk);
  EXPECT_EQ(buffer_[1], 0x01);
  ASSERT_EQ(ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, 0, &got_),
            ReadResult::kOk);
  EXPECT_EQ(buffer_[1], 0x02);
}

TEST_F(NodeIo, ReadOfAGoneDeviceFails) {
  ::close(fds_[1]);
  fds_[1] = -1;
  EXPECT_EQ(ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, kNoTimeLimit, &got_),
            ReadResult::kFailed);
}

TEST_F(NodeIo, CancelWakesAReaderWaitingWithoutTimeLimit) {
  ReadResult result = ReadResult::kOk;
  std::thread reader([&] {
    result = ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, kNoTimeLimit, &got_);
  });
  const std::uint64_t one = 1;
  ASSERT_EQ(::write(cancel_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
  reader.join();
  EXPECT_EQ(result, ReadResult::kCancelled);
  DeviceSends({0x07});  // the cancelled read took nothing
  std::uint64_t count = 0;
  ASSERT_EQ(::read(cancel_, &count, sizeof count), static_cast<ssize_t>(sizeof count));
  ASSERT_EQ(ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, 0, &got_),
            ReadResult::kOk);
  EXPECT_EQ(buffer_[1], 0x07);
}

TEST_F(NodeIo, ReportWaitedForArrivesFromAnotherThread) {
  std::thread device([&] { DeviceSends({0x46}); });
  EXPECT_EQ(ReadNodeReport(node(), cancel_, false, buffer_, sizeof buffer_, kNoTimeLimit, &got_),
            ReadResult::kOk);
  device.join();
  EXPECT_EQ(buffer_[1], 0x46);
}

TEST_F(NodeIo, WriteSendsTheWholeReportIdFirst) {
  std::vector<std::uint8_t> report(65, 0xA5);
  report[0] = 0;
  ASSERT_TRUE(WriteNodeReport(node(), report.data(), report.size()));
  std::uint8_t received[80] = {};
  ASSERT_EQ(::read(fds_[1], received, sizeof received), 65);
  EXPECT_EQ(received[0], 0);
  EXPECT_EQ(received[64], 0xA5);
  EXPECT_FALSE(WriteNodeReport(node(), report.data(), 0));
  EXPECT_FALSE(WriteNodeReport(-1, report.data(), report.size()));
}

TEST(NodeOpen, RefusedPermissionNamesTheNodeAndTheUdevRule) {
  char dir[] = "/tmp/vexaro-node-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  ::chmod(dir, 0755);
  const std::string node = std::string(dir) + "/hidraw9";
  const int created = ::open(node.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(created, 0);
  ::close(created);
  ::chmod(node.c_str(), 0);  // nobody, and an owner without root, may not open it
  std::string error;
  int fd = -1;
  std::thread opener([&] {
    test::ThreadAsNobody nobody;
    fd = OpenNode(node, Access::kReadWrite, error);
  });
  opener.join();
  ::unlink(node.c_str());
  ::rmdir(dir);
  EXPECT_EQ(fd, -1);
  EXPECT_NE(error.find(node), std::string::npos) << error;
  EXPECT_NE(error.find(kUdevRuleName), std::string::npos) << error;
  EXPECT_NE(error.find("udevadm control --reload && udevadm trigger"), std::string::npos) << error;
}

TEST(NodeOpen, MissingNodeSaysWhatFailed) {
  std::string error;
  EXPECT_EQ(OpenNode("/dev/hidraw-not-there", Access::kQuery, error), -1);
  EXPECT_NE(error.find("/dev/hidraw-not-there"), std::string::npos);
  EXPECT_EQ(error.find(kUdevRuleName), std::string::npos);
}

}  // namespace
}  // namespace vexaro::hid::hidraw
