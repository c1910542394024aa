// The system's one-line message for a Windows error code, as the reader logs
// it. The texts differ between Windows versions and languages, so tests ask
// the system for the text of the error they expect instead of spelling it.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "platform/sys/codepage.h"

namespace vexaro::xml::test_support {

inline std::string WindowsMessage(DWORD code) {
  SetLastError(code);
  return sys::LastErrorText();
}

}  // namespace vexaro::xml::test_support
#endif
