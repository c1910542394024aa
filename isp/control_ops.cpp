// Device control operations of the exported interface: the loader's
// information, the checksum command, the mode changes, and the pass-through
// of caller-made commands.
#include <cstdio>
#include <cstring>
#include <string>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/sys/sys.h"

namespace vexaro::isp {
namespace {

constexpr std::int64_t kInfoStatusWindowSeconds = 2;
constexpr std::int64_t kChecksumWindowSeconds = 2;
constexpr std::uint32_t kChecksumPauseMs = 10;
constexpr std::uint8_t kFirstUserCommand = 0x50;

bool ReadyToSend() {
  return ProbeDevice() && Engine().writeHandle != hid::kInvalidHandle;
}

std::uint32_t WordAt(std::size_t offset) {
  const auto& in = Engine().inputReport;
  return static_cast<std::uint32_t>(in[offset]) | static_cast<std::uint32_t>(in[offset + 1]) << 8 |
         static_cast<std::uint32_t>(in[offset + 2]) << 16 | static_cast<std::uint32_t>(in[offset + 3]) << 24;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

std::string Decimal8(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08u", value);
  return text;
}

// The information text for one type, from the words W0..W3 of a data report.
std::string InformationText(std::uint32_t type, const std::uint32_t w[4]) {
  switch (type) {
    case 0: return "HT32F" + Hex(w[0] & 0xFFFFu);
    case 1: return Decimal8((w[1] >> 16) * (w[2] >> 16));
    case 2: return Decimal8(w[1] >> 16);
    case 3: return Decimal8(w[2] & 0xFFu);
    case 4: return std::string((w[0] >> 28) == 0 ? "ISP V" : "IAP V") + Hex((w[0] >> 16) & 0xFFFu);
    case 5: return "N/A";
    case 6:
      Engine().userStart = static_cast<std::int32_t>(w[1] & 0xFFFFu);
      return Decimal8(w[1] & 0xFFFFu);
    case 8: return Decimal8(w[3]);
    default: return "";
  }
}

enum class ModeOp { kResetToLoader, kResetToLoaderUnkeyed, kExecute, kExit };

int32_t ModeOperation(ModeOp op) {
  if (!FindDevice()) return ISP_DEVICE_NOT_FOUND;
  if (!ReadyToSend()) return ISP_FAILED;
  switch (op) {
    case ModeOp::kResetToLoader:
    case ModeOp::kResetToLoaderUnkeyed: BeginCommand(0x04, 0x01); break;
    case ModeOp::kExecute: BeginCommand(0x04, 0x00); break;
    case ModeOp::kExit: BeginCommand(0x05, RandomFiller()); break;
  }
  FillFrom(5);
  if (!SendCommand(op != ModeOp::kResetToLoaderUnkeyed)) return ISP_FAILED;
  if (op == ModeOp::kExecute || op == ModeOp::kExit) {
    Engine().discovered = true;
    FindDevice();
  }
  return ISP_OK;
}

}  // namespace
}  // namespace vexaro::isp

using namespace vexaro::isp;

extern "C" {

int32_t ISP_GetInformation(uint32_t type, char* text, int32_t* length) {
  if (text == nullptr || length == nullptr) return ISP_FAILED;
  if (!ReadyToSend()) return ISP_FAILED;
  BeginCommand(0x03, RandomFiller());
  FillFrom(2);
  if (!SendCommand(true)) return ISP_FAILED;
  if (!ReadDataReport()) return ISP_FAILED;
  const std::uint32_t words[4] = {WordAt(1), WordAt(5), WordAt(9), WordAt(13)};
  const std::string result = InformationText(type, words);
  *length = static_cast<int32_t>(result.size());
  std::memcpy(text, result.c_str(), result.size() + 1);
  if (PollStatus(kInfoStatusWindowSeconds, 0) && StatusText() != "O") return ISP_FAILED;
  return ISP_OK;
}

int32_t ISP_CRCCheck(int32_t, int32_t, uint16_t* value, const uint8_t* payload) {
  if (value == nullptr || payload == nullptr) return 0;
  if (!ReadyToSend()) return 0;
  IspEngine& e = Engine();
  BeginCommand(0x02, RandomFiller());
  PutWord(5, static_cast<std::uint32_t>(e.userStart));
  PutWord(9, static_cast<std::uint32_t>(e.flashEnd - e.userStart + 1));
  std::memcpy(e.outputReport.data() + 13, payload, kPayloadBytes);
  if (!SendCommand(true)) return 0;
  vexaro::sys::SleepMs(kChecksumPauseMs);
  const bool arrived = PollStatus(kChecksumWindowSeconds, kChecksumPauseMs);
  *value = static_cast<uint16_t>(e.inputReport[1] | e.inputReport[2] << 8);
  return arrived ? 1 : 0;
}

int32_t ISP_ResetToIAP(int32_t useKey) {
  return ModeOperation(useKey == 1 ? ModeOp::kResetToLoader : ModeOp::kResetToLoaderUnkeyed);
}

int32_t ISP_Reset(void) {
  const int32_t result = ModeOperation(ModeOp::kResetToLoader);
  ISP_CloseSerialPortConnect();
  return result;
}

int32_t ISP_Execute(void) { return ModeOperation(ModeOp::kExecute); }

int32_t ISP_Exit(void) { return ModeOperation(ModeOp::kExit); }

int32_t ISP_SendUserCmd(const uint8_t* command) {
  if (command == nullptr || command[0] < kFirstUserCommand) return 0;
  if (!ReadyToSend()) return 0;
  BeginCommand(command[0], command[1]);
  std::memcpy(Engine().outputReport.data() + 5, command + 2, 8);
  std::memcpy(Engine().outputReport.data() + 13, command + 10, kPayloadBytes);
  return SendCommand(true) ? 1 : 0;
}

int32_t ISP_GetUserResult(int32_t seconds) {
  return PollStatus(seconds, 0) && StatusText() == "O" ? 1 : 0;
}

int32_t ISP_GetUserData(uint8_t* buffer, int32_t count) {
  if (buffer == nullptr) return 0;
  int32_t received = 0;
  for (int32_t offset = 0; offset < count; offset += static_cast<int32_t>(kDataBytes)) {
    if (!ReadDataReport()) break;
    std::memcpy(buffer + offset, Engine().inputReport.data() + 1, kDataBytes);
    received += static_cast<int32_t>(kDataBytes);
  }
  return received;
}

}  // extern "C"
