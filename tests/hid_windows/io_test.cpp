// The overlapped read and the write on real overlapped pipes (message mode
// keeps report boundaries as a HID handle does), and, through the table, the
// moments a real device cannot be made to show on demand.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "fake_hid_system.h"
#include "platform/windows/hid_win_io.h"

namespace vexaro::hid::win {
namespace {

using testing::ReceiveFromHost;
using testing::SendToHost;

struct PipePair {
  HANDLE device = INVALID_HANDLE_VALUE;  // the test's end, synchronous
  HANDLE host = INVALID_HANDLE_VALUE;    // the backend's end, overlapped
  HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  PipePair() {
    static int serial = 0;
    const std::string name = "\\\\.\\pipe\\vexaro-io-test-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++serial);
    device = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX,
                              PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    host = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(host, &mode, nullptr, nullptr);
  }
  ~PipePair() {
    CloseHandle(host);
    CloseHandle(device);
    CloseHandle(cancel);
  }
  ReadResult Read(std::vector<std::uint8_t>& report, std::uint32_t timeoutMs, const WinHidApi& api = SystemWinHidApi()) {
    report.assign(65, 0);
    std::size_t got = 0;
    const ReadResult result = OverlappedRead(api, host, cancel, report.data(), report.size(), timeoutMs, &got);
    report.resize(got);
    return result;
  }
};

const std::vector<std::uint8_t> kReport = {0x00, 0x01, 0x02, 0x03, 0x04};

TEST(WinHidRead, AReportQueuedBeforeTheReadIsTakenWhole) {
  PipePair pipe;
  ASSERT_NE(pipe.host, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SendToHost(pipe.device, kReport));
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, 1000), ReadResult::kOk);
  EXPECT_EQ(report, kReport);
}

TEST(WinHidRead, AReportArrivingDuringTheWaitEndsIt) {
  PipePair pipe;
  std::thread device([&] { SendToHost(pipe.device, kReport); });
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, kNoTimeLimit), ReadResult::kOk);
  device.join();
  EXPECT_EQ(report, kReport);
}

TEST(WinHidRead, ATimedOutReadLeavesNothingPendingForTheNextReport) {
  PipePair pipe;
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, 30), ReadResult::kTimedOut);
  EXPECT_TRUE(report.empty());
  // Had the first request stayed pending, it would take this report.
  ASSERT_TRUE(SendToHost(pipe.device, kReport));
  EXPECT_EQ(pipe.Read(report, 1000), ReadResult::kOk);
  EXPECT_EQ(report, kReport);
}

TEST(WinHidRead, TheCancelEventEndsAWaitingRead) {
  PipePair pipe;
  ReadResult result = ReadResult::kOk;
  std::vector<std::uint8_t> report;
  std::thread reader([&] { result = pipe.Read(report, kNoTimeLimit); });
  SetEvent(pipe.cancel);  // before or during the wait: either way it ends
  reader.join();
  EXPECT_EQ(result, ReadResult::kCancelled);
  ResetEvent(pipe.cancel);
  ASSERT_TRUE(SendToHost(pipe.device, kReport));
  EXPECT_EQ(pipe.Read(report, 1000), ReadResult::kOk);
  EXPECT_EQ(report, kReport);
}

TEST(WinHidRead, AGoneDeviceFailsTheRead) {
  PipePair pipe;
  CloseHandle(pipe.device);
  pipe.device = INVALID_HANDLE_VALUE;
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, 1000), ReadResult::kFailed);
}

// A report that completes just as the time runs out is kept, not dropped:
// the end of the cancelled request says it finished with data.
BOOL __stdcall PendingRead(HANDLE, LPVOID buffer, DWORD, LPDWORD, LPOVERLAPPED) {
  static_cast<std::uint8_t*>(buffer)[1] = 0x42;
  SetLastError(ERROR_IO_PENDING);
  return FALSE;
}
int g_cancels = 0;
BOOL __stdcall CountedCancel(HANDLE) {
  ++g_cancels;
  return TRUE;
}
BOOL __stdcall CompletedAfterAll(HANDLE, LPOVERLAPPED, LPDWORD count, BOOL wait) {
  EXPECT_TRUE(wait) << "the end of a cancelled request must be awaited";
  *count = 65;
  return TRUE;
}
BOOL __stdcall RefusedRead(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) {
  SetLastError(ERROR_DEVICE_NOT_CONNECTED);
  return FALSE;
}

TEST(WinHidRead, AReportCompletingDuringTheCancelIsKept) {
  PipePair pipe;
  WinHidApi api = SystemWinHidApi();
  api.ReadFile = PendingRead;
  api.CancelIo = CountedCancel;
  api.GetOverlappedResult = CompletedAfterAll;
  g_cancels = 0;
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, 1, api), ReadResult::kOk);
  EXPECT_EQ(g_cancels, 1);
  ASSERT_EQ(report.size(), 65u);
  EXPECT_EQ(report[1], 0x42);
}

TEST(WinHidRead, AReadRefusedAtOnceIsNotWaitedFor) {
  PipePair pipe;
  WinHidApi api = SystemWinHidApi();
  api.ReadFile = RefusedRead;
  api.CancelIo = CountedCancel;
  g_cancels = 0;
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, kNoTimeLimit, api), ReadResult::kFailed);
  EXPECT_EQ(g_cancels, 0);
}

TEST(WinHidWrite, OverlappedAndSynchronousHandlesWriteWholeReports) {
  PipePair pipe;
  EXPECT_TRUE(WriteWholeReport(SystemWinHidApi(), pipe.host, true, kReport.data(), kReport.size()));
  EXPECT_EQ(ReceiveFromHost(pipe.device), kReport);
  // The device's end is synchronous: the same call without overlap.
  EXPECT_TRUE(WriteWholeReport(SystemWinHidApi(), pipe.device, false, kReport.data(), kReport.size()));
  std::vector<std::uint8_t> report;
  EXPECT_EQ(pipe.Read(report, 1000), ReadResult::kOk);
  EXPECT_EQ(report, kReport);
}

TEST(WinHidWrite, AWriteToAGoneDeviceFails) {
  PipePair pipe;
  CloseHandle(pipe.device);
  pipe.device = INVALID_HANDLE_VALUE;
  EXPECT_FALSE(WriteWholeReport(SystemWinHidApi(), pipe.host, true, kReport.data(), kReport.size()));
}

}  // namespace
}  // namespace vexaro::hid::win
