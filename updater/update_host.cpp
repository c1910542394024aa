#include "updater/update_host.h"

#include "hid/usb_driver.h"
#include "package/package.h"
#include "platform/gui/window.h"

namespace vexaro::updater {
namespace {
constexpr int kChannelSlot = 0;
}

UpdateHost::UpdateHost(UpdateView& view) {
  CreateEx(0, gui::AfxRegisterWndClass(), "", gui::WS_POPUP, 0, 0, 1, 1, nullptr, 0);
  channel_ = std::make_unique<usb::CUSBDriver>();
  controller_ = std::make_unique<UpdateController>(view, *channel_);
  channel_->SetActive();  // input reports of the channel's slot come here
  channel_->SetOwner(m_hWnd, kChannelSlot);
  const package::PackageInfo& info = package::ThePackageInfo();
  channel_->Open(static_cast<int>(info.ApVendorId), static_cast<int>(info.ApProductId));
}

UpdateHost::~UpdateHost() {
  controller_->JoinWorker();
  // The channel's monitor thread may be waiting for this thread to take a
  // device-state message; stopping the channel joins that thread, so the
  // message is delivered first.
  gui::PumpPendingMessages();
  controller_.reset();
  channel_.reset();
  DestroyWindow();
}

gui::LRESULT UpdateHost::WindowProc(gui::UINT msg, gui::WPARAM w, gui::LPARAM l) {
  if (msg == usb::WM_USB_PRESENCE) {
    ++presenceMessages_;
    controller_->OnKeyboardPresence(l != 0);
    return 1;
  }
  return CWnd::WindowProc(msg, w, l);
}

}  // namespace vexaro::updater
