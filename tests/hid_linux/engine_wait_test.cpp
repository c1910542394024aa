// The engine's status wait on the hidraw backend: a keyboard pulled out
// while it erases, and a kernel that cannot read a status at all, end the
// wait at once instead of polling the node until the window runs out.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <thread>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "isp/isp_status.h"
#include "isp/protocol.h"
#include "platform/linux/hid_node.h"
#include "tests/hid_linux/backend_fixture.h"

namespace vexaro::hid {
namespace {

// The page erase waits up to 10 s of program time for its status; a gone or
// refusing node must end it far sooner. The clock runs 5 times fast, so the
// old window would take 2 real seconds and the bound is 400 ms.
constexpr double kEngineClock = 5.0;
constexpr std::uint64_t kEndBoundMs = 2000;

bool IsErase(const std::vector<std::uint8_t>& report) {
  return report.size() > isp::protocol::kCommandOffset &&
         report[isp::protocol::kCommandOffset] == isp::protocol::command::kErase;
}

// The loader's answers: its probe answer after a probe; after an erase
// command it stalls every GET_REPORT while it works.
void AnswerLikeTheLoader(test::NodeState& node) {
  if (IsErase(node.written.back())) {
    node.getReportAnswer.clear();
    return;
  }
  node.getReportAnswer.assign(65, 0);
  node.getReportAnswer[isp::protocol::kDataOffset] = isp::protocol::kProbeAnswer;
}

class EngineOnHidraw : public HidrawBackend {
 protected:
  void SetUp() override {
    HidrawBackend::SetUp();
    isp::ResetEngine();
  }
  void TearDown() override {
    isp::ResetEngine();
    HidrawBackend::TearDown();
  }
};

TEST_F(EngineOnHidraw, AKeyboardPulledOutDuringAnEraseEndsTheStatusWaitAtOnce) {
  struct Case {
    int error;
    int number;
  };
  for (const Case& c : {Case{ENODEV, 50}, Case{EIO, 51}}) {
    SCOPED_TRACE(c.error);
    isp::ResetEngine();
    auto node = Plug(c.number, kLoader);
    node->onWrite = AnswerLikeTheLoader;
    sys::SetClockScale(kEngineClock);
    ASSERT_EQ(ISP_IsConnectedToDevice(kLoader.vendorId, kLoader.productId, 0), 1);
    // Pulled out while the engine polls the erase's status. The engine runs
    // on this thread: umockdev answers a node's calls only on the thread
    // that opened it.
    std::atomic<std::uint64_t> pulledAt{0};
    bool ended = false;
    std::thread puller([&] {
      std::unique_lock lock(node->mutex);
      node->changed.wait(lock, [&] {
        return ended || (std::any_of(node->written.begin(), node->written.end(), IsErase) &&
                         node->getReportCalls > 2);
      });
      node->goneErrno = c.error;
      pulledAt = sys::NowMs();
    });
    const std::int32_t result = ISP_ErasePage(0x1000, 0x13FF);
    const std::uint64_t endedAt = sys::NowMs();
    {
      std::lock_guard lock(node->mutex);
      ended = true;
      node->changed.notify_all();
    }
    puller.join();
    EXPECT_EQ(result, ISP_FAILED);
    EXPECT_LT(endedAt - pulledAt, kEndBoundMs);
    EXPECT_EQ(isp::LastDeviceError().reason, Reason::kGone) << Describe(isp::LastDeviceError());
    sys::SetClockScale(1.0);
    isp::ResetEngine();  // its handles closed before the node goes
    EmulatedBus::Instance().Unplug(c.number);
  }
}

TEST_F(EngineOnHidraw, AKernelWithoutGetReportEndsTheWaitAtOnceAndSaysWhy) {
  auto node = Plug(52, kLoader);
  node->onWrite = AnswerLikeTheLoader;
  {
    std::lock_guard lock(node->mutex);
    node->getReportErrno = ENOTTY;
  }
  sys::SetClockScale(kEngineClock);
  ASSERT_EQ(ISP_IsConnectedToDevice(kLoader.vendorId, kLoader.productId, 0), 1);
  const std::uint64_t start = sys::NowMs();
  EXPECT_EQ(ISP_ErasePage(0x1000, 0x13FF), ISP_FAILED);
  EXPECT_LT(sys::NowMs() - start, kEndBoundMs);
  const Error why = isp::LastDeviceError();
  EXPECT_EQ(why.reason, Reason::kUnsupported) << Describe(why);
  EXPECT_EQ(why.systemText, hidraw::kOldKernelText);
  EXPECT_EQ(why.path, "/dev/hidraw52");
  std::lock_guard lock(node->mutex);
  EXPECT_EQ(node->getReportCalls, 1);  // the kernel's one refusal
}

}  // namespace
}  // namespace vexaro::hid
