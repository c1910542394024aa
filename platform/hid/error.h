// Why a HID operation failed, in terms a program can act on: the reason, the
// system's own words and code, and what the system was asked to open. The
// platform keeps one per thread (hid::LastError in hid.h), as errno is kept.
#pragma once

#include <cstdint>
#include <string>

namespace vexaro::hid {

enum class Reason {
  kNone,              // nothing failed
  kNotFound,          // a search found no interface of the device (never given by hid.h)
  kPermissionDenied,  // the system refused this user (no udev rule, access denied)
  kGone,              // the device is no longer there, or the path names another one now
  kBusy,              // another program holds the device exclusively
  kUnsupported,       // the system cannot do this at all (GET_REPORT before Linux 5.11)
  kDeviceRefused,     // the device failed the request (a stall)
  kTimedOut,          // nothing came within the time limit
  kOther,
};

struct Error {
  Reason reason = Reason::kNone;
  // errno on Linux, GetLastError() on Windows; 0 when the failure is the
  // platform's own finding (a malformed descriptor, a simulated refusal).
  std::int64_t systemCode = 0;
  std::string systemText;
  // What the system was asked for: the hidraw node on Linux, the device
  // interface path on Windows, the interface path on the simulated bus.
  std::string path;

  bool Failed() const { return reason != Reason::kNone; }
};

// "permission denied", "device gone", ... for messages and logs.
const char* ReasonName(Reason reason);
// One line: "<path>: <reason> (<system text>)", leaving out what is empty.
std::string Describe(const Error& error);

}  // namespace vexaro::hid
