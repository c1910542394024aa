// The sleep watch of a build without sd-bus: no source, no events.
#include "platform/linux/hid_sleep_watch.h"

namespace vexaro::hid::hidraw {

struct SleepWatch::State {};

SleepWatch::SleepWatch() = default;
SleepWatch::~SleepWatch() = default;
int SleepWatch::Fd() const { return -1; }
short SleepWatch::Events() const { return 0; }
void SleepWatch::Process(const std::function<void(bool sleeping)>&) {}

}  // namespace vexaro::hid::hidraw
