// The report channel the product uses: the main window's CUSBDriver, seen
// through the controller's ReportChannel interface.
#pragma once

#include "updater/controller.h"

namespace vexaro::updater {

class UsbReportChannel final : public ReportChannel {
 public:
  explicit UsbReportChannel(usb::CUSBDriver& driver) : driver_(driver) {}
  bool IsOpen() const override;
  bool ReadVersion() override;
  int QueryStatus() override;
  std::string Version() const override;
  void ClearVersion() override;

 private:
  usb::CUSBDriver& driver_;
};

}  // namespace vexaro::updater
