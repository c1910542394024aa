// For front ends without a main window of their own (vexaro-flash, tests):
// a hidden window on the calling thread that owns the report channel and
// the controller and hands the channel's presence messages to it. That
// thread must run a message loop for the channel to work.
#pragma once

#include <memory>

#include "platform/gui/afx/afx_wnd.h"
#include "updater/controller.h"

namespace vexaro::usb {
class CUSBDriver;
}

namespace vexaro::updater {

class UpdateHost : public gui::CWnd {
 public:
  // Opens the channel on the package's application identifiers; the
  // package must be loaded before.
  explicit UpdateHost(UpdateView& view);
  ~UpdateHost() override;

  UpdateController& Controller() { return *controller_; }
  usb::CUSBDriver& Channel() { return *channel_; }
  // How many presence messages the channel has sent so far.
  int PresenceMessages() const { return presenceMessages_; }

 protected:
  gui::LRESULT WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) override;

 private:
  std::unique_ptr<usb::CUSBDriver> channel_;
  std::unique_ptr<UpdateController> controller_;
  int presenceMessages_ = 0;
};

}  // namespace vexaro::updater
