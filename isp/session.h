// One conversation with the keyboard's loader: the device it talks to, the
// report buffers, the key block, the progress of the last transfer and the
// user-area bounds, with every loader operation as a member function.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "isp/protocol.h"
#include "platform/hid/hid.h"

namespace vexaro::isp {

inline constexpr std::size_t kReportBufferSize = 260;
inline constexpr std::size_t kCrcKeySize = 64;
using protocol::kDataBytes;
using protocol::kPayloadBytes;

// Results of the operations; the numbers are the ISP_* result codes.
enum class Result : std::int32_t { kOk = 0, kFailed = 1, kDeviceNotFound = 16, kInvalidArguments = 18 };

// The device a session looks for: its USB ids, and which of the devices
// with those ids, counted from 0 in enumeration order.
struct DeviceIds {
  std::int32_t vendorId = 0x04D9;
  std::int32_t productId = 0x8010;
  std::int32_t index = 0;
};

// Flash addresses from `first` to `last`, both included.
struct AddressRange {
  std::uint32_t first = 0;
  std::uint32_t last = 0;
  // 64 bits: the whole 32-bit address space holds 2^32 bytes.
  std::uint64_t Bytes() const { return std::uint64_t{last} - first + 1; }
};

enum class TransferMode : std::uint8_t { kVerify = protocol::flash::kVerify, kProgram = protocol::flash::kProgram };

// Not thread-safe: one thread at a time uses a session (the update
// controller's states keep its threads apart). The one exception is
// RequestTransferStop, which any thread may call during a transfer.
class Session {
 public:
  Session() = default;
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
  ~Session();  // closes the handles

  // Closes the handles and puts everything back to its initial value.
  void Reset();

  // ---- Connection (transport.cpp) ----
  // Looks for `ids` and opens the device; true when it is open.
  bool IsConnectedToDevice(const DeviceIds& ids);
  // Closes the handles; true when the query handle was open and closed.
  bool CloseConnection();

  // ---- Key block (session_state.cpp) ----
  // The key block the command checksums continue over; false (and nothing
  // changes) when it is longer than kCrcKeySize.
  bool SetCrcKey(std::span<const std::uint8_t> key);

  // ---- Flash (flash_ops.cpp) ----
  Result ErasePage(AddressRange range);
  Result EraseMass();
  Result BlankCheck(AddressRange range);
  // Programs or verifies the range from `image`, which holds range.Bytes()
  // bytes. kInvalidArguments for a range that is not first < last.
  Result Transfer(AddressRange range, TransferMode mode, std::span<const std::uint8_t> image);
  // Reads the range into `out`, which holds at least range.Bytes() bytes.
  Result Read(AddressRange range, std::span<std::uint8_t> out);
  // Percent of the last program or verify transfer.
  std::int32_t TransProgress() const { return state_.transProgress; }
  // Asks a running Transfer to stop before its next report (it then fails).
  // It stays set until cleared, so the caller clears it before a transfer.
  void RequestTransferStop(bool stop) { transferStop_.store(stop); }
  bool TransferStopRequested() const { return transferStop_.load(); }

  // ---- Device control (control_ops.cpp) ----
  // The text for information `type`; `text` is set once the loader's data
  // report arrived, also when the closing status then fails the call.
  Result GetInformation(std::uint32_t type, std::optional<std::string>& text);
  // The loader's checksum over the user area; `value` is written whenever
  // the command was sent. True when a status report arrived.
  bool CrcCheck(std::span<const std::uint8_t, kPayloadBytes> payload, std::uint16_t& value);
  // Mode changes: kDeviceNotFound when the wanted device is not there, else
  // whether the command was written. RestartLoader then closes the connection.
  Result ResetToLoader(bool keyed);
  Result RestartLoader();
  Result Execute();
  Result Exit();
  // Sends a caller-made command (command byte at least 0x50); true when written.
  bool SendUserCommand(std::span<const std::uint8_t, protocol::kUserCommandBytes> command);
  // True when a status report "O" arrives within `seconds`.
  bool GetUserResult(std::int32_t seconds);
  // Whole data reports into `buffer` until it is full or one is missing;
  // returns the bytes received.
  std::int32_t GetUserData(std::span<std::uint8_t> buffer);

  // ---- What tests and diagnostics may look at ----
  bool Discovered() const { return state_.discovered; }
  std::int32_t UserStart() const { return state_.userStart; }
  hid::Handle WriteHandle() const { return state_.writeHandle; }
  hid::Handle ReadHandle() const { return state_.readHandle; }
  std::span<const std::uint8_t> CrcKey() const { return {state_.crcKey.data(), state_.crcKeyLength}; }
  // Builds the ready probe that the generator seed `seed` makes (the probe
  // seeds it with the current second) and returns its bytes 0 to 64.
  std::span<const std::uint8_t> BuildProbe(std::uint32_t seed);
  // Why the last search, open or transfer failed (isp/isp_status.h).
  const hid::Error& LastDeviceError() const { return state_.deviceError; }

 private:
  struct State {
    hid::Handle queryHandle = hid::kInvalidHandle;
    hid::Handle writeHandle = hid::kInvalidHandle;
    hid::Handle readHandle = hid::kInvalidHandle;
    std::uint16_t inputReportByteLength = 0;  // from the device's capabilities
    std::uint16_t outputReportByteLength = 0;
    std::array<std::uint8_t, kReportBufferSize> inputReport{};
    std::array<std::uint8_t, kReportBufferSize> outputReport{};
    std::array<std::uint8_t, kCrcKeySize> crcKey{};
    std::uint16_t crcKeyLength = kCrcKeySize;
    DeviceIds wanted;
    bool discovered = false;  // when clear, every ready probe finds the device again
    std::int32_t transProgress = 0;
    std::int32_t userStart = 0x00000C00;  // replaced by information type 6
    std::int32_t flashEnd = 0x00007FFF;
    std::uint32_t randomState = 1;
    hid::Error deviceError;  // the last failure of a search, open or transfer
  };

  // ---- Transport steps (transport.cpp) ----
  bool FindDevice();
  void OpenMatched(const std::string& path);
  hid::Handle OpenForUse(const std::string& path, hid::Access access);  // notes a refusal
  void NoteDeviceError(hid::Error error);
  bool ProbeDevice();
  bool ReadyToSend();  // probe answered and a write handle open
  bool GetInputReportOnce();
  bool DeviceStillThere();
  bool PollMayStillAnswer(hid::Error& failure);  // false: stop polling, failure says why
  bool PollStatus(std::int64_t windowSeconds, std::uint32_t pauseMs);
  std::string StatusText() const;
  bool StatusIs(char status) const;
  bool ReadDataReport();
  void DropConnection();
  bool WriteCommandReport();  // on failure drops the connection

  // ---- Packet steps (packets.cpp) ----
  std::uint32_t NextRandom();
  void SeedRandom(std::uint32_t seed);
  std::uint8_t RandomFiller();        // 1..255
  std::uint8_t RandomProbeCommand();  // 6..255
  // The checksum a command report's bytes 1-64 call for, plain or keyed.
  std::uint16_t ReportChecksum(bool keyed) const;
  void SpoilProbeChecksum();
  void BeginCommand(std::uint8_t command, std::uint8_t subCommand);
  void PutWord(std::size_t offset, std::uint32_t value);
  void PutRange(AddressRange range);
  void FillFrom(std::size_t from);  // random filler up to the last report byte
  bool SendCommand(bool keyed);     // checksum into bytes 3-4, then write
  std::size_t InputLength() const;  // report lengths clamped to the buffers
  std::size_t OutputLength() const;

  // ---- Operation steps (flash_ops.cpp, control_ops.cpp) ----
  struct TransferCount;
  Result StatusCommand(std::uint8_t command, std::uint8_t subCommand, const AddressRange* range,
                       std::int64_t windowSeconds);
  void ScanAcknowledgements(TransferCount& count, bool stopAtFailure) const;
  bool SendTransferReport(TransferMode mode, AddressRange packet, const std::uint8_t* bytes);
  enum class ModeOp { kResetToLoader, kResetToLoaderUnkeyed, kExecute, kExit };
  Result ModeOperation(ModeOp op);
  std::uint32_t InputWord(std::size_t offset) const;
  std::string InformationText(std::uint32_t type, const protocol::InfoWords& words);

  State state_;
  // Apart from State: the one field another thread may write while a
  // transfer runs.
  std::atomic<bool> transferStop_{false};
};

}  // namespace vexaro::isp
