#include "updater/usb_report_channel.h"

#include "hid/usb_driver.h"

namespace vexaro::updater {

bool UsbReportChannel::IsOpen() const { return driver_.IsOpen() != 0; }

bool UsbReportChannel::ReadVersion() { return driver_.ReadVersion() == 0; }

int UsbReportChannel::QueryStatus() { return driver_.QueryStatus(); }

std::string UsbReportChannel::Version() const { return driver_.m_strVersion; }

void UsbReportChannel::ClearVersion() { driver_.m_strVersion.Empty(); }

UpdateController::UpdateController(UpdateView& view, usb::CUSBDriver& channel)
    : view_(view), ownedChannel_(std::make_unique<UsbReportChannel>(channel)), channel_(*ownedChannel_) {}

}  // namespace vexaro::updater
