// The made-up HID devices behind the fake table.
#include "fake_hid_system.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/windows/hid_win_paths.h"

namespace vexaro::hid::win::testing {
namespace {

struct State {
  std::mutex mutex;
  std::vector<FakeInterface> interfaces;
  bool classDevsFail = false;
  DWORD pendingAnswer = WAIT_OBJECT_0;
  FakeCounters counters;
  std::map<HANDLE, std::size_t> openFiles;       // host handle -> interface
  std::map<std::size_t, HANDLE> deviceEnds;      // interface -> last device end
  std::vector<HANDLE> allDeviceEnds;
  int pipeSerial = 0;
};

State& S() {
  static State state;
  return state;
}

const HDEVINFO kFakeSet = reinterpret_cast<HDEVINFO>(static_cast<std::uintptr_t>(0x5E7));

const FakeInterface* ByPreparsed(PHIDP_PREPARSED_DATA data) {
  const auto index = reinterpret_cast<std::uintptr_t>(data);
  return index == 0 || index > S().interfaces.size() ? nullptr : &S().interfaces[index - 1];
}

const FakeInterface* ByFile(HANDLE file, std::size_t* indexOut = nullptr) {
  auto it = S().openFiles.find(file);
  if (it == S().openFiles.end()) return nullptr;
  if (indexOut) *indexOut = it->second;
  return &S().interfaces[it->second];
}

int KindIndex(HIDP_REPORT_TYPE type) { return type == HidP_Input ? 0 : type == HidP_Output ? 1 : 2; }

void __stdcall GetHidGuid(LPGUID guid) {
  *guid = GUID{0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}

BOOLEAN __stdcall GetAttributes(HANDLE file, PHIDD_ATTRIBUTES out) {
  std::lock_guard lock(S().mutex);
  const FakeInterface* fi = ByFile(file);
  if (fi == nullptr || fi->attributesFail || out->Size != sizeof(HIDD_ATTRIBUTES)) return FALSE;
  *out = fi->attributes;
  return TRUE;
}

BOOLEAN __stdcall GetPreparsed(HANDLE file, PHIDP_PREPARSED_DATA* out) {
  std::lock_guard lock(S().mutex);
  std::size_t index = 0;
  const FakeInterface* fi = ByFile(file, &index);
  if (fi == nullptr || fi->preparsedFails) return FALSE;
  ++S().counters.preparsedTaken;
  *out = reinterpret_cast<PHIDP_PREPARSED_DATA>(index + 1);
  return TRUE;
}

BOOLEAN __stdcall FreePreparsed(PHIDP_PREPARSED_DATA) {
  std::lock_guard lock(S().mutex);
  ++S().counters.preparsedFreed;
  return TRUE;
}

NTSTATUS __stdcall GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS caps) {
  std::lock_guard lock(S().mutex);
  const FakeInterface* fi = ByPreparsed(data);
  if (fi == nullptr) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  *caps = fi->caps;
  return HIDP_STATUS_SUCCESS;
}

template <typename Entry>
NTSTATUS CopyCaps(const std::vector<Entry>& from, Entry* to, PUSHORT length, USHORT extra) {
  if (*length < from.size()) return HIDP_STATUS_BUFFER_TOO_SMALL;
  std::copy(from.begin(), from.end(), to);
  *length = static_cast<USHORT>(from.size() + extra);
  return HIDP_STATUS_SUCCESS;
}

NTSTATUS __stdcall GetButtonCaps(HIDP_REPORT_TYPE type, USAGE, USHORT, USAGE, PHIDP_BUTTON_CAPS out,
                                 PUSHORT length, PHIDP_PREPARSED_DATA data) {
  std::lock_guard lock(S().mutex);
  const FakeInterface* fi = ByPreparsed(data);
  if (fi == nullptr) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  if (fi->buttonStatus != HIDP_STATUS_SUCCESS) return fi->buttonStatus;
  return CopyCaps(fi->buttons[KindIndex(type)], out, length, fi->extraButtonsAnswered);
}

NTSTATUS __stdcall GetValueCaps(HIDP_REPORT_TYPE type, USAGE, USHORT, USAGE, PHIDP_VALUE_CAPS out,
                                PUSHORT length, PHIDP_PREPARSED_DATA data) {
  std::lock_guard lock(S().mutex);
  const FakeInterface* fi = ByPreparsed(data);
  if (fi == nullptr) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  return CopyCaps(fi->values[KindIndex(type)], out, length, 0);
}

ULONG __stdcall MaxUsageListLength(HIDP_REPORT_TYPE, USAGE, PHIDP_PREPARSED_DATA) { return 0; }

BOOLEAN __stdcall GetInputReport(HANDLE file, PVOID buffer, ULONG length) {
  std::lock_guard lock(S().mutex);
  const FakeInterface* fi = ByFile(file);
  if (fi == nullptr || fi->currentInputReport.empty() || length < fi->currentInputReport.size()) {
    SetLastError(fi == nullptr ? ERROR_INVALID_HANDLE : fi->getReportError);
    return FALSE;
  }
  std::memcpy(buffer, fi->currentInputReport.data(), fi->currentInputReport.size());
  return TRUE;
}

HDEVINFO __stdcall GetClassDevs(const GUID*, PCSTR, HWND, DWORD flags) {
  std::lock_guard lock(S().mutex);
  if (S().classDevsFail || flags != (DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)) return INVALID_HANDLE_VALUE;
  ++S().counters.classSetsMade;
  return kFakeSet;
}

BOOL __stdcall EnumInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                              PSP_DEVICE_INTERFACE_DATA data) {
  std::lock_guard lock(S().mutex);
  if (set != kFakeSet || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA) ||
      index >= S().interfaces.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  data->Reserved = index;
  return TRUE;
}

BOOL __stdcall GetDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data, PSP_DEVICE_INTERFACE_DETAIL_DATA_A detail,
                         DWORD size, PDWORD required, PSP_DEVINFO_DATA) {
  std::lock_guard lock(S().mutex);
  const FakeInterface& fi = S().interfaces.at(data->Reserved);
  const DWORD need = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + fi.path.size() + 1);
  if (required != nullptr) *required = need;
  if (fi.detailFails) return FALSE;
  if (detail == nullptr || size < need || detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(detail->DevicePath, fi.path.c_str(), fi.path.size() + 1);
  return TRUE;
}

BOOL __stdcall DestroyList(HDEVINFO set) {
  std::lock_guard lock(S().mutex);
  if (set == kFakeSet) ++S().counters.classSetsDestroyed;
  return set == kFakeSet;
}

DWORD __stdcall WaitNoPending(DWORD) { return S().pendingAnswer; }

// Opening an interface makes a fresh pipe instance and connects to it with
// the flags the backend asked for.
HANDLE __stdcall OpenFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                          DWORD flags, HANDLE templ) {
  std::lock_guard lock(S().mutex);
  S().counters.lastAccess = access;
  S().counters.lastFlags = flags;
  for (std::size_t i = 0; i < S().interfaces.size(); ++i) {
    if (NormalizeInterfacePath(S().interfaces[i].path) != NormalizeInterfacePath(path)) continue;
    if (S().interfaces[i].openError != 0) {
      SetLastError(S().interfaces[i].openError);
      return INVALID_HANDLE_VALUE;
    }
    const std::string pipe = "\\\\.\\pipe\\vexaro-fake-hid-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++S().pipeSerial);
    HANDLE device = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                     4096, 0, nullptr);
    if (device == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
    // Pipes need some right to be opened; access 0 (a query handle) gets read.
    HANDLE host = ::CreateFileA(pipe.c_str(), access == 0 ? GENERIC_READ : access, share, sa,
                                disposition, flags, templ);
    if (host == INVALID_HANDLE_VALUE) {
      ::CloseHandle(device);
      return host;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(host, &mode, nullptr, nullptr);
    ++S().counters.filesOpened;
    S().counters.lastHostFile = host;
    S().openFiles[host] = i;
    S().deviceEnds[i] = device;
    S().allDeviceEnds.push_back(device);
    return host;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return INVALID_HANDLE_VALUE;
}

BOOL __stdcall CloseFile(HANDLE file) {
  {
    std::lock_guard lock(S().mutex);
    if (S().openFiles.erase(file) != 0) ++S().counters.filesClosed;
  }
  return ::CloseHandle(file);
}

HANDLE ReadIssuedEvent() {
  static HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  return event;
}

BOOL __stdcall ReadAndTell(HANDLE file, LPVOID buffer, DWORD length, LPDWORD count, LPOVERLAPPED overlapped) {
  const BOOL done = ::ReadFile(file, buffer, length, count, overlapped);
  const DWORD error = GetLastError();
  SetEvent(ReadIssuedEvent());
  SetLastError(error);
  return done;
}

}  // namespace

void ForgetIssuedReads() { ResetEvent(ReadIssuedEvent()); }

bool WaitForReadIssued() { return WaitForSingleObject(ReadIssuedEvent(), 1000) == WAIT_OBJECT_0; }

void SetFakeInterfaces(std::vector<FakeInterface> interfaces) {
  std::lock_guard lock(S().mutex);
  S().interfaces = std::move(interfaces);
  S().counters = {};
  S().deviceEnds.clear();
  for (HANDLE end : S().allDeviceEnds) ::CloseHandle(end);
  S().allDeviceEnds.clear();
}

void SetClassDevsFail(bool fail) {
  std::lock_guard lock(S().mutex);
  S().classDevsFail = fail;
}

void SetPendingInstallAnswer(DWORD answer) {
  std::lock_guard lock(S().mutex);
  S().pendingAnswer = answer;
}

FakeCounters Counters() {
  std::lock_guard lock(S().mutex);
  return S().counters;
}

HANDLE DeviceEnd(const std::string& path) {
  std::lock_guard lock(S().mutex);
  for (std::size_t i = 0; i < S().interfaces.size(); ++i) {
    if (S().interfaces[i].path == path && S().deviceEnds.count(i)) return S().deviceEnds[i];
  }
  return INVALID_HANDLE_VALUE;
}

const WinHidApi& FakeApi() {
  static const WinHidApi api{GetHidGuid, GetAttributes, GetPreparsed, FreePreparsed, GetCaps,
                             GetButtonCaps, GetValueCaps, MaxUsageListLength, GetInputReport,
                             GetClassDevs, EnumInterfaces, GetDetail, DestroyList, WaitNoPending,
                             OpenFile, CloseFile, ReadAndTell, ::WriteFile, ::GetOverlappedResult,
                             ::CancelIo};
  return api;
}

bool SendToHost(HANDLE deviceEnd, const std::vector<std::uint8_t>& report) {
  DWORD written = 0;
  return ::WriteFile(deviceEnd, report.data(), static_cast<DWORD>(report.size()), &written, nullptr) &&
         written == report.size();
}

std::vector<std::uint8_t> ReceiveFromHost(HANDLE deviceEnd) {
  std::vector<std::uint8_t> report(4096);
  DWORD got = 0;
  if (!::ReadFile(deviceEnd, report.data(), static_cast<DWORD>(report.size()), &got, nullptr)) return {};
  report.resize(got);
  return report;
}

}  // namespace vexaro::hid::win::testing
