// The Windows services the native HID backend calls, gathered in one table of
// function pointers. The backend runs on the system's table; tests hand it a
// table whose HID and SetupAPI entries answer for devices they make up.
#pragma once

#include <windows.h>
// windows.h first: the HID and SetupAPI headers rely on its types.
#include <cfgmgr32.h>
#include <setupapi.h>
// MinGW's HID headers declare the functions without C linkage.
extern "C" {
#include <hidsdi.h>
}

namespace vexaro::hid::win {

struct WinHidApi {
  // HID class driver.
  void(__stdcall* HidD_GetHidGuid)(LPGUID);
  BOOLEAN(__stdcall* HidD_GetAttributes)(HANDLE, PHIDD_ATTRIBUTES);
  BOOLEAN(__stdcall* HidD_GetPreparsedData)(HANDLE, PHIDP_PREPARSED_DATA*);
  BOOLEAN(__stdcall* HidD_FreePreparsedData)(PHIDP_PREPARSED_DATA);
  NTSTATUS(__stdcall* HidP_GetCaps)(PHIDP_PREPARSED_DATA, PHIDP_CAPS);
  NTSTATUS(__stdcall* HidP_GetSpecificButtonCaps)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE,
                                                  PHIDP_BUTTON_CAPS, PUSHORT, PHIDP_PREPARSED_DATA);
  NTSTATUS(__stdcall* HidP_GetSpecificValueCaps)(HIDP_REPORT_TYPE, USAGE, USHORT, USAGE,
                                                 PHIDP_VALUE_CAPS, PUSHORT, PHIDP_PREPARSED_DATA);
  ULONG(__stdcall* HidP_MaxUsageListLength)(HIDP_REPORT_TYPE, USAGE, PHIDP_PREPARSED_DATA);
  BOOLEAN(__stdcall* HidD_GetInputReport)(HANDLE, PVOID, ULONG);
  // SetupAPI and Plug and Play.
  HDEVINFO(__stdcall* SetupDiGetClassDevsA)(const GUID*, PCSTR, HWND, DWORD);
  BOOL(__stdcall* SetupDiEnumDeviceInterfaces)(HDEVINFO, PSP_DEVINFO_DATA, const GUID*, DWORD,
                                               PSP_DEVICE_INTERFACE_DATA);
  BOOL(__stdcall* SetupDiGetDeviceInterfaceDetailA)(HDEVINFO, PSP_DEVICE_INTERFACE_DATA,
                                                    PSP_DEVICE_INTERFACE_DETAIL_DATA_A, DWORD,
                                                    PDWORD, PSP_DEVINFO_DATA);
  BOOL(__stdcall* SetupDiDestroyDeviceInfoList)(HDEVINFO);
  DWORD(__stdcall* CMP_WaitNoPendingInstallEvents)(DWORD);
  // Files and overlapped I/O.
  HANDLE(__stdcall* CreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
  BOOL(__stdcall* CloseHandle)(HANDLE);
  BOOL(__stdcall* ReadFile)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(__stdcall* WriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
  BOOL(__stdcall* GetOverlappedResult)(HANDLE, LPOVERLAPPED, LPDWORD, BOOL);
  BOOL(__stdcall* CancelIo)(HANDLE);
};

// The table of the running system's own functions.
const WinHidApi& SystemWinHidApi();

}  // namespace vexaro::hid::win
