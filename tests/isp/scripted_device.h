// A scripted loader for engine tests: records every report the engine writes
// and answers as each test scripts it, so tests can check exact bytes, counts
// and the judging of replies that the simulated keyboard never gives.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "isp/engine.h"
#include "platform/sim/sim_bus.h"

namespace vexaro::isp::testing {

using Report = std::vector<std::uint8_t>;

// Program-clock readings taken on the engine's thread, inside its calls: the
// last write, and the first and last two GET_REPORTs refused since then (the
// polls of a status window that got no answer).
struct PollTimes {
  std::uint64_t writeMs = 0;
  std::uint64_t firstRefusedMs = 0;
  std::uint64_t lastButOneRefusedMs = 0;
  std::uint64_t lastRefusedMs = 0;
  int refused = 0;
};

class ScriptedDevice final : public simbus::Device {
 public:
  // Reacts to one command report (not the probe); default: status "O".
  std::function<void(const Report&, ScriptedDevice&)> onCommand =
      [](const Report&, ScriptedDevice& d) { d.QueueStatus("O"); };
  // Status given to each probe; empty: the probe is never answered.
  void SetProbeAnswer(std::string text);
  int failWriteNumber = 0;        // the Nth write (counting from 1) fails

  // Plugs a device with these ids (one vendor collection with 65-byte output
  // reports and input reports of inputLength bytes) in a new port.
  static std::shared_ptr<ScriptedDevice> Plug(std::uint16_t vid, std::uint16_t pid,
                                              std::uint16_t inputLength = 65);

  void QueueStatus(const std::string& text) { QueueRaw(Report(text.begin(), text.end())); }
  void QueueRaw(const Report& bytes64);
  void PushData(const Report& bytes64);

  // Reports seen, probes included, in order.
  std::vector<Report> Writes() const;
  std::vector<Report> Commands() const;  // the writes that were not probes
  int SuccessfulGets() const;
  PollTimes PollsSinceLastWrite() const;
  int port = 0;

  bool OnOutputReport(int port, std::size_t collection, const std::uint8_t* data,
                      std::size_t length) override;
  bool OnGetInputReport(int port, std::size_t collection, std::uint8_t* data,
                        std::size_t length) override;

  static bool IsProbe(const Report& r);

 private:
  mutable std::mutex mutex_;
  std::vector<Report> writes_;
  std::deque<Report> statuses_;
  int gets_ = 0;
  PollTimes polls_;
  std::string probeAnswer_ = "F";
};

// Checksum of a command report as the engine must have computed it.
std::uint16_t ExpectedChecksum(const Report& r, bool keyed);

}  // namespace vexaro::isp::testing
