// The native backend of a build whose system HID service is not written yet:
// it sees no devices and says so once on the debug output, so a front end
// that asked for real hardware gets an honest empty bus rather than a fake.
#include <atomic>

#include "platform/hid/backend.h"
#include "platform/sys/sys.h"

namespace vexaro::hid {
namespace {

class UnavailableBackend final : public Backend {
 public:
  std::vector<std::string> EnumerateInterfaces() override {
    if (!told_.exchange(true)) {
      sys::DebugOutput("hid: no native HID backend in this build; set VEXARO_SIM=1 for the simulated bus\n");
    }
    return {};
  }
  Handle Open(const std::string&, Access) override { return kInvalidHandle; }
  bool Close(Handle) override { return false; }
  bool GetAttributes(Handle, Attributes&) override { return false; }
  bool GetCaps(Handle, Caps&) override { return false; }
  bool WriteReport(Handle, const std::uint8_t*, std::size_t) override { return false; }
  bool GetInputReport(Handle, std::uint8_t*, std::size_t) override { return false; }
  ReadResult ReadInputReport(Handle, std::uint8_t*, std::size_t, std::uint32_t,
                             std::size_t* bytesRead) override {
    if (bytesRead != nullptr) *bytesRead = 0;
    return ReadResult::kFailed;
  }
  bool CancelIo(Handle) override { return false; }
  bool IsInstallPending() override { return false; }
  bool WaitNoPendingInstall(std::uint32_t) override { return true; }
  SubscriptionId Subscribe(DeviceEventCallback) override { return ++lastId_; }
  void Unsubscribe(SubscriptionId) override {}

 private:
  std::atomic<bool> told_{false};
  std::atomic<SubscriptionId> lastId_{0};
};

}  // namespace

Backend& NativeBackend() {
  static UnavailableBackend backend;
  return backend;
}

}  // namespace vexaro::hid
