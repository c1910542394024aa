// The engine's inner interface: its one process-wide state record and the
// transport and packet steps every ISP_* operation is made of. Used by the
// engine's own sources, by the update controller (key block) and by tests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "isp/isp_api.h"
#include "platform/hid/hid.h"

namespace vexaro::isp {

inline constexpr std::size_t kReportBufferSize = 260;
inline constexpr std::size_t kCrcKeySize = 64;
inline constexpr std::size_t kPayloadBytes = 52;  // data bytes in one command report
inline constexpr std::size_t kDataBytes = 64;     // data bytes in one data report

struct IspEngine {
  hid::Handle queryHandle = hid::kInvalidHandle;
  hid::Handle writeHandle = hid::kInvalidHandle;
  hid::Handle readHandle = hid::kInvalidHandle;
  std::uint16_t inputReportByteLength = 0;   // from the device's capabilities
  std::uint16_t outputReportByteLength = 0;
  std::array<std::uint8_t, kReportBufferSize> inputReport{};
  std::array<std::uint8_t, kReportBufferSize> outputReport{};
  std::array<std::uint8_t, kCrcKeySize> crcKey{};
  std::uint16_t crcKeyLength = 64;
  std::int32_t vendorId = 0x04D9;
  std::int32_t productId = 0x8010;
  std::int32_t deviceIndex = 0;
  bool discovered = false;
  std::int32_t transProgress = 0;
  std::int32_t userStart = 0x00000C00;
  std::int32_t flashEnd = 0x00007FFF;
  std::uint32_t randomState = 1;
};

// The one engine of the process. Callers must not enter it from two threads
// at once; the update controller's states keep them apart.
IspEngine& Engine();

// Closes the handles and puts every field back to its initial value.
void ResetEngine();

// A stop request for a running ISP_WriteProgramB, honoured between two
// reports (the transfer then fails with 1). Any thread may set it; it stays
// set until cleared, so the caller clears it before starting a transfer.
void RequestTransferStop(bool stop);
bool TransferStopRequested();

// CRC-16/XMODEM continued from `crc` over the bytes.
std::uint16_t IspCrc16(std::uint16_t crc, const std::uint8_t* bytes, std::size_t count);

// The exported key block setter (isp_api.h), also reachable by this name.
using ::ISP_SetCrcKey;

// Called before every search of the bus for the wanted device. The engine
// linked into a program does nothing here, the program owns its bus; the
// shared library plugs in the demo simulated keyboard on first use when the
// simulation is selected and the bus is empty (library_bus.cpp).
void PrepareBus();

// ---- Transport steps ----------------------------------------------------
bool FindDevice();
bool ProbeDevice();
bool PollStatus(std::int64_t windowSeconds, std::uint32_t pauseMs);
std::string StatusText();
bool ReadDataReport();
void DropConnection();
// Writes outputReport; on failure drops the connection.
bool WriteCommandReport();

// ---- Packet steps -------------------------------------------------------
void SeedRandom(std::uint32_t seed);
std::uint8_t RandomFiller();       // 1..255
std::uint8_t RandomProbeCommand();  // 6..255
// Starts a command report: report ID 0, command, sub-command.
void BeginCommand(std::uint8_t command, std::uint8_t subCommand);
void PutWord(std::size_t offset, std::uint32_t value);
// Random filler from `from` up to byte 64.
void FillFrom(std::size_t from);
// Checksum (keyed or over bytes 1 to 64 only) into bytes 3-4, then write.
bool SendCommand(bool keyed);

// Report lengths clamped to the engine's buffers.
std::size_t InputLength();
std::size_t OutputLength();

}  // namespace vexaro::isp
