// The keyboard's protocol as the simulated keyboard reads it off the wire:
// command and sub-command codes, where a command report keeps its fields,
// the status characters and the information words. The simulated keyboard's
// own names, written from the wire and not shared with the engine, so that a
// mistake on one side is not copied into the other.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexaro::sim::protocol {

// ---- A command report: byte 0 the report ID, then 64 bytes --------------
inline constexpr std::size_t kCommandAt = 1;
inline constexpr std::size_t kSubCommandAt = 2;
inline constexpr std::size_t kFirstAddressAt = 5;  // or the checksum command's start
inline constexpr std::size_t kLastAddressAt = 9;   // inclusive; or the checksum command's byte count
inline constexpr std::size_t kPayloadAt = 13;      // program and verify data, the checksum's expected value

// ---- Commands (byte 1) and sub-commands (byte 2) -------------------------
inline constexpr std::uint8_t kErase = 0x00;
inline constexpr std::uint8_t kErasePages = 0x08;
inline constexpr std::uint8_t kEraseMass = 0x0A;

inline constexpr std::uint8_t kFlash = 0x01;
inline constexpr std::uint8_t kVerify = 0x00;  // the modes of a transfer
inline constexpr std::uint8_t kProgram = 0x01;
inline constexpr std::uint8_t kRead = 0x02;
inline constexpr std::uint8_t kBlankCheck = 0x03;

inline constexpr std::uint8_t kChecksum = 0x02;
inline constexpr std::uint8_t kInformation = 0x03;

inline constexpr std::uint8_t kRestart = 0x04;
inline constexpr std::uint8_t kRestartApplication = 0x00;
inline constexpr std::uint8_t kRestartLoader = 0x01;

inline constexpr std::uint8_t kExit = 0x05;
// Commands from here on are the caller's own; this keyboard knows only the
// first, which echoes its report.
inline constexpr std::uint8_t kEcho = 0x50;

// ---- Replies --------------------------------------------------------------
inline constexpr char kStatusOk = 'O';
inline constexpr char kStatusFailed = 'F';
// The checksum command's reply, one status report: the value in bytes 1-2,
// the status character after it.
inline constexpr std::size_t kChecksumValueAt = 1;
inline constexpr std::size_t kChecksumStatusAt = 3;

// The information command's data report: four little-endian words W0..W3
// from byte 0 of its data, and the fields packed into them.
inline constexpr std::size_t kInfoChipWord = 0;     // chip | loader version << 16 | kind << 28
inline constexpr std::size_t kInfoUserWord = 1;     // application start | page size << 16
inline constexpr std::size_t kInfoPagesWord = 2;    // info byte | page count << 16
inline constexpr std::size_t kInfoRecordWord = 3;   // version record address
inline constexpr unsigned kInfoHighShift = 16;
inline constexpr unsigned kInfoKindShift = 28;
inline constexpr std::uint32_t kInfoLowMask = 0xFFFF;
inline constexpr std::uint32_t kInfoVersionMask = 0xFFF;
inline constexpr std::uint32_t kKindIap = 1, kKindIsp = 0;

}  // namespace vexaro::sim::protocol
