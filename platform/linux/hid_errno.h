// The reasons behind errno values of hidraw system calls. The same errno can
// mean different things per call: EINVAL or ENOTTY from HIDIOCGINPUT is a
// kernel older than 5.11, which has no GET_REPORT for hidraw at all.
#pragma once

#include <string>

#include "platform/hid/error.h"

namespace vexaro::hid::hidraw {

enum class NodeCall { kOpen, kDescriptor, kWrite, kRead, kGetInputReport, kOther };

Reason ReasonOfErrno(int error, NodeCall call);
// The reason with the system's text for error, about the node devnode.
Error ErrnoError(int error, NodeCall call, const std::string& devnode);

}  // namespace vexaro::hid::hidraw
