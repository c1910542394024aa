// Sends the simulated loader command reports made from the fuzz input, with
// correct checksums so they reach the command handlers, and reads back what
// it answers. Addresses, lengths and sub-commands come straight from the input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"
#include "sim/checksum.h"
#include "sim/keyboard.h"

using namespace vexaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hid::SelectBackend(hid::BackendKind::kSimulated);
  simbus::TheBus().Reset();
  sim::KeyboardConfig config;
  config.timing = sim::Timing::Zero();
  config.flashSize = 8192;
  config.versionRecordAddress = 0x1C00;
  std::string error;
  auto keyboard = sim::SimKeyboard::Create(config, error);
  if (!keyboard || !keyboard->PlugIn()) return 0;
  // Each report: 62 input bytes for bytes 1-2 and 5-64; the checksum is made.
  for (std::size_t at = 0; at + 62 <= size; at += 62) {
    const auto paths = hid::EnumerateInterfaces();
    if (paths.empty()) break;
    hid::Handle writer = hid::Open(paths[0], hid::Access::kWrite);
    hid::Handle reader = hid::Open(paths[0], hid::Access::kOverlappedRead);
    std::uint8_t report[65] = {};
    report[1] = data[at];
    report[2] = data[at + 1];
    std::memcpy(report + 5, data + at + 2, 60);
    std::uint16_t crc = sim::Crc16(0, report + 1, 64);
    crc = sim::Crc16(crc, config.crcKey.data(), config.crcKey.size());
    report[3] = static_cast<std::uint8_t>(crc & 0xFF);
    report[4] = static_cast<std::uint8_t>(crc >> 8);
    hid::WriteReport(writer, report, sizeof report);
    std::uint8_t reply[65];
    for (int i = 0; i < 4 && hid::GetInputReport(reader, reply, sizeof reply); ++i) {}
    std::size_t got = 0;
    for (int i = 0; i < 4 && hid::ReadInputReport(reader, reply, sizeof reply, 0, &got) == hid::ReadResult::kOk; ++i) {}
    hid::Close(writer);
    hid::Close(reader);
  }
  keyboard->Unplug();
  simbus::TheBus().Reset();
  return 0;
}
