// The exported C interface: every ISP_* function turns its C arguments into
// the session's types, refusing null pointers, and runs the operation on the
// process-wide session.
#include "isp/isp_api.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>

#include "isp/engine.h"

using namespace vexaro::isp;

namespace {

static_assert(ISP_OK == static_cast<int32_t>(Result::kOk));
static_assert(ISP_FAILED == static_cast<int32_t>(Result::kFailed));
static_assert(ISP_DEVICE_NOT_FOUND == static_cast<int32_t>(Result::kDeviceNotFound));
static_assert(ISP_INVALID_ARGUMENTS == static_cast<int32_t>(Result::kInvalidArguments));
static_assert(ISP_MODE_VERIFY == protocol::flash::kVerify);
static_assert(ISP_MODE_PROGRAM == protocol::flash::kProgram);
static_assert(ISP_INFO_CHIP == protocol::information::kChipName);
static_assert(ISP_INFO_FLASH_SIZE == protocol::information::kFlashSize);
static_assert(ISP_INFO_FIRST_SIZE_FACTOR == protocol::information::kFirstSizeFactor);
static_assert(ISP_INFO_BYTE_VALUE == protocol::information::kByteValue);
static_assert(ISP_INFO_LOADER_KIND == protocol::information::kLoaderVersion);
static_assert(ISP_INFO_NOT_AVAILABLE == protocol::information::kNotAvailable);
static_assert(ISP_INFO_USER_START == protocol::information::kUserStart);
static_assert(ISP_INFO_VERSION_RECORD == protocol::information::kVersionRecord);

int32_t Code(Result result) { return static_cast<int32_t>(result); }

int32_t Flag(bool value) { return value ? 1 : 0; }

AddressRange Range(int32_t start, int32_t end) {
  return {static_cast<uint32_t>(start), static_cast<uint32_t>(end)};
}

// The bytes a caller's buffer holds for the range, by the interface's
// contract; 0 for a range the session refuses anyway. Capped where a range
// cannot fit in memory, which the session refuses as well.
std::size_t BufferBytes(AddressRange range) {
  if (range.first >= range.last) return 0;
  return static_cast<std::size_t>(std::min<std::uint64_t>(range.Bytes(), std::numeric_limits<std::size_t>::max()));
}

}  // namespace

extern "C" {

// ---- Connection ----

int32_t ISP_IsConnectedToDevice(int32_t vendorId, int32_t productId, int32_t index) {
  return TheEngine().IsConnectedToDevice({vendorId, productId, index}) ? ISP_CONNECTED : ISP_NOT_CONNECTED;
}

int32_t ISP_CloseSerialPortConnect(void) { return Flag(TheEngine().CloseConnection()); }

// The loader needs neither a port set-up nor an authentication; both stay
// for callers written against the full interface.
int32_t ISP_SetupSerialPortConnection(void) { return 0; }

int32_t ISP_SendAuthentication(void) { return 1; }

int32_t ISP_SetCrcKey(const uint8_t* key, uint16_t length) {
  if (key == nullptr) return ISP_INVALID_ARGUMENTS;
  return TheEngine().SetCrcKey({key, length}) ? ISP_OK : ISP_INVALID_ARGUMENTS;
}

// ---- Flash ----

int32_t ISP_ErasePage(int32_t start, int32_t end) { return Code(TheEngine().ErasePage(Range(start, end))); }

int32_t ISP_EraseMass(void) { return Code(TheEngine().EraseMass()); }

int32_t ISP_BlankCheck(int32_t start, int32_t end) { return Code(TheEngine().BlankCheck(Range(start, end))); }

int32_t ISP_WriteProgramB(uint32_t start, uint32_t end, uint8_t mode, const uint8_t* data) {
  if (data == nullptr || start >= end) return ISP_INVALID_ARGUMENTS;
  // Any other mode does nothing and succeeds, as it always has.
  if (mode != ISP_MODE_VERIFY && mode != ISP_MODE_PROGRAM) return ISP_OK;
  const AddressRange range{start, end};
  return Code(TheEngine().Transfer(range, static_cast<TransferMode>(mode), {data, BufferBytes(range)}));
}

int32_t ISP_ReadData(uint32_t start, uint32_t end, uint8_t* data) {
  if (data == nullptr) return ISP_INVALID_ARGUMENTS;
  const AddressRange range{start, end};
  return Code(TheEngine().Read(range, {data, BufferBytes(range)}));
}

int32_t ISP_GetTransProgress(void) { return TheEngine().TransProgress(); }

// ---- Device control ----

int32_t ISP_GetInformation(uint32_t type, char* text, int32_t* length) {
  if (text == nullptr || length == nullptr) return ISP_FAILED;
  std::optional<std::string> result;
  const Result code = TheEngine().GetInformation(type, result);
  if (result) {
    *length = static_cast<int32_t>(result->size());
    std::memcpy(text, result->c_str(), result->size() + 1);
  }
  return Code(code);
}

int32_t ISP_CRCCheck(int32_t, int32_t, uint16_t* value, const uint8_t* payload) {
  if (value == nullptr || payload == nullptr) return 0;
  return Flag(TheEngine().CrcCheck(std::span<const uint8_t, kPayloadBytes>(payload, kPayloadBytes), *value));
}

int32_t ISP_ResetToIAP(int32_t useKey) { return Code(TheEngine().ResetToLoader(useKey == ISP_RESET_KEYED)); }

int32_t ISP_Reset(void) { return Code(TheEngine().RestartLoader()); }

int32_t ISP_Execute(void) { return Code(TheEngine().Execute()); }

int32_t ISP_Exit(void) { return Code(TheEngine().Exit()); }

int32_t ISP_SendUserCmd(const uint8_t* command) {
  if (command == nullptr) return 0;
  using UserCommand = std::span<const uint8_t, protocol::kUserCommandBytes>;
  return Flag(TheEngine().SendUserCommand(UserCommand(command, protocol::kUserCommandBytes)));
}

int32_t ISP_GetUserResult(int32_t seconds) { return Flag(TheEngine().GetUserResult(seconds)); }

int32_t ISP_GetUserData(uint8_t* buffer, int32_t count) {
  if (buffer == nullptr) return 0;
  // The caller's buffer has room for count rounded up to whole reports.
  const std::size_t bytes = count > 0 ? static_cast<std::size_t>(count) : 0;
  const std::size_t reports = (bytes + kDataBytes - 1) / kDataBytes;
  return TheEngine().GetUserData({buffer, reports * kDataBytes});
}

}  // extern "C"
