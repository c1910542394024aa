#include "tests/isp/scripted_device.h"

#include <algorithm>
#include <cstring>

#include "platform/sys/sys.h"

namespace vexaro::isp::testing {

std::uint16_t ExpectedChecksum(const Report& r, bool keyed) {
  Report body(r.begin() + 1, r.begin() + 65);
  body[2] = body[3] = 0;
  std::uint16_t crc = IspCrc16(0, body.data(), body.size());
  if (keyed) crc = IspCrc16(crc, TheEngine().CrcKey().data(), TheEngine().CrcKey().size());
  return crc;
}

bool ScriptedDevice::IsProbe(const Report& r) {
  // A write shorter than a whole report is no probe (and has no checksum to read).
  if (r.size() < 65) return false;
  const std::uint16_t stored = static_cast<std::uint16_t>(r[3] | r[4] << 8);
  return r[1] >= 6 && stored != ExpectedChecksum(r, true) && stored != ExpectedChecksum(r, false);
}

std::shared_ptr<ScriptedDevice> ScriptedDevice::Plug(std::uint16_t vid, std::uint16_t pid,
                                                     std::uint16_t inputLength) {
  auto device = std::make_shared<ScriptedDevice>();
  simbus::DeviceDescriptor d;
  d.attributes = {vid, pid, 0x0100};
  hid::Caps caps;
  caps.usagePage = 0xFF00;
  caps.usage = 1;
  caps.inputReportByteLength = inputLength;
  caps.outputReportByteLength = 65;
  d.collections = {caps};
  device->port = simbus::TheBus().NewPort();
  simbus::TheBus().Plug(device->port, d, device);
  return device;
}

void ScriptedDevice::QueueRaw(const Report& bytes) {
  std::lock_guard lock(mutex_);
  statuses_.push_back(bytes);
}

void ScriptedDevice::PushData(const Report& bytes64) {
  Report report(65, 0);
  std::copy_n(bytes64.begin(), std::min<std::size_t>(64, bytes64.size()), report.begin() + 1);
  simbus::TheBus().PushInputReport(port, 0, report.data(), report.size(), 0);
}

void ScriptedDevice::SetProbeAnswer(std::string text) {
  std::lock_guard lock(mutex_);
  probeAnswer_ = std::move(text);
}

std::vector<Report> ScriptedDevice::Writes() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

std::vector<Report> ScriptedDevice::Commands() const {
  std::vector<Report> commands;
  for (const Report& r : Writes()) {
    if (!IsProbe(r)) commands.push_back(r);
  }
  return commands;
}

int ScriptedDevice::SuccessfulGets() const {
  std::lock_guard lock(mutex_);
  return gets_;
}

PollTimes ScriptedDevice::PollsSinceLastWrite() const {
  std::lock_guard lock(mutex_);
  return polls_;
}

bool ScriptedDevice::OnOutputReport(int, std::size_t, const std::uint8_t* data, std::size_t length) {
  Report r(data, data + length);
  {
    std::lock_guard lock(mutex_);
    writes_.push_back(r);
    polls_ = PollTimes{sys::NowMs()};
    if (static_cast<int>(writes_.size()) == failWriteNumber) return false;
  }
  if (IsProbe(r)) {
    std::string answer;
    {
      std::lock_guard lock(mutex_);
      answer = probeAnswer_;
    }
    if (!answer.empty()) QueueStatus(answer);
  } else {
    onCommand(r, *this);
  }
  return true;
}

bool ScriptedDevice::OnGetInputReport(int, std::size_t, std::uint8_t* data, std::size_t length) {
  std::lock_guard lock(mutex_);
  if (statuses_.empty()) {
    const std::uint64_t now = sys::NowMs();
    if (polls_.refused++ == 0) polls_.firstRefusedMs = now;
    polls_.lastButOneRefusedMs = polls_.refused > 1 ? polls_.lastRefusedMs : now;
    polls_.lastRefusedMs = now;
    return false;
  }
  std::memset(data + 1, 0, length - 1);
  const Report& s = statuses_.front();
  std::copy_n(s.begin(), std::min(s.size(), length - 1), data + 1);
  statuses_.pop_front();
  ++gets_;
  return true;
}

}  // namespace vexaro::isp::testing
