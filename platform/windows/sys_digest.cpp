// SHA-256 through Windows' own cryptography (CNG, bcrypt.dll), so the
// Windows programs carry no hash library of their own.
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>

#include "platform/sys/digest.h"

namespace vexaro::sys {

std::optional<Sha256Digest> Sha256(std::initializer_list<std::span<const std::uint8_t>> parts) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) < 0) return std::nullopt;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0;
  for (const auto& part : parts) {
    // CNG takes at most 4 GiB a call; packages are far smaller, but a part
    // is fed in pieces all the same.
    std::size_t done = 0;
    while (ok && done < part.size()) {
      const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(part.size() - done, 1u << 30));
      ok = BCryptHashData(hash, const_cast<PUCHAR>(part.data() + done), chunk, 0) >= 0;
      done += chunk;
    }
  }
  Sha256Digest digest{};
  ok = ok && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
  if (hash != nullptr) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace vexaro::sys
