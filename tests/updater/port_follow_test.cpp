// Several keyboards of one model on the bus: an update that follows one
// keyboard's port connects to that keyboard's loader only, also when another
// keyboard's loader is listed first or appears just as this keyboard
// restarts, and sends the other keyboard nothing.
#include <atomic>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "sim/demo_keyboard.h"
#include "tests/updater/update_fixture.h"

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

class PortFollowTest : public UpdateFixture, public ::testing::WithParamInterface<NeighbourCase> {
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

INSTANTIATE_TEST_SUITE_P(Neighbours, PortFollowTest, ::testing::ValuesIn(kNeighbours),
                         [](const ::testing::TestParamInfo<NeighbourCase>& neighbour) {
                           return std::string(neighbour.param.name);
                         });

}  // namespace
}  // namespace vexaro::updater::testing
