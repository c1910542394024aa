// Writing a file whole or not at all: the bytes go to a new file of a unique
// name beside the target, created so that no existing file or link is ever
// written through, and renamed over the target only when all are written.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vexaro::sys {

class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();  // discards a file that was not committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file in target's folder; `executable` asks for
  // the execute permission where the system has one.
  bool Create(const std::string& target, bool executable);
  bool Write(std::span<const std::uint8_t> bytes);
  // Flushes, closes and renames the temporary file over the target.
  bool Commit();
  // Closes and removes the temporary file; the target is left as it was.
  void Discard();

  const std::string& TemporaryPath() const { return temporary_; }
  // The system's reason for the last failure, for a message.
  const std::string& Failure() const { return failure_; }

 private:
  void Close();
  std::intptr_t handle_ = -1;
  std::string target_, temporary_, failure_;
};

// True when both paths, links followed, name one existing file (the same
// file under two names, through a symbolic link or a hard link).
bool SameFile(const std::string& a, const std::string& b);

// The name of a temporary file beside target, unique with high probability.
std::string TemporaryNameBeside(const std::string& target);

}  // namespace vexaro::sys
