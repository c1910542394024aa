// SetupAPI enumeration of HID device interfaces and the opening and
// description of one interface: the file handle in the access asked for, its
// attributes and its capabilities.
#pragma once

#include <string>
#include <vector>

#include "platform/hid/hid.h"
#include "platform/windows/hid_win_api.h"

namespace vexaro::hid::win {

// Paths (lower case) of the HID interfaces present, in SetupAPI's order. An
// interface whose detail cannot be read is left out; a set that cannot be
// made gives an empty list.
std::vector<std::string> ListInterfacePaths(const WinHidApi& api);

// CreateFileA with the access, sharing and flags of each open mode;
// INVALID_HANDLE_VALUE when refused.
HANDLE OpenInterfaceFile(const WinHidApi& api, const std::string& path, Access access);
// Whether handles of this access were opened with FILE_FLAG_OVERLAPPED.
bool IsOverlappedAccess(Access access);

// Attributes and capabilities of an opened interface. False when either
// cannot be read; the preparsed data is released in every case.
bool DescribeInterface(const WinHidApi& api, HANDLE file, Attributes& attributes, Caps& caps);

}  // namespace vexaro::hid::win
