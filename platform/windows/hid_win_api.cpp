// The system's table: every entry is the Windows function of the same name.
#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win {

const WinHidApi& SystemWinHidApi() {
  static const WinHidApi api{
      ::HidD_GetHidGuid,
      ::HidD_GetAttributes,
      ::HidD_GetPreparsedData,
      ::HidD_FreePreparsedData,
      ::HidP_GetCaps,
      ::HidP_GetSpecificButtonCaps,
      ::HidP_GetSpecificValueCaps,
      ::HidP_MaxUsageListLength,
      ::HidD_GetInputReport,
      ::SetupDiGetClassDevsA,
      ::SetupDiEnumDeviceInterfaces,
      ::SetupDiGetDeviceInterfaceDetailA,
      ::SetupDiDestroyDeviceInfoList,
      ::CMP_WaitNoPendingInstallEvents,
      ::CreateFileA,
      ::CloseHandle,
      ::ReadFile,
      ::WriteFile,
      ::GetOverlappedResult,
      ::CancelIo,
  };
  return api;
}

}  // namespace vexaro::hid::win
