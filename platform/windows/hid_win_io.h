// Report transfers on an opened Windows HID handle: the overlapped read with a
// time limit on the program clock and a cancel event, and the write that
// waits for its report to be taken, on handles opened with or without overlap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/hid/hid.h"
#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win {

// Issues one ReadFile on file (opened with FILE_FLAG_OVERLAPPED) and waits
// for it, for the cancel event (manual reset, set by another thread) or for
// timeoutMs of program time (kNoTimeLimit: no limit). Whatever ends the wait,
// no request is left pending when it returns: an unfinished read is cancelled
// and its end awaited, and a report that completed meanwhile is kept (kOk).
ReadResult OverlappedRead(const WinHidApi& api, HANDLE file, HANDLE cancelEvent,
                          std::uint8_t* data, std::size_t length, std::uint32_t timeoutMs,
                          std::size_t* bytesRead);

// Writes one whole report; overlapped says how file was opened. True only
// when every byte was taken.
bool WriteWholeReport(const WinHidApi& api, HANDLE file, bool overlapped, const std::uint8_t* data,
                      std::size_t length);

// The wait in real milliseconds for timeoutMs of program time, rounded up so
// that a short limit never becomes no wait at all.
DWORD RealWaitMs(std::uint32_t timeoutMs);

}  // namespace vexaro::hid::win
