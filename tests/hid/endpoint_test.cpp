// One collection on its own: opening and matching, the description of its
// reports, and a reader stopped while it waits in its read.
#include "hid/endpoint.h"
#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

using EndpointTest = BusTest;

std::string VendorPath() {
  for (const std::string& p : hid::EnumerateInterfaces()) {
    HID_COLLECTION c;
    if (!OpenCollection(p, KeyboardConfig(false), c)) continue;
    CloseCollection(c);
    return p;
  }
  return {};
}

TEST_F(EndpointTest, OpensOnlyCollectionsOfTheConfiguredUsage) {
  Plug(std::make_shared<RecordingDevice>());
  const auto paths = hid::EnumerateInterfaces();
  ASSERT_EQ(paths.size(), 2u);
  HID_COLLECTION c;
  EXPECT_FALSE(OpenCollection(paths[0], KeyboardConfig(false), c));  // the boot keyboard
  EXPECT_EQ(c.handle, hid::kInvalidHandle);
  HID_MONITOR_CONFIG other = KeyboardConfig(false);
  other.dwProductID = 0x9999;
  EXPECT_FALSE(OpenCollection(paths[1], other, c));
  ASSERT_TRUE(OpenCollection(paths[1], KeyboardConfig(false), c));
  EXPECT_EQ(c.input.buffer.size(), 65u);
  ASSERT_EQ(c.output.items.size(), 1u);
  std::uint8_t id = 0;
  EXPECT_TRUE(OutputReportId(c, id));
  EXPECT_EQ(id, 5);
  const hid::Handle h = c.handle;
  CloseCollection(c);
  EXPECT_EQ(c.handle, hid::kInvalidHandle);
  EXPECT_FALSE(hid::Close(h));  // already released
}

TEST_F(EndpointTest, ButtonRangesAndValueRangesBecomeItems) {
  HID_COLLECTION c;
  c.caps.inputReportByteLength = 9;
  c.caps.items = {{hid::ReportKind::kInput, true, 0, 0x07, 0, true, 0xE0, 0xE7, 1, 8},
                  {hid::ReportKind::kInput, false, 2, 0x01, 0, true, 0x30, 0x32, 8, 3}};
  EXPECT_TRUE(DescribeReports(c));
  ASSERT_EQ(c.input.items.size(), 4u);  // one button item, three value usages
  EXPECT_EQ(c.input.items[0].bIsButton, 1);
  EXPECT_EQ(c.input.items[0].maxUsageListLength, 8u);
  EXPECT_EQ(c.input.items[3].usage, 0x32);
  EXPECT_EQ(c.input.items[3].reportId, 2u);
  EXPECT_TRUE(c.output.items.empty());
}

TEST_F(EndpointTest, ImplausibleCapabilitiesStopTheDescription) {
  HID_COLLECTION c;
  c.caps.inputReportByteLength = 9;
  c.caps.items = {{hid::ReportKind::kInput, false, 0, 0x01, 0, true, 0x40, 0x30, 8, 1}};  // min > max
  EXPECT_FALSE(DescribeReports(c));
  EXPECT_TRUE(c.input.items.empty());
  HID_COLLECTION huge;
  huge.caps.outputReportByteLength = 60000;
  EXPECT_FALSE(DescribeReports(huge));
  EXPECT_TRUE(huge.output.buffer.empty());
}

TEST_F(EndpointTest, AReaderWaitingInItsReadIsStoppedAndItsHandleReleased) {
  Plug(std::make_shared<RecordingDevice>());
  HID_ENDPOINT ep;
  ASSERT_TRUE(OpenCollection(VendorPath(), KeyboardConfig(false), ep.collection));
  std::atomic<bool> suspended{false};
  std::mutex io;
  ep.suspended = &suspended;
  ep.csIo = &io;
  ASSERT_TRUE(StartReader(&ep));
  sys::SleepMs(50);  // the reader is now blocked: no report will come
  EXPECT_EQ(StopReader(&ep), 1);
  EXPECT_FALSE(ep.reader.joinable());
  const hid::Handle h = ep.collection.handle;
  CloseCollection(ep.collection);
  EXPECT_FALSE(hid::Close(h));
  EXPECT_EQ(StopReader(&ep), 1);  // no reader any more
}

}  // namespace
}  // namespace vexaro::usb::test
