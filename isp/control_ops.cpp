// Device control operations of a session: the loader's information, the
// checksum command, the mode changes, and the pass-through of caller-made
// commands.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "isp/engine.h"
#include "isp/isp_control.h"
#include "isp/protocol.h"
#include "isp/session.h"
#include "platform/sys/sys.h"

namespace vexaro::isp {
namespace {

constexpr std::int64_t kInfoStatusWindowSeconds = 2;
constexpr std::int64_t kChecksumWindowSeconds = 2;
constexpr std::uint32_t kChecksumPauseMs = 10;

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

}  // namespace

using namespace protocol;

std::uint32_t Session::InputWord(std::size_t offset) const {
  const auto& in = state_.inputReport;
  return static_cast<std::uint32_t>(in[offset]) | static_cast<std::uint32_t>(in[offset + 1]) << 8 |
         static_cast<std::uint32_t>(in[offset + 2]) << 16 | static_cast<std::uint32_t>(in[offset + 3]) << 24;
}

// The information text for one type.
std::string Session::InformationText(std::uint32_t type, const InfoWords& words) {
  using namespace information;
  switch (type) {
    case kChipName: return "HT32F" + Hex(words.ChipNumber());
    case kFlashSize: return Decimal8(words.FirstSizeFactor() * words.SecondSizeFactor());
    case kFirstSizeFactor: return Decimal8(words.FirstSizeFactor());
    case kByteValue: return Decimal8(words.ByteValue());
    case kLoaderVersion: return std::string(words.IspLoader() ? "ISP V" : "IAP V") + Hex(words.LoaderVersion());
    case kNotAvailable: return "N/A";
    case kUserStart:
      state_.userStart = static_cast<std::int32_t>(words.UserStart());
      return Decimal8(words.UserStart());
    case kVersionRecord: return Decimal8(words.VersionRecordAddress());
    default: return "";
  }
}

Result Session::GetInformation(std::uint32_t type, std::optional<std::string>& text) {
  if (!ReadyToSend()) return Result::kFailed;
  BeginCommand(command::kInformation, RandomFiller());
  FillFrom(kFillerAfterCommand);
  if (!SendCommand(true)) return Result::kFailed;
  if (!ReadDataReport()) return Result::kFailed;
  InfoWords words;
  for (std::size_t i = 0; i < kInfoWordCount; ++i) words.w[i] = InputWord(kInfoWordsOffset + sizeof(std::uint32_t) * i);
  text = InformationText(type, words);
  // A missing closing status does not fail the call; a wrong one does.
  if (PollStatus(kInfoStatusWindowSeconds, 0) && !StatusIs(kStatusOk)) return Result::kFailed;
  return Result::kOk;
}

bool Session::CrcCheck(std::span<const std::uint8_t, kPayloadBytes> payload, std::uint16_t& value) {
  if (!ReadyToSend()) return false;
  BeginCommand(command::kChecksum, RandomFiller());
  PutWord(kAddressOffset, static_cast<std::uint32_t>(state_.userStart));
  PutWord(kEndOffset, static_cast<std::uint32_t>(state_.flashEnd - state_.userStart + 1));
  std::copy(payload.begin(), payload.end(), state_.outputReport.begin() + kPayloadOffset);
  if (!SendCommand(true)) return false;
  sys::SleepMs(kChecksumPauseMs);
  const bool arrived = PollStatus(kChecksumWindowSeconds, kChecksumPauseMs);
  const auto& in = state_.inputReport;
  value = static_cast<std::uint16_t>(in[kChecksumValueOffset] | in[kChecksumValueOffset + 1] << 8);
  return arrived;
}

// Every mode change first looks for the wanted device again: the keyboard
// may have re-enumerated since the last command. No reply is read.
Result Session::ModeOperation(ModeOp op) {
  if (!FindDevice()) return Result::kDeviceNotFound;
  if (!ReadyToSend()) return Result::kFailed;
  switch (op) {
    case ModeOp::kResetToLoader:
    case ModeOp::kResetToLoaderUnkeyed: BeginCommand(command::kReset, reset::kToLoader); break;
    case ModeOp::kExecute: BeginCommand(command::kReset, reset::kToApplication); break;
    case ModeOp::kExit: BeginCommand(command::kExit, RandomFiller()); break;
  }
  FillFrom(kFillerAfterSubCommand);
  if (!SendCommand(op != ModeOp::kResetToLoaderUnkeyed)) return Result::kFailed;
  if (op == ModeOp::kExecute || op == ModeOp::kExit) {
    state_.discovered = true;
    FindDevice();
  }
  return Result::kOk;
}

Result Session::ResetToLoader(bool keyed) {
  return ModeOperation(keyed ? ModeOp::kResetToLoader : ModeOp::kResetToLoaderUnkeyed);
}

Result Session::RestartLoader() {
  const Result result = ModeOperation(ModeOp::kResetToLoader);
  CloseConnection();
  return result;
}

Result Session::Execute() { return ModeOperation(ModeOp::kExecute); }

Result Session::Exit() { return ModeOperation(ModeOp::kExit); }

bool Session::SendUserCommand(std::span<const std::uint8_t, kUserCommandBytes> userCommand) {
  if (userCommand[0] < command::kFirstUser) return false;
  if (!ReadyToSend()) return false;
  BeginCommand(userCommand[0], userCommand[1]);
  auto fields = userCommand.subspan<kUserFieldsOffset, kUserFieldsBytes>();
  auto payload = userCommand.subspan<kUserPayloadOffset, kPayloadBytes>();
  std::copy(fields.begin(), fields.end(), state_.outputReport.begin() + kAddressOffset);
  std::copy(payload.begin(), payload.end(), state_.outputReport.begin() + kPayloadOffset);
  return SendCommand(true);
}

bool Session::GetUserResult(std::int32_t seconds) { return PollStatus(seconds, 0) && StatusIs(kStatusOk); }

std::int32_t Session::GetUserData(std::span<std::uint8_t> buffer) {
  std::int32_t received = 0;
  for (std::size_t offset = 0; offset + kDataBytes <= buffer.size(); offset += kDataBytes) {
    if (!ReadDataReport()) break;
    std::memcpy(buffer.data() + offset, state_.inputReport.data() + kDataOffset, kDataBytes);
    received += static_cast<std::int32_t>(kDataBytes);
  }
  return received;
}

void RequestTransferStop(bool stop) { TheEngine().RequestTransferStop(stop); }

}  // namespace vexaro::isp
