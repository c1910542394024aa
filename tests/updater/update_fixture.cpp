#include "tests/updater/update_fixture.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/gui/window.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/demo_keyboard.h"
#include "tests/support/temp_path.h"
#include "tools/vexaro-pack/packer.h"
#include "updater/package_loader.h"

namespace vexaro::updater::testing {
namespace {

// Fast enough for two-minute count-downs, slow enough that a thread
// switch on a loaded machine does not eat a whole protocol window or the
// channel's version read (at 100 it sometimes did).
constexpr double kClockScale = 25;

bool ForceHeadless() {
#ifdef _WIN32
  _putenv_s("VEXARO_DISPLAY", "headless");
#else
  setenv("VEXARO_DISPLAY", "headless", 1);
#endif
  return true;
}
const bool kHeadless = ForceHeadless();

package::PackageContents PackageFor(const PackagePlan& plan, const sim::KeyboardConfig& keyboard,
                            const std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& external) {
  package::PackageContents contents;
  contents.internalImage = image;
  contents.externalImage = external;
  contents.externalStart = plan.externalStart;
  if (plan.applicationIds) {
    contents.apVendorId = keyboard.apVendorId;
    contents.apProductId = keyboard.apProductId;
    contents.apInterfaceIndex = 1;
  }
  contents.iapVendorId = keyboard.iapVendorId;
  contents.iapProductId = keyboard.iapProductId;
  contents.updateVersion = plan.version;
  contents.windowTitle = "Test Update";
  contents.companyName = "Vexaro Peripherals";
  contents.productName = "Test Keyboard";
  contents.digestValue = {0x12, 0x34};
  contents.crcKey = keyboard.crcKey;
  contents.key = {0x11, 0x22, 0x33, 0x44};
  return contents;
}

}  // namespace

std::vector<std::uint8_t> ApplicationImage(std::uint32_t length, std::uint8_t seed) {
  std::vector<std::uint8_t> image(length);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + seed);
  image[0] = 0x00;  // the application's first word is never erased flash
  return image;
}

bool PumpOnce() {
  gui::PumpPendingMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void UpdateFixture::SetUp() {
  ASSERT_TRUE(kHeadless);
  ASSERT_TRUE(hid::SelectBackend(hid::BackendKind::kSimulated));
  simbus::TheBus().Reset();
  isp::ResetEngine();
  sys::SetClockScale(kClockScale);
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '-');  // parameterised tests
  packageFile_ = test_support::ProcessTempPath("vexaro-updater-" + name, ".bin");
}

void UpdateFixture::TearDown() {
  Restart();
  simbus::TheBus().Reset();
  isp::ResetEngine();
  simbus::TheBus().SetInstallTimeAfterPlug(0);
  sys::SetClockScale(1.0);
  std::filesystem::remove(packageFile_);
}

void UpdateFixture::Start(const PackagePlan& package, const KeyboardPlan& plan) {
  sim::KeyboardConfig config = sim::DemoKeyboardConfig();
  config.loaderKind = plan.loader;
  config.timing = sim::Timing::Zero();
  config.timing.reEnumerationMs = plan.reEnumerationMs;
  config.timing.frameMs = plan.frameMs;
  config.traceFile = plan.traceFile;
  std::string error;
  ASSERT_TRUE(sim::ParseFaults(plan.faults, config.faults, error)) << error;
  image_ = ApplicationImage(package.imageLength, 3);
  if (package.external) externalImage_.assign(package.externalLength, 0);
  for (std::size_t i = 0; i < externalImage_.size(); ++i) externalImage_[i] = static_cast<std::uint8_t>(i ^ 0x5A);
  const package::PackageContents contents = PackageFor(package, config, image_, externalImage_);
  ASSERT_EQ(package::CheckPackageContents(contents), "");
  const auto bytes = package::BuildPackage(contents);
  std::ofstream(packageFile_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                     static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(LoadPackage(packageFile_).ok);
  keyboard_ = sim::SimKeyboard::Create(config, error);
  ASSERT_NE(keyboard_, nullptr) << error;
  ASSERT_TRUE(keyboard_->InstallFirmware(ApplicationImage(0x2000, 9), plan.startVersion));
  if (plan.plugged) {
    ASSERT_TRUE(keyboard_->PlugIn());
  }
  if (plan.startInLoader) {
    ASSERT_NE(ISP_IsConnectedToDevice(config.apVendorId, config.apProductId, 1), 0);
    ASSERT_EQ(ISP_ResetToIAP(0), ISP_OK);
    ISP_CloseSerialPortConnect();
    ASSERT_TRUE(PumpUntil([&] { return keyboard_->CurrentMode() == sim::Mode::kLoader && keyboard_->IsPlugged(); }));
  }
  StartHost();
}

void UpdateFixture::StopHost() {
  if (host_) PumpFor(200);  // device events still on their way to the channel
  host_.reset();
}

void UpdateFixture::Restart() {
  StopHost();
  if (keyboard_) keyboard_->Unplug();  // the bus would otherwise keep it plugged in
  keyboard_.reset();
  isp::ResetEngine();
  view_.Clear();
}

void UpdateFixture::StartHost() {
  host_ = std::make_unique<UpdateHost>(view_);
  PumpFor(500);
  Controller().RefreshDeviceState();
}

void UpdateFixture::PumpFor(std::uint32_t programMs) {
  const std::uint64_t end = sys::NowMs() + programMs;
  PumpUntil([end] { return sys::NowMs() >= end; });
}

void UpdateFixture::RunUpdate() {
  Controller().ConnectAndStart();
  AwaitResult();
}

void UpdateFixture::AwaitResult() {
  ASSERT_TRUE(PumpUntil([this] { return view_.HasTimer(kSuccessTimer) || view_.HasTimer(kFailureTimer); }))
      << "no result; statuses so far: " << view_.Statuses().size();
  Controller().JoinWorker();
  EXPECT_EQ(Controller().State(), UpdateState::Idle);
}

}  // namespace vexaro::updater::testing
