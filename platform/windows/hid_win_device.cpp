// Enumerating, opening and describing HID interfaces through SetupAPI and the
// HID class driver.
#include "platform/windows/hid_win_device.h"

#include <memory>

#include "platform/sys/codepage.h"
#include "platform/sys/sys.h"
#include "platform/hid/backend.h"
#include "platform/windows/hid_win_caps.h"
#include "platform/windows/hid_win_error.h"
#include "platform/windows/hid_win_paths.h"

namespace vexaro::hid::win {
namespace {

// Releases a device information set whatever way the walk ends.
struct InfoSet {
  const WinHidApi& api;
  HDEVINFO set;
  ~InfoSet() {
    if (set != INVALID_HANDLE_VALUE) api.SetupDiDestroyDeviceInfoList(set);
  }
};

struct PreparsedData {
  const WinHidApi& api;
  PHIDP_PREPARSED_DATA data = nullptr;
  ~PreparsedData() {
    if (data != nullptr) api.HidD_FreePreparsedData(data);
  }
};

// The detail record is asked for twice: once for its size, once filled.
bool InterfacePath(const WinHidApi& api, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& item,
                   std::string& path) {
  DWORD required = 0;
  api.SetupDiGetDeviceInterfaceDetailA(set, &item, nullptr, 0, &required, nullptr);
  if (required <= sizeof(DWORD) || required > 32 * 1024) return false;
  // Allocated as DWORDs so that the record's cbSize is aligned.
  std::unique_ptr<DWORD[]> buffer(new DWORD[(required + sizeof(DWORD) - 1) / sizeof(DWORD)]());
  auto* detail = reinterpret_cast<PSP_DEVICE_INTERFACE_DETAIL_DATA_A>(buffer.get());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!api.SetupDiGetDeviceInterfaceDetailA(set, &item, detail, required, nullptr, nullptr))
    return false;
  if (!PathFromInterfaceDetail(detail, required, path)) return false;
  path = NormalizeInterfacePath(path);
  return true;
}

}  // namespace

std::vector<std::string> ListInterfacePaths(const WinHidApi& api) {
  GUID hidClass;
  api.HidD_GetHidGuid(&hidClass);
  InfoSet set{api, api.SetupDiGetClassDevsA(&hidClass, nullptr, nullptr,
                                            DIGCF_PRESENT | DIGCF_DEVICEINTERFACE)};
  std::vector<std::string> paths;
  if (set.set == INVALID_HANDLE_VALUE) {
    SetThreadError(WinError(GetLastError(), ""));
    sys::DebugOutput("hid: SetupDiGetClassDevsA failed: " + sys::LastErrorText());
    return paths;
  }
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof item;
    if (!api.SetupDiEnumDeviceInterfaces(set.set, nullptr, &hidClass, index, &item)) break;
    std::string path;
    if (InterfacePath(api, set.set, item, path)) paths.push_back(std::move(path));
  }
  return paths;
}

bool IsOverlappedAccess(Access access) {
  return access == Access::kOverlappedRead || access == Access::kReadWrite;
}

HANDLE OpenInterfaceFile(const WinHidApi& api, const std::string& path, Access access) {
  DWORD rights = 0;
  if (access == Access::kWrite) rights = GENERIC_WRITE;
  if (access == Access::kOverlappedRead) rights = GENERIC_READ;
  if (access == Access::kReadWrite) rights = GENERIC_READ | GENERIC_WRITE;
  const DWORD flags = IsOverlappedAccess(access) ? FILE_FLAG_OVERLAPPED : 0;
  return api.CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, flags, nullptr);
}

bool DescribeInterface(const WinHidApi& api, HANDLE file, Attributes& attributes, Caps& caps) {
  HIDD_ATTRIBUTES raw{};
  raw.Size = sizeof raw;
  if (!api.HidD_GetAttributes(file, &raw)) return false;
  PreparsedData preparsed{api};
  ParsedCaps parsed;
  if (!api.HidD_GetPreparsedData(file, &preparsed.data) ||
      !ReadParsedCaps(api, preparsed.data, parsed))
    return false;
  attributes.vendorId = raw.VendorID;
  attributes.productId = raw.ProductID;
  attributes.versionNumber = raw.VersionNumber;
  caps = ToPlatformCaps(parsed);
  return true;
}

}  // namespace vexaro::hid::win
