// The loader's wire format as the engine writes and reads it: command and
// sub-command codes, byte offsets in command, status and data reports, and
// the status characters. Multi-byte fields are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexaro::isp::protocol {

// ---- Command report (65 bytes; byte 0 is the report ID) -----------------
inline constexpr std::uint8_t kReportId = 0;
inline constexpr std::size_t kCommandOffset = 1;
inline constexpr std::size_t kSubCommandOffset = 2;
inline constexpr std::size_t kChecksumOffset = 3;  // low byte; the high byte follows
inline constexpr std::size_t kAddressOffset = 5;   // first address of a range
inline constexpr std::size_t kEndOffset = 9;       // last address (inclusive) or a byte count
inline constexpr std::size_t kPayloadOffset = 13;
inline constexpr std::size_t kPayloadBytes = 52;   // data bytes in one command report
inline constexpr std::size_t kLastReportByte = 64;  // filler and checksum run to here
// Where the random filler starts in commands that carry nothing after their
// sub-command, and in the information command, whose byte 2 is filler too.
inline constexpr std::size_t kFillerAfterSubCommand = kAddressOffset;
inline constexpr std::size_t kFillerAfterCommand = kSubCommandOffset;

// ---- Commands (byte 1) and their sub-commands (byte 2) ------------------
namespace command {
inline constexpr std::uint8_t kErase = 0x00;
inline constexpr std::uint8_t kFlash = 0x01;     // program, verify, read, blank check
inline constexpr std::uint8_t kChecksum = 0x02;  // sub-command is filler
inline constexpr std::uint8_t kInformation = 0x03;  // sub-command is filler
inline constexpr std::uint8_t kReset = 0x04;
inline constexpr std::uint8_t kExit = 0x05;      // sub-command is filler
// The ready probe's command byte is random from here to 255: no command the
// loader executes, so it only answers that it is there.
inline constexpr std::uint8_t kFirstProbe = 0x06;
// Commands a caller builds itself (ISP_SendUserCmd) start here.
inline constexpr std::uint8_t kFirstUser = 0x50;
}  // namespace command

namespace erase {
inline constexpr std::uint8_t kPage = 0x08;
inline constexpr std::uint8_t kMass = 0x0A;
}  // namespace erase

namespace flash {
inline constexpr std::uint8_t kVerify = 0x00;
inline constexpr std::uint8_t kProgram = 0x01;
inline constexpr std::uint8_t kRead = 0x02;
inline constexpr std::uint8_t kBlankCheck = 0x03;
}  // namespace flash

namespace reset {
inline constexpr std::uint8_t kToApplication = 0x00;
inline constexpr std::uint8_t kToLoader = 0x01;
}  // namespace reset

// ---- A caller-made command (62 bytes) and where its parts go ------------
inline constexpr std::size_t kUserCommandBytes = 62;
inline constexpr std::size_t kUserFieldsOffset = 2;   // its bytes 2-9 go to bytes 5-12
inline constexpr std::size_t kUserFieldsBytes = kPayloadOffset - kAddressOffset;
inline constexpr std::size_t kUserPayloadOffset = kUserFieldsOffset + kUserFieldsBytes;

// ---- Status and data reports (byte 0 is the report ID) ------------------
inline constexpr std::size_t kDataOffset = 1;  // first status character or data byte
inline constexpr std::size_t kDataBytes = 64;  // data bytes in one data report
// The information command's data report: four words from byte 1 on.
inline constexpr std::size_t kInfoWordsOffset = kDataOffset;
inline constexpr std::size_t kInfoWordCount = 4;

// The fields of those words W0..W3.
struct InfoWords {
  std::uint32_t w[kInfoWordCount] = {};
  std::uint32_t ChipNumber() const { return w[0] & 0xFFFFu; }
  std::uint32_t LoaderVersion() const { return (w[0] >> 16) & 0xFFFu; }
  bool IspLoader() const { return (w[0] >> 28) == 0; }  // any other kind is an IAP loader
  std::uint32_t UserStart() const { return w[1] & 0xFFFFu; }
  std::uint32_t FirstSizeFactor() const { return w[1] >> 16; }
  std::uint32_t SecondSizeFactor() const { return w[2] >> 16; }
  std::uint32_t ByteValue() const { return w[2] & 0xFFu; }
  std::uint32_t VersionRecordAddress() const { return w[3]; }
};
// What a caller may ask of those words, by type: each type gives one text.
// 7 and any number above 8 give an empty text.
namespace information {
inline constexpr std::uint32_t kChipName = 0;       // "HT32F" and the chip number in hexadecimal
inline constexpr std::uint32_t kFlashSize = 1;      // the two size factors multiplied
inline constexpr std::uint32_t kFirstSizeFactor = 2;
inline constexpr std::uint32_t kByteValue = 3;
inline constexpr std::uint32_t kLoaderVersion = 4;  // "ISP V" or "IAP V" and the version in hexadecimal
inline constexpr std::uint32_t kNotAvailable = 5;
inline constexpr std::uint32_t kUserStart = 6;      // also replaces the session's user-area start
inline constexpr std::uint32_t kVersionRecord = 8;  // address of the version record
}  // namespace information

// The checksum command's status report carries the loader's value here.
inline constexpr std::size_t kChecksumValueOffset = kDataOffset;

// Status characters: a command (or one report of a transfer) succeeded, or
// failed; the loader also answers the ready probe with kStatusFailed.
inline constexpr char kStatusOk = 'O';
inline constexpr char kStatusFailed = 'F';
inline constexpr char kProbeAnswer = kStatusFailed;

}  // namespace vexaro::isp::protocol
