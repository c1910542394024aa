// The trace of a simulated keyboard: one text line for every report it
// exchanges and every event of its life, in the format of
// docs/trace-format.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace vexaro::sim {

class Trace {
 public:
  Trace() = default;
  ~Trace();
  Trace(const Trace&) = delete;
  Trace& operator=(const Trace&) = delete;

  // Starts writing to path (replacing it); false when it cannot be opened.
  bool Open(const std::string& path);
  bool IsOpen() const { return file_ != nullptr; }

  // kind: OUT (output report written to the device), GET (GET_REPORT
  // answered), IN (input report sent on the interrupt pipe).
  void Report(std::string_view kind, std::size_t collection, const std::uint8_t* bytes,
              std::size_t length, std::uint64_t atMs);
  // A GET_REPORT that found nothing to give; runs of them become one line.
  void Refused(std::size_t collection);
  void Event(std::string_view text);

 private:
  void FlushRefused();
  std::uint64_t Stamp(std::uint64_t atMs) const;

  std::FILE* file_ = nullptr;
  std::uint64_t startMs_ = 0;
  std::uint64_t refused_ = 0;
  std::size_t refusedCollection_ = 0;
  std::uint64_t refusedSinceMs_ = 0;
};

}  // namespace vexaro::sim
