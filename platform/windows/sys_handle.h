// The system's file handle behind the integer the platform/sys classes keep
// (their headers stay free of windows.h). Internal to the Windows backend.
#pragma once

#include <windows.h>

#include <cstdint>

namespace vexaro::sys {

inline HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace vexaro::sys
