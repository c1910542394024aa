// The report channel's exchanges with the application firmware: read
// requests and the replies gathered from the reader threads, the version
// read and the status poll.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "hid/hid_monitor.h"
#include "hid/usb_driver.h"
#include "isp/crc.h"
#include "platform/sys/sys.h"

namespace vexaro::usb {
namespace {

constexpr std::size_t kPacketBytes = 64;
constexpr std::uint8_t kReadCommand = 0x01;
constexpr std::uint8_t kReadSubCommand = 0x02;
constexpr std::uint32_t kAddressStep = 62;   // address advance per request packet
constexpr std::uint32_t kBlockSpan = 61;     // a packet asks for address .. address + 61
constexpr int kReplyHeaderBytes = 4;         // before the payload of every reply report
// The version text of the application firmware.
constexpr std::uint32_t kVersionStart = 0x2800;
constexpr std::uint32_t kVersionEnd = 0x283C;
constexpr int kVersionExtra = -1;  // the one reply carries 60 of the 61 bytes asked for
constexpr std::size_t kVersionTextMax = 259;
// Every exchange looks its device up by this pair. The listed collections carry
// page 0xFF00, so the lookup falls back to the collection listed last.
constexpr std::uint16_t kLookupUsage = 0x0001;
constexpr std::uint16_t kLookupUsagePage = 0xFF01;

// Pacing: a pause after each write lets the device take the report; a request
// waits this long for its reply report before the next one goes; the whole
// version read gives the firmware this long; a pause after each GET_REPORT.
constexpr std::uint32_t kWritePauseMs = 1;
constexpr std::uint64_t kReportWaitMs = 15;
constexpr std::uint64_t kVersionReplyWaitMs = 3000;
constexpr std::uint32_t kGetReportPauseMs = 3;

// The channel reader threads hand reports to, and the lock that keeps a
// channel from being destroyed while a reader is inside it.
std::mutex g_activeLock;
CUSBDriver* g_pActiveDriver = nullptr;

void PutLe32(std::uint8_t* at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool IsVersionCharacter(std::uint8_t c) { return c == 'V' || c == 'v' || c == '.' || (c >= '0' && c <= '9'); }

void TraceReport(std::uint16_t id, const std::uint8_t* report, std::uint32_t length) {
  char line[160];
  std::snprintf(line, sizeof line, "ID:%x,pBuffer=%x , Length=%x\n", static_cast<unsigned>(id),
                static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(report)), static_cast<unsigned>(length));
  sys::DebugOutput(line);
  std::uint8_t b[9] = {};
  std::memcpy(b, report, std::min<std::size_t>(length, sizeof b));
  std::snprintf(line, sizeof line, "%02x %02x %02x %02x %02x %02x %02x %02x %02x\n", b[0], b[1], b[2], b[3],
                b[4], b[5], b[6], b[7], b[8]);
  sys::DebugOutput(line);
}

}  // namespace

void CUSBDriver::SetActive() {
  std::lock_guard lock(g_activeLock);
  g_pActiveDriver = this;
}

void CUSBDriver::ReleaseActive(CUSBDriver* driver) {
  std::lock_guard lock(g_activeLock);
  if (g_pActiveDriver == driver) g_pActiveDriver = nullptr;
}

void CUSBDriver::InputReportProc(std::uint16_t deviceId, const std::uint8_t* report, std::uint32_t length) {
  if (report == nullptr || length == 0) return;
  TraceReport(deviceId, report, length);
  std::lock_guard lock(g_activeLock);
  if (g_pActiveDriver != nullptr) {
    g_pActiveDriver->OnReport(deviceId, report[0], report + 1, static_cast<int>(length) - 1);
  }
}

void CUSBDriver::OnReport(std::uint16_t deviceId, std::uint8_t, const std::uint8_t* data, int length) {
  const bool ours = deviceId == FindDeviceID(kLookupUsage, kLookupUsagePage);
  std::lock_guard lock(m_transferLock);
  m_reportEvent = true;
  if (ours && length >= kReplyHeaderBytes && m_Transfer.nFunc == kReadFunction) {
    AppendReceived(data + kReplyHeaderBytes, length - kReplyHeaderBytes);
  }
  m_transferCv.notify_all();
}

// Called with m_transferLock held.
void CUSBDriver::AppendReceived(const std::uint8_t* data, int length) {
  READ_TRANSFER& t = m_Transfer;
  if (t.bActive == 0) return;
  if (t.nPackets == 0) t.pBuffer.assign(static_cast<std::size_t>(t.nExpected), 0);
  if (t.nReceived < t.nExpected) {
    const int n = std::min(length, t.nExpected - t.nReceived);
    std::memcpy(t.pBuffer.data() + t.nReceived, data, static_cast<std::size_t>(n));
  }
  t.nPackets += 1;
  t.nReceived += length;
  if (t.nPackets == t.nSent && t.nReceived == t.nExpected + t.nExtra) {
    t.bActive = 0;
    m_doneEvent = true;
  }
}

bool CUSBDriver::EnsureOpen() { return m_bOpen != 0 || Open(0, 0) != gui::FALSE; }

int CUSBDriver::SendPacket(std::uint8_t* packet) {
  if (!EnsureOpen()) return 1;
  const std::uint16_t id = FindDeviceID(kLookupUsage, kLookupUsagePage);
  const std::uint16_t crc = isp::IspCrc16(0, packet, kPacketBytes);
  packet[2] = static_cast<std::uint8_t>(crc & 0xFF);
  packet[3] = static_cast<std::uint8_t>(crc >> 8);
  const int written = HidMon_Write(id, packet, kPacketBytes, m_nSlot);
  sys::SleepMs(kWritePauseMs);
  return written != 0 ? 0 : 1;
}

int CUSBDriver::RequestRead(std::uint32_t start, std::uint32_t end, int func, const std::uint8_t* param,
                            int extra) {
  if (end < start) return 1;
  {
    std::lock_guard lock(m_transferLock);
    m_Transfer = READ_TRANSFER{};
    m_Transfer.nFunc = func;
    if (param != nullptr) std::memcpy(m_Transfer.Param, param, sizeof m_Transfer.Param);
    m_Transfer.nExtra = extra;
    m_Transfer.bActive = 1;
    m_Transfer.nExpected = static_cast<int>(end - start + 1);
  }
  int result = 0;
  for (std::uint64_t address = start; address <= end; address += kAddressStep) {
    std::uint8_t packet[kPacketBytes] = {kReadCommand, kReadSubCommand};
    const auto a = static_cast<std::uint32_t>(address);
    PutLe32(packet + 4, a);
    PutLe32(packet + 8, a + kBlockSpan < end ? a + kBlockSpan : end);
    {
      std::lock_guard lock(m_transferLock);
      m_Transfer.nSent += 1;
      m_reportEvent = false;
    }
    result |= SendPacket(packet);
    WaitReport(kReportWaitMs);
  }
  return result;
}

void CUSBDriver::WaitReport(std::uint64_t ms) {
  std::unique_lock lock(m_transferLock);
  m_transferCv.wait_for(lock, sys::RealDuration(ms), [this] { return m_reportEvent; });
}

bool CUSBDriver::WaitDone(std::uint64_t ms) {
  std::unique_lock lock(m_transferLock);
  return m_transferCv.wait_for(lock, sys::RealDuration(ms), [this] { return m_doneEvent; });
}

// Called with m_transferLock held.
gui::CString CUSBDriver::VersionFromReceived() const {
  const READ_TRANSFER& t = m_Transfer;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(t.nReceived, 0)), t.pBuffer.size());
  const std::uint8_t* b = t.pBuffer.data();
  if (n >= 3 && b[0] == 0xFF && b[1] == 0xFF && b[2] == 0xFF) return {};  // erased
  std::size_t i = 0;
  while (i < n && i < kVersionTextMax && IsVersionCharacter(b[i])) ++i;
  return gui::CString(std::string(reinterpret_cast<const char*>(b), i));
}

int CUSBDriver::ReadVersion() {
  if (!EnsureOpen()) return 1;
  {
    std::lock_guard lock(m_transferLock);
    m_doneEvent = false;
  }
  const std::uint8_t param[4] = {};
  int result = RequestRead(kVersionStart, kVersionEnd, kReadFunction, param, kVersionExtra);
  const bool done = WaitDone(kVersionReplyWaitMs);
  std::lock_guard lock(m_transferLock);
  if (!done) {
    result = 1;
  } else {
    m_strVersion = VersionFromReceived();
  }
  m_Transfer.bActive = 0;
  return result;
}

int CUSBDriver::QueryStatus() {
  if (!EnsureOpen()) return 0;
  const std::uint16_t id = FindDeviceID(kLookupUsage, kLookupUsagePage);
  std::uint8_t status[kPacketBytes] = {};
  const int ok = HidMon_GetInputReport(id, status, kPacketBytes, m_nSlot);
  sys::SleepMs(kGetReportPauseMs);
  if (ok == 0) return 0;
  for (std::size_t i = 0; i < kPacketBytes; ++i) {
    if (status[i] != 'O') return static_cast<int>(i);
  }
  return 0;
}

}  // namespace vexaro::usb
