// The engine's short pauses, measured on the program clock at the device:
// the pause before the last acknowledgement fetch of a transfer and the
// paced polling of the checksum command's reply.
#include <mutex>

#include "tests/isp/engine_fixture.h"

namespace vexaro::isp::testing {
namespace {

constexpr std::uint64_t kFinalAckPauseMs = 10;
constexpr std::uint64_t kChecksumPollPauseMs = 10;

// A scripted loader that notes, on the program clock, when each command
// report was written and when each GET_REPORT was asked for, and that can
// leave the first requests after a command unanswered.
class ClockedLoader final : public simbus::Device {
 public:
  struct Event {
    bool isGet = false;
    std::uint64_t ms = 0;
  };

  static std::shared_ptr<ClockedLoader> Plug() {
    auto device = std::make_shared<ClockedLoader>();
    simbus::DeviceDescriptor d;
    d.attributes = {kLoaderVid, kLoaderPid, 0x0100};
    hid::Caps caps;
    caps.usagePage = 0xFF00;
    caps.usage = 1;
    caps.inputReportByteLength = 65;
    caps.outputReportByteLength = 65;
    d.collections = {caps};
    device->script.port = simbus::TheBus().NewPort();
    simbus::TheBus().Plug(device->script.port, d, device);
    return device;
  }

  bool OnOutputReport(int port, std::size_t collection, const std::uint8_t* data,
                      std::size_t length) override {
    if (!ScriptedDevice::IsProbe(Report(data, data + length))) {
      std::lock_guard lock(mutex_);
      events_.push_back({false, sys::NowMs()});
      toRefuse_ = refuseGetsAfterCommand;
    }
    return script.OnOutputReport(port, collection, data, length);
  }

  bool OnGetInputReport(int port, std::size_t collection, std::uint8_t* data,
                        std::size_t length) override {
    {
      std::lock_guard lock(mutex_);
      events_.push_back({true, sys::NowMs()});
      if (toRefuse_ > 0) {
        --toRefuse_;
        return false;
      }
    }
    return script.OnGetInputReport(port, collection, data, length);
  }

  // Events from the last command report on: the command, then every request.
  std::vector<Event> SinceLastCommand() const {
    std::lock_guard lock(mutex_);
    std::size_t last = events_.size();
    for (std::size_t i = 0; i < events_.size(); ++i) {
      if (!events_[i].isGet) last = i;
    }
    if (last == events_.size()) return {};
    return {events_.begin() + static_cast<std::ptrdiff_t>(last), events_.end()};
  }

  ScriptedDevice script;
  int refuseGetsAfterCommand = 0;

 private:
  mutable std::mutex mutex_;
  std::vector<Event> events_;
  int toRefuse_ = 0;
};

TEST_F(EngineTest, LastAcknowledgementFetchOfATransferWaitsAfterTheLastReport) {
  auto device = ClockedLoader::Plug();
  std::vector<std::uint8_t> data(2 * 52, 0x5A);
  for (std::uint8_t mode : {std::uint8_t{1}, std::uint8_t{0}}) {
    int n = 0;
    device->script.onCommand = [&n](const Report&, ScriptedDevice& d) {
      if (++n == 2) d.QueueStatus("OO");
    };
    ASSERT_EQ(ISP_WriteProgramB(0x1000, 0x1000 + 2 * 52 - 1, mode, data.data()), ISP_OK);
    const auto events = device->SinceLastCommand();
    ASSERT_GE(events.size(), 2u) << int{mode};
    ASSERT_TRUE(events[1].isGet);
    EXPECT_GE(events[1].ms - events[0].ms, kFinalAckPauseMs) << "mode " << int{mode};
  }
}

TEST_F(EngineTest, ChecksumReplyIsFirstAskedForAfterAPauseAndThenAtThatPace) {
  auto device = ClockedLoader::Plug();
  device->script.onCommand = [](const Report&, ScriptedDevice& d) { d.QueueRaw({0x21, 0x43}); };
  device->refuseGetsAfterCommand = 2;  // the reply is there at the third request
  std::uint8_t payload[52] = {};
  std::uint16_t value = 0;
  ASSERT_EQ(ISP_CRCCheck(0, 32, &value, payload), 1);
  EXPECT_EQ(value, 0x4321);
  const auto events = device->SinceLastCommand();
  ASSERT_EQ(events.size(), 4u);  // the command and three requests
  for (std::size_t i = 1; i < events.size(); ++i) {
    EXPECT_GE(events[i].ms - events[i - 1].ms, kChecksumPollPauseMs) << "request " << i;
  }
}

}  // namespace
}  // namespace vexaro::isp::testing
