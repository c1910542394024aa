// A made-up set of HID devices behind the backend's table of system
// functions: SetupAPI lists their paths, the HID calls answer with their
// attributes and capabilities, and opening one gives a real overlapped named
// pipe whose other end the test holds, so reads, writes, time limits and
// cancels run through the system's own file I/O.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win::testing {

struct FakeInterface {
  std::string path;  // as SetupAPI spells it
  HIDD_ATTRIBUTES attributes{sizeof(HIDD_ATTRIBUTES), 0, 0, 0};
  HIDP_CAPS caps{};
  std::vector<HIDP_BUTTON_CAPS> buttons[3];
  std::vector<HIDP_VALUE_CAPS> values[3];
  std::vector<std::uint8_t> currentInputReport;  // empty: GET_REPORT fails with getReportError
  DWORD getReportError = ERROR_GEN_FAILURE;      // what the class driver says of a stall
  DWORD openError = 0;                           // nonzero: CreateFileA fails with it
  bool detailFails = false;
  bool attributesFail = false;
  bool preparsedFails = false;
  NTSTATUS buttonStatus = HIDP_STATUS_SUCCESS;
  USHORT extraButtonsAnswered = 0;  // the parser claims more entries than asked
};

struct FakeCounters {
  int classSetsMade = 0;
  int classSetsDestroyed = 0;
  int preparsedTaken = 0;
  int preparsedFreed = 0;
  int filesOpened = 0;
  int filesClosed = 0;
  DWORD lastAccess = 0;
  DWORD lastFlags = 0;
  HANDLE lastHostFile = INVALID_HANDLE_VALUE;  // the backend's end last opened
};

// Replaces the devices (and resets the counters). Not thread-safe against a
// backend call running at the same time; tests set up between calls.
void SetFakeInterfaces(std::vector<FakeInterface> interfaces);
void SetClassDevsFail(bool fail);
void SetPendingInstallAnswer(DWORD answer);
FakeCounters Counters();
// The test's end of the pipe behind the last handle opened on the path:
// write input reports to it, read the written output reports from it.
HANDLE DeviceEnd(const std::string& path);

const WinHidApi& FakeApi();
// ForgetIssuedReads, then WaitForReadIssued: waits until the backend has
// issued a read in between; false after a second of real time.
void ForgetIssuedReads();
bool WaitForReadIssued();

// A one-line report for the pipes: message mode keeps its boundaries.
bool SendToHost(HANDLE deviceEnd, const std::vector<std::uint8_t>& report);
std::vector<std::uint8_t> ReceiveFromHost(HANDLE deviceEnd);

}  // namespace vexaro::hid::win::testing
