// Any bytes as what the keyboard's application firmware answers the report
// channel: the reply reports to the version read and the status report.
// The channel must give a version of version characters only, within its
// bound, and a status index within the report.
//
// Input: byte 0 the number of reply reports (0-3), then 64 bytes for each
// (short input is padded with zeros), then the status report's bytes.
//
// Speed: an input with a reply ends as soon as the reader thread has handed
// it over; the version read's window (3 program seconds, 3 ms at the clock's
// scale here) is waited out only when a reply is lost on its way.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#ifdef __linux__
#include <sys/prctl.h>
#endif

#include "hid/usb_driver.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"

namespace {

using namespace vexaro;

constexpr std::uint16_t kVendor = 0x3C9A, kProduct = 0x0A21;
constexpr std::size_t kReportBytes = 65, kPayloadBytes = 64;
constexpr std::size_t kMaxReplies = 3;
constexpr std::size_t kReplyHeaderBytes = 4;
constexpr std::size_t kVersionTextMax = 259;
// Waits of seconds (the version read's window) pass in milliseconds.
constexpr double kClockScale = 1000;

// The channel writes only to a collection that declares an output report.
hid::Caps Collection(std::uint16_t page, std::uint16_t usage, std::uint16_t in, std::uint16_t out) {
  hid::Caps caps;
  caps.usagePage = page;
  caps.usage = usage;
  caps.inputReportByteLength = in;
  caps.outputReportByteLength = out;
  for (hid::ReportKind kind : {hid::ReportKind::kInput, hid::ReportKind::kOutput}) {
    hid::ItemCaps item;
    item.kind = kind;
    item.usagePage = page;
    item.usageMin = item.usageMax = usage;
    item.bitSize = 8;
    item.reportCount = static_cast<std::uint16_t>((kind == hid::ReportKind::kInput ? in : out) - 1);
    caps.items.push_back(item);
  }
  return caps;
}

// One reply that carries text where the version lies.
std::vector<std::uint8_t> VersionReply(const char* text) {
  std::vector<std::uint8_t> report(kReportBytes, 0);
  std::memcpy(report.data() + 1 + kReplyHeaderBytes, text, std::strlen(text));
  return report;
}

// Answers every request with the replies of the input in hand.
class FuzzFirmware final : public simbus::Device {
 public:
  void Set(std::vector<std::vector<std::uint8_t>> replies, std::vector<std::uint8_t> status) {
    std::lock_guard lock(mutex_);
    replies_ = std::move(replies);
    status_ = std::move(status);
  }
  bool OnOutputReport(int p, std::size_t collection, const std::uint8_t*, std::size_t) override {
    std::vector<std::vector<std::uint8_t>> replies;
    {
      std::lock_guard lock(mutex_);
      replies.swap(replies_);
    }
    for (const auto& r : replies) simbus::TheBus().PushInputReport(p, collection, r.data(), r.size(), sys::NowMs());
    return true;
  }
  bool OnGetInputReport(int, std::size_t, std::uint8_t* data, std::size_t length) override {
    std::lock_guard lock(mutex_);
    if (status_.empty() || length < 2) return false;
    std::memset(data + 1, 0, length - 1);
    std::memcpy(data + 1, status_.data(), std::min(status_.size(), length - 1));
    return true;
  }

 private:
  std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> replies_;
  std::vector<std::uint8_t> status_;
};

struct Setup {
  std::shared_ptr<FuzzFirmware> firmware = std::make_shared<FuzzFirmware>();
  std::unique_ptr<usb::CUSBDriver> channel;
  Setup() {
#ifdef _WIN32
    _putenv_s("VEXARO_DISPLAY", "headless");
#else
    setenv("VEXARO_DISPLAY", "headless", 1);
#endif
#ifdef __linux__
    // Every input passes through a few short scaled sleeps; the default timer
    // slack (50 us) made them the larger part of an execution. The channel's
    // threads, started below, inherit it.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    if (!hid::SelectBackend(hid::BackendKind::kSimulated)) std::abort();
    simbus::DeviceDescriptor d{{kVendor, kProduct, 0x0100},
                                 {Collection(0x01, 0x06, 9, 2), Collection(0xFF00, 0x01, 65, 65)}};
    simbus::TheBus().Plug(simbus::TheBus().NewPort(), d, firmware);
    channel = std::make_unique<usb::CUSBDriver>();
    channel->SetActive();
    channel->SetOwner(nullptr, 0);
    // Opened at real speed, before the clock is sped up: the open's own
    // windows then hold on a loaded machine.
    if (!channel->Open(kVendor, kProduct)) std::abort();
    // A target whose replies never reach the channel would fuzz nothing.
    firmware->Set({VersionReply("1.0")}, {});
    if (channel->ReadVersion() != 0 || channel->m_strVersion != "1.0") std::abort();
    sys::SetClockScale(kClockScale);
  }
};

bool IsVersionCharacter(char c) { return c == 'V' || c == 'v' || c == '.' || (c >= '0' && c <= '9'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Setup setup;
  if (size == 0) return 0;
  const std::size_t count = std::min<std::size_t>(data[0], kMaxReplies);
  std::size_t at = 1;
  std::vector<std::vector<std::uint8_t>> replies;
  for (std::size_t i = 0; i < count; ++i) {
    std::vector<std::uint8_t> report(kReportBytes, 0);
    const std::size_t n = at < size ? std::min(kPayloadBytes, size - at) : 0;
    if (n != 0) std::memcpy(report.data() + 1, data + at, n);
    at += kPayloadBytes;
    replies.push_back(std::move(report));
  }
  std::vector<std::uint8_t> status(data + std::min(at, size), data + size);
  setup.firmware->Set(std::move(replies), std::move(status));
  // Without a reply the version read only waits out its window, whatever the
  // input (tests/hid times it); the status report still takes the input.
  if (count != 0) {
    setup.channel->ReadVersion();
    const std::string version = setup.channel->m_strVersion;
    if (version.size() > kVersionTextMax) std::abort();
    for (char c : version) {
      if (!IsVersionCharacter(c)) std::abort();
    }
  }
  const int ready = setup.channel->QueryStatus();
  if (ready < 0 || ready > static_cast<int>(kPayloadBytes)) std::abort();
  return 0;
}
