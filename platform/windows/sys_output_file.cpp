// Windows output files: CREATE_NEW, which fails on any existing name (a
// file or a link alike) instead of opening it; FlushFileBuffers before
// MoveFileEx, so that the renamed file holds its bytes after a crash.
#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "platform/sys/output_file.h"
#include "platform/windows/sys_handle.h"

namespace vexaro::sys {

namespace {

constexpr int kNameAttempts = 16;  // a collision of 64 random bits is already unheard of


std::string SystemText(DWORD error) {
  char text[256] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                 text, sizeof text, nullptr);
  std::string s(text, n);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.')) s.pop_back();
  return s.empty() ? "system error " + std::to_string(error) : s;
}

// Volume serial number and file index: one file has one pair whatever its name.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return known;
}

}  // namespace

OutputFile::~OutputFile() { Discard(); }

void OutputFile::Close() {
  if (handle_ != -1) CloseHandle(AsHandle(handle_));
  handle_ = -1;
}

bool OutputFile::Create(const std::string& target, bool /*executable: Windows has no such permission*/) {
  Discard();
  target_ = target;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::string name = TemporaryNameBeside(target);
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      handle_ = reinterpret_cast<std::intptr_t>(file);
      temporary_ = name;
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      failure_ = SystemText(error);
      return false;
    }
  }
  failure_ = "no unused temporary name";
  return false;
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (handle_ == -1) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), bytes.data() + done, chunk, &n, nullptr) || n == 0) {
      failure_ = SystemText(GetLastError());
      return false;
    }
    done += n;
  }
  return true;
}

bool OutputFile::Commit() {
  if (handle_ == -1) return false;
  const bool flushed = FlushFileBuffers(AsHandle(handle_)) != 0;
  const DWORD flushError = GetLastError();
  Close();
  if (!flushed) {
    failure_ = SystemText(flushError);
    return false;
  }
  if (!MoveFileExA(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    failure_ = SystemText(GetLastError());
    return false;
  }
  temporary_.clear();
  return true;
}

void OutputFile::Discard() {
  Close();
  if (!temporary_.empty()) DeleteFileA(temporary_.c_str());
  temporary_.clear();
}

bool SameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  if (!FileIdentity(a, first) || !FileIdentity(b, second)) return false;
  return first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace vexaro::sys
