// One program or verify transfer on a thread of its own beside the worker,
// which can tell it running from finished and can stop and join it.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace vexaro::updater {

class StageThread {
 public:
  // Starts ISP_WriteProgramB(first, last, mode, data) on a new thread.
  StageThread(std::uint32_t first, std::uint32_t last, std::uint8_t mode, const std::uint8_t* data);
  ~StageThread();  // stops and joins
  StageThread(const StageThread&) = delete;
  StageThread& operator=(const StageThread&) = delete;

  bool Finished() const { return finished_.load(); }
  // The transfer's result once Finished(); meaningless before.
  int ExitCode() const { return exitCode_.load(); }
  // Asks the engine to end the transfer before its next report, waits for
  // the thread and returns its result.
  int StopAndJoin();

 private:
  std::atomic<bool> finished_{false};
  std::atomic<int> exitCode_{-1};
  std::thread thread_;
};

// The last address of a transfer of length bytes from first, rounded up to
// whole 4-byte words (32-bit arithmetic, as the loader counts addresses).
constexpr std::uint32_t StageEnd(std::uint32_t first, std::uint32_t length) {
  return ((first + length + 3u) & ~std::uint32_t{3}) - 1u;
}

}  // namespace vexaro::updater
