// SHA-256 through libgcrypt, which every Debian system has (libsystemd, and
// with it udev, depends on it).
#include <gcrypt.h>

#include <mutex>

#include <algorithm>

#include "platform/sys/digest.h"

namespace vexaro::sys {
namespace {

bool LibraryReady() {
  // The library must be told once that the program is using it; doing it
  // here keeps that out of every front end.
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    ready = gcry_check_version(nullptr) != nullptr;
    if (!gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P)) {
      gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
      gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
  });
  return ready;
}

}  // namespace

std::optional<Sha256Digest> Sha256(std::initializer_list<std::span<const std::uint8_t>> parts) {
  if (!LibraryReady()) return std::nullopt;
  gcry_md_hd_t hash = nullptr;
  if (gcry_md_open(&hash, GCRY_MD_SHA256, 0) != 0) return std::nullopt;
  for (const auto& part : parts) gcry_md_write(hash, part.data(), part.size());
  Sha256Digest digest{};
  const unsigned char* result = gcry_md_read(hash, GCRY_MD_SHA256);
  const bool ok = result != nullptr;
  if (ok) std::copy(result, result + digest.size(), digest.begin());
  gcry_md_close(hash);
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace vexaro::sys
