// Overlapped transfers: every request this file issues has ended when its
// function returns.
#include "platform/windows/hid_win_io.h"

#include <chrono>
#include <limits>

#include "platform/sys/sys.h"

namespace vexaro::hid::win {
namespace {

// Owns the event of one overlapped request.
struct Request {
  OVERLAPPED overlapped{};
  Request() { overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr); }
  ~Request() {
    if (overlapped.hEvent != nullptr) ::CloseHandle(overlapped.hEvent);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;
};

bool FitsDword(std::size_t length) { return length <= std::numeric_limits<DWORD>::max(); }

// Ends a request still in flight: the cancel reaches the calling thread's own
// requests, which this one is; then the end is awaited, as the buffer and the
// OVERLAPPED must outlive it. True when it finished with data after all.
bool CancelAndCollect(const WinHidApi& api, HANDLE file, Request& request, DWORD& count) {
  api.CancelIo(file);
  return api.GetOverlappedResult(file, &request.overlapped, &count, TRUE) != FALSE;
}

}  // namespace

DWORD RealWaitMs(std::uint32_t timeoutMs) {
  if (timeoutMs == kNoTimeLimit) return INFINITE;
  const auto real = sys::RealDuration(timeoutMs);
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(real).count();
  return ms >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(ms);
}

ReadResult OverlappedRead(const WinHidApi& api, HANDLE file, HANDLE cancelEvent,
                          std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                          std::size_t* bytesRead) {
  std::size_t ignored = 0;
  std::size_t& got = bytesRead != nullptr ? *bytesRead : ignored;
  got = 0;
  Request request;
  if (request.overlapped.hEvent == nullptr || !FitsDword(length)) return ReadResult::kFailed;
  DWORD count = 0;
  if (api.ReadFile(file, data, static_cast<DWORD>(length), &count, &request.overlapped)) {
    got = count;
    return ReadResult::kOk;
  }
  if (GetLastError() != ERROR_IO_PENDING) return ReadResult::kFailed;
  const HANDLE waits[2] = {request.overlapped.hEvent, cancelEvent};
  const DWORD woke = WaitForMultipleObjects(cancelEvent != nullptr ? 2 : 1, waits, FALSE,
                                            RealWaitMs(timeoutMs));
  if (woke == WAIT_OBJECT_0) {
    if (!api.GetOverlappedResult(file, &request.overlapped, &count, FALSE)) return ReadResult::kFailed;
    got = count;
    return ReadResult::kOk;
  }
  if (CancelAndCollect(api, file, request, count)) {
    got = count;
    return ReadResult::kOk;
  }
  if (woke == WAIT_OBJECT_0 + 1) return ReadResult::kCancelled;
  return woke == WAIT_TIMEOUT ? ReadResult::kTimedOut : ReadResult::kFailed;
}

bool WriteWholeReport(const WinHidApi& api, HANDLE file, bool overlapped, const std::uint8_t* data,
                      std::size_t length) {
  if (!FitsDword(length)) return false;
  const DWORD size = static_cast<DWORD>(length);
  DWORD written = 0;
  if (!overlapped) return api.WriteFile(file, data, size, &written, nullptr) && written == size;
  Request request;
  if (request.overlapped.hEvent == nullptr) return false;
  if (!api.WriteFile(file, data, size, &written, &request.overlapped)) {
    // The HID class driver takes an output report promptly; the write waits
    // for it without a limit, as a synchronous handle would.
    if (GetLastError() != ERROR_IO_PENDING ||
        !api.GetOverlappedResult(file, &request.overlapped, &written, TRUE))
      return false;
  }
  return written == size;
}

}  // namespace vexaro::hid::win
