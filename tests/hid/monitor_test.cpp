// The HID monitor on the simulated bus: state records for collections present,
// arriving, removed, suspended and resumed; device ids; stop; the window class
// names of a second monitor; writes, GET_REPORT and input reports.
#include <thread>

#include "tests/hid/hid_test_util.h"

namespace vexaro::usb::test {
namespace {

using MonitorTest = BusTest;

std::atomic<int> g_reports{0};
std::mutex g_reportLock;
std::vector<std::uint8_t> g_lastReport;
std::uint16_t g_lastId = 0;

void Collect(std::uint16_t id, const std::uint8_t* report, std::uint32_t length) {
  std::lock_guard lock(g_reportLock);
  g_lastReport.assign(report, report + length);
  g_lastId = id;
  ++g_reports;
}

int Start(Client& client, bool both, int slot = 0) {
  const HID_MONITOR_CONFIG config = KeyboardConfig(both);
  HidMon_SetConfig(&config, slot);
  HidMon_SetCallback(Collect, slot);
  return HidMon_Start(client.hwnd, kStateMsg, slot);
}

TEST_F(MonitorTest, PresentCollectionsOpenWithIdsFromOne) {
  auto device = std::make_shared<RecordingDevice>();
  Plug(device);
  Client client;
  EXPECT_EQ(Start(client, true), 3);
  const auto r = client.Records();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].dwState, kCollectionOpened);
  EXPECT_EQ(r[0].wDeviceID, 1);
  EXPECT_EQ(r[0].wUsagePage, 0x0001);
  EXPECT_EQ(r[1].wDeviceID, 2);
  EXPECT_EQ(r[1].wVendorID, kVid);
  EXPECT_EQ(r[1].wProductID, kPid);
  EXPECT_EQ(r[1].wUsage, 0x0001);
  EXPECT_EQ(r[1].wUsagePage, 0xFF00);
}

TEST_F(MonitorTest, NothingPresentSendsTheAllZeroRecord) {
  Plug(std::make_shared<RecordingDevice>(), 0x1234);  // another product
  Client client;
  EXPECT_EQ(Start(client, true), 0);
  const auto r = client.Records();
  ASSERT_EQ(r.size(), 1u);
  const _DEVICE_STATE zero{};
  EXPECT_EQ(std::memcmp(&r[0], &zero, sizeof zero), 0);
}

TEST_F(MonitorTest, LatePlugOpensWithTheNextIdAndUnplugClosesOnce) {
  Client client;
  EXPECT_EQ(Start(client, false), 0);
  const int port = Plug(std::make_shared<RecordingDevice>());
  ASSERT_TRUE(client.WaitRecords(2));
  EXPECT_EQ(client.Records()[1].dwState, kCollectionOpened);
  EXPECT_EQ(client.Records()[1].wDeviceID, 1);
  ASSERT_TRUE(simbus::TheBus().Unplug(port));
  ASSERT_TRUE(client.WaitRecords(3));
  gui::test::PumpUntil([] { return false; }, 100);  // an interface removal would add nothing
  const auto r = client.Records();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[2].dwState, kCollectionClosed);
  EXPECT_EQ(r[2].wDeviceID, 1);
  const std::uint8_t x = 0;
  EXPECT_EQ(HidMon_Write(1, &x, 1, 0), 0);  // closed
}

TEST_F(MonitorTest, AnArrivalOfAnOpenInterfaceOpensNothingTwice) {
  Plug(std::make_shared<RecordingDevice>());
  Client client;
  ASSERT_EQ(Start(client, false), 2);
  // As if the interface's arrival had been queued while the start enumerated.
  for (const std::string& path : hid::EnumerateInterfaces()) {
    gui::BroadcastDeviceInterfaceEvent(gui::DBT_DEVICEARRIVAL, gui::kHidInterfaceClassGuid, path);
  }
  gui::test::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(client.Records().size(), 1u);
}

TEST_F(MonitorTest, SuspendClosesAllAndResumeReopensFromIdOne) {
  Plug(std::make_shared<RecordingDevice>());
  Client client;
  ASSERT_EQ(Start(client, true), 3);
  simbus::TheBus().Suspend();
  ASSERT_TRUE(client.WaitRecords(4));
  EXPECT_EQ(client.Records()[2].dwState, kCollectionClosed);
  EXPECT_EQ(client.Records()[3].dwState, kCollectionClosed);
  EXPECT_EQ(HidMon_Write(1, nullptr, 0, 0), 0);  // suspended
  simbus::TheBus().Resume();
  ASSERT_TRUE(client.WaitRecords(6));
  const auto r = client.Records();
  EXPECT_EQ(r[4].dwState, kCollectionOpened);
  EXPECT_EQ(r[4].wDeviceID, 1);
  EXPECT_EQ(r[5].wDeviceID, 2);
}

TEST_F(MonitorTest, StopSendsNoRecordsAndTheNextStartCountsFromOne) {
  Plug(std::make_shared<RecordingDevice>());
  Client client;
  ASSERT_EQ(Start(client, true), 3);
  HidMon_Stop(0);
  gui::test::Pump();
  EXPECT_EQ(client.Records().size(), 2u);
  EXPECT_EQ(Start(client, true), 3);
  const auto r = client.Records();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[2].wDeviceID, 1);
  EXPECT_EQ(r[3].wDeviceID, 2);
}

TEST_F(MonitorTest, ASecondMonitorRegistersItsClassWithTheSuffixZero) {
  Plug(std::make_shared<RecordingDevice>());
  Client client;
  ASSERT_EQ(Start(client, false, 0), 2);
  ASSERT_EQ(Start(client, false, 1), 2);
  gui::WNDCLASS wc;
  wc.lpfnWndProc = gui::DefWindowProc;
  wc.lpszClassName = "Thread In DLL_0";
  EXPECT_FALSE(gui::RegisterClass(wc));  // taken by the second monitor
  wc.lpszClassName = "Thread In DLL_1";
  EXPECT_TRUE(gui::RegisterClass(wc));
  gui::UnregisterClass("Thread In DLL_1");
  HidMon_Stop(1);
  wc.lpszClassName = "Thread In DLL_0";
  EXPECT_TRUE(gui::RegisterClass(wc));  // released when its thread ended
  gui::UnregisterClass("Thread In DLL_0");
}

TEST_F(MonitorTest, WritesCarryTheReportIdAndAreCutToTheOutputLength) {
  auto device = std::make_shared<RecordingDevice>();
  Plug(device);
  Client client;
  ASSERT_EQ(Start(client, false), 2);
  std::vector<std::uint8_t> data(100);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i + 1);
  EXPECT_NE(HidMon_Write(1, data.data(), 64, 0), 0);
  EXPECT_NE(HidMon_Write(1, data.data(), 100, 0), 0);
  std::lock_guard lock(device->m);
  ASSERT_EQ(device->writes.size(), 2u);
  for (const auto& w : device->writes) {
    ASSERT_EQ(w.bytes.size(), 65u);
    EXPECT_EQ(w.bytes[0], 5);
    EXPECT_EQ(w.bytes[1], 1);
    EXPECT_EQ(w.bytes[64], 64);
  }
}

TEST_F(MonitorTest, UnknownIdsAndIdZeroAreRefused) {
  auto device = std::make_shared<RecordingDevice>();
  device->status = {'O', 'K'};
  Plug(device);
  Client client;
  ASSERT_EQ(Start(client, false), 2);
  std::uint8_t data[64] = {};
  EXPECT_EQ(HidMon_Write(0, data, 64, 0), 0);
  EXPECT_EQ(HidMon_GetInputReport(0, data, 64, 0), 0);
  EXPECT_EQ(HidMon_Write(2, data, 64, 0), 0);
  EXPECT_EQ(HidMon_Write(1, data, 64, 7), 0);  // no such slot
  EXPECT_NE(HidMon_GetInputReport(1, data, 64, 0), 0);
  EXPECT_EQ(data[0], 'O');
  EXPECT_EQ(data[1], 'K');
  std::lock_guard lock(device->m);
  EXPECT_EQ(device->requests, std::vector<std::uint8_t>{5});  // the output report's id
}

TEST_F(MonitorTest, InputReportsReachTheCallbackWholeWithTheReportIdFirst) {
  const int port = Plug(std::make_shared<RecordingDevice>());
  Client client;
  ASSERT_EQ(Start(client, false), 2);
  const int before = g_reports.load();
  std::uint8_t report[65] = {0};
  report[1] = 0xAB;
  report[64] = 0xCD;
  simbus::TheBus().PushInputReport(port, 1, report, sizeof report, sys::NowMs());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return g_reports.load() > before; }));
  std::lock_guard lock(g_reportLock);
  ASSERT_EQ(g_lastReport.size(), 65u);
  EXPECT_EQ(g_lastReport[1], 0xAB);
  EXPECT_EQ(g_lastReport[64], 0xCD);
  EXPECT_EQ(g_lastId, 1);
}

TEST_F(MonitorTest, ReportsLongerThanTheCallbackBufferArriveCutToIt) {
  simbus::DeviceDescriptor descriptor = KeyboardDescriptor();
  descriptor.collections[1].inputReportByteLength = 1200;
  const int port = simbus::TheBus().NewPort();
  ASSERT_TRUE(simbus::TheBus().Plug(port, descriptor, std::make_shared<RecordingDevice>()));
  Client client;
  ASSERT_EQ(Start(client, false), 2);
  const int before = g_reports.load();
  std::vector<std::uint8_t> report(1200, 0x5A);
  report[0] = 5;
  simbus::TheBus().PushInputReport(port, 1, report.data(), report.size(), sys::NowMs());
  ASSERT_TRUE(gui::test::PumpUntil([&] { return g_reports.load() > before; }));
  std::lock_guard lock(g_reportLock);
  ASSERT_EQ(g_lastReport.size(), 1000u);
  EXPECT_EQ(g_lastReport[0], 5);
  EXPECT_EQ(g_lastReport[999], 0x5A);
}

}  // namespace
}  // namespace vexaro::usb::test
