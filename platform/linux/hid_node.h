// System calls on one hidraw node: open with a readable reason for refusal,
// the report descriptor, output reports, GET_REPORT, and the timed read that
// a cancel descriptor can wake. Works on any descriptor that behaves like a
// hidraw node (one report per read), which is how it is tested. Every call
// that fails leaves errno saying why (hid_errno.h turns it into a reason).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/hid/hid.h"

namespace vexaro::hid::hidraw {

// The udev rule that grants the logged-in user the keyboard's nodes; named in
// the message of a refused open.
inline constexpr const char* kUdevRuleName = "70-vexaro-keyboard.rules";

// Opens devnode non-blocking and close-on-exec for the given access; -1 on
// failure with a sentence for the debug output in error (naming the node and,
// when permission was refused, the udev rule to install).
int OpenNode(const std::string& devnode, Access access, std::string& error);

// The node's report descriptor (HIDIOCGRDESCSIZE, HIDIOCGRDESC).
bool ReadNodeDescriptor(int fd, std::vector<std::uint8_t>& descriptor);

// Writes data[0..length) in one write, report ID first (0 for unnumbered
// reports, which the kernel strips). False unless all of it was taken.
bool WriteNodeReport(int fd, const std::uint8_t* data, std::size_t length);

// GET_REPORT (HIDIOCGINPUT) for the report named by data[0]; the answer comes
// back report ID first. Fails at once when the device stalls the request.
// A kernel without the ioctl (before 5.11) refuses it with ENOTTY or EINVAL;
// the first refusal is kept for the process, and from then on every call
// fails at once with ENOTTY without asking the kernel again.
bool GetNodeInputReport(int fd, std::uint8_t* data, std::size_t length);

// Whether this process has seen the kernel refuse HIDIOCGINPUT.
bool KernelRefusedGetReport();
// Forgets that refusal, as a new process would; for tests that run kernels
// of both kinds in one program.
void ForgetGetReportRefusal();

// What a program tells the user when the kernel cannot read a status.
inline constexpr const char* kOldKernelText =
    "Linux 5.11 or newer is needed to read the keyboard's status (HIDIOCGINPUT)";

// Reads the next input report into data in the Windows layout: report ID
// first, a 0 put in front for a device without numbered input reports.
// Waits on the program clock at most timeoutMs (kNoTimeLimit: no limit) for
// fd or cancelFd to become readable; a readable cancelFd gives kCancelled and
// is left as it is. Nothing stays pending on return.
ReadResult ReadNodeReport(int fd, int cancelFd, bool numbered, std::uint8_t* data,
                          std::size_t length, std::uint32_t timeoutMs, std::size_t* bytesRead);

}  // namespace vexaro::hid::hidraw
