#include "updater/count_down.h"

#include "hid/presence_monitor.h"
#include "platform/sys/sys.h"

namespace vexaro::updater {

void CountDown::Tick() {
  if (!usb::IsDeviceInstallPending()) --left_;
  sys::SleepMs(kCountedSecondMs);
}

}  // namespace vexaro::updater
