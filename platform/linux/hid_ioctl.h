// The hidraw ioctl numbers, also where the system's headers are older than
// the kernel the program runs on: HIDIOCGINPUT came with Linux 5.11, and a
// program built against older headers must still ask a newer kernel for it.
#pragma once

#include <linux/hidraw.h>
#include <sys/ioctl.h>

// The kernel's own definition (include/uapi/linux/hidraw.h), so the number
// is the same whichever headers the program was built with.
#ifndef HIDIOCGINPUT
#define HIDIOCGINPUT(len) _IOC(_IOC_WRITE | _IOC_READ, 'H', 0x0A, len)
#endif
