// Reading a file that a user named (a package, an image): opened without
// waiting on a FIFO or a device, refused unless it is a regular file, and
// with a reason a person can act on when it cannot be read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vexaro::sys {

enum class FileProblem { None, NotFound, IsFolder, PermissionDenied, NotRegular, ReadFailed };

// "not found", "is a folder", "permission denied", "not a regular file",
// "cannot be read"; empty for None.
const char* FileProblemText(FileProblem problem);

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens path for reading. Anything but a regular file (a FIFO, a device,
  // a folder) is refused without blocking; nothing is read yet.
  FileProblem Open(const std::string& path);
  // The file's length when it was opened.
  std::uint64_t Size() const { return size_; }
  // Reads out.size() bytes from offset; false on an error or a short read.
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const;

 private:
  static constexpr std::intptr_t kClosed = -1;
  // The system's part (platform/linux, platform/windows). Opens a regular
  // file for reading, giving its handle and size.
  static FileProblem OpenSystemFile(const std::string& path, std::intptr_t& handle, std::uint64_t& size);
  static void CloseSystemFile(std::intptr_t handle);
  // Reads at most out.size() bytes from offset; 0 on an error or at the end.
  static std::size_t ReadSystemFile(std::intptr_t handle, std::uint64_t offset, std::span<std::uint8_t> out);

  void Close();
  std::intptr_t handle_ = kClosed;
  std::uint64_t size_ = 0;
};

}  // namespace vexaro::sys
