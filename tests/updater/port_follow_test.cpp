// Several keyboards of one model on the bus: an update that follows one
// keyboard's port connects to that keyboard's loader only, also when another
// keyboard's loader is listed first or appears just as this keyboard
// restarts, and sends the other keyboard nothing.
#include <atomic>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "sim/demo_keyboard.h"
#include "tests/updater/update_fixture.h"
#include "updater/keyboard_lock.h"
#include "updater/keyboard_ports.h"

namespace vexaro::updater::testing {
namespace {

struct NeighbourCase {
  const char* name;
  bool pluggedBefore;  // listed before the followed keyboard; else plugged when it restarts
};

const NeighbourCase kNeighbours[] = {
    {"LoaderListedFirst", true},
    {"LoaderAppearsAtTheRestart", false},
};

class NeighbourFixture : public UpdateFixture {
 protected:
  void TearDown() override {
    if (subscription_ != 0) hid::UnsubscribeDeviceEvents(subscription_);
    hid::FollowPort({});
    if (neighbour_) neighbour_->Unplug();
    neighbour_.reset();
    UpdateFixture::TearDown();
  }

  // A keyboard of the same model sitting in its loader, with nothing installed.
  void MakeNeighbour() {
    sim::KeyboardConfig config = sim::DemoKeyboardConfig();
    config.timing = sim::Timing::Zero();
    config.initialMode = sim::Mode::kLoader;
    std::string error;
    neighbour_ = sim::SimKeyboard::Create(config, error);
    ASSERT_NE(neighbour_, nullptr) << error;
  }

  // The neighbour's loader comes up while the followed keyboard is off the
  // bus for its restart into its own loader.
  void PlugNeighbourAtTheRestart() {
    const std::string followed = std::to_string(keyboard_->Port());
    subscription_ = hid::SubscribeDeviceEvents([this, followed](const hid::DeviceEvent& event) {
      if (event.kind != hid::DeviceEventKind::kInterfaceRemoval || hid::PortOf(event.path) != followed) return;
      if (!neighbourPlugged_.exchange(true)) {
        simbus::TheBus().After(0, [neighbour = neighbour_] { neighbour->PlugIn(); });
      }
    });
  }

  std::shared_ptr<sim::SimKeyboard> neighbour_;
  hid::SubscriptionId subscription_ = 0;
  std::atomic<bool> neighbourPlugged_{false};
};

class PortFollowTest : public NeighbourFixture, public ::testing::WithParamInterface<NeighbourCase> {};

TEST_P(PortFollowTest, UpdatesTheFollowedKeyboardAndLeavesTheOtherAlone) {
  const NeighbourCase& c = GetParam();
  MakeNeighbour();
  if (c.pluggedBefore) {
    ASSERT_TRUE(neighbour_->PlugIn());
  }
  Start(PackagePlan{}, KeyboardPlan{});
  ASSERT_GT(keyboard_->Port(), neighbour_->Port());  // the neighbour's interfaces are listed first
  hid::FollowPort(std::to_string(keyboard_->Port()));
  StopHost();
  StartHost();
  if (!c.pluggedBefore) PlugNeighbourAtTheRestart();

  RunUpdate();

  ASSERT_TRUE(view_.Outcome().has_value());
  EXPECT_TRUE(view_.Outcome()->success) << view_.Outcome()->failureText;
  EXPECT_EQ(Flash(kApStart, static_cast<std::uint32_t>(image_.size())), image_);
  EXPECT_TRUE(PumpUntil([this] { return neighbour_->IsPlugged(); }));
  EXPECT_EQ(neighbour_->OutputReports(), 0u);
  EXPECT_EQ(neighbour_->CurrentMode(), sim::Mode::kLoader);
}

// A run without --device locks the port of the one keyboard it will drive,
// so it and a run with --device on that keyboard keep each other out; with
// several keyboards and none chosen there is no port to lock, and the
// model's lock is taken whole.
TEST_F(NeighbourFixture, TheLockIsThePortOfTheKeyboardAboutToBeDriven) {
  Start(PackagePlan{}, KeyboardPlan{});
  const std::string port = std::to_string(keyboard_->Port());
  EXPECT_EQ(PortToDrive(), port);
  KeyboardLock withoutDevice, withDevice, otherPort;
  ASSERT_EQ(withoutDevice.Acquire(0x3C9A, 0x0A21, PortToDrive()), sys::FileLock::Result::kAcquired);
  EXPECT_EQ(withDevice.Acquire(0x3C9A, 0x0A21, port), sys::FileLock::Result::kHeld);
  EXPECT_EQ(otherPort.Acquire(0x3C9A, 0x0A21, port + "9"), sys::FileLock::Result::kAcquired);
  // An updater that cannot name a port (the window before a keyboard is
  // plugged in) and one that drives a port keep each other out, both ways.
  KeyboardLock anyPort;
  EXPECT_EQ(anyPort.Acquire(0x3C9A, 0x0A21, ""), sys::FileLock::Result::kHeld);
  withoutDevice.Release();
  otherPort.Release();
  ASSERT_EQ(anyPort.Acquire(0x3C9A, 0x0A21, ""), sys::FileLock::Result::kAcquired);
  EXPECT_EQ(withDevice.Acquire(0x3C9A, 0x0A21, port), sys::FileLock::Result::kHeld);
  anyPort.Release();
  // Characters a file name may not carry do not reach the lock's name.
  KeyboardLock located;
  located.Acquire(0x3C9A, 0x0A21, "PCIROOT(0)#USB(2)/..\\x:y");
  EXPECT_EQ(located.Path().substr(located.Path().rfind("vexaro-keyboard")),
            "vexaro-keyboard-3c9a-0a21-PCIROOT(0)#USB(2)_.._x_y.lock");

  MakeNeighbour();
  ASSERT_TRUE(neighbour_->PlugIn());
  EXPECT_EQ(KeyboardPorts(), (std::vector<std::string>{port, std::to_string(neighbour_->Port())}));
  EXPECT_EQ(PortToDrive(), "");
  hid::FollowPort(std::to_string(neighbour_->Port()));
  EXPECT_EQ(PortToDrive(), std::to_string(neighbour_->Port()));
}

INSTANTIATE_TEST_SUITE_P(Neighbours, PortFollowTest, ::testing::ValuesIn(kNeighbours),
                         [](const ::testing::TestParamInfo<NeighbourCase>& neighbour) {
                           return std::string(neighbour.param.name);
                         });

}  // namespace
}  // namespace vexaro::updater::testing
