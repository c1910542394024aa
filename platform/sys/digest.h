// SHA-256 from the system's own cryptography (libgcrypt on Linux, CNG on
// Windows): the package's integrity digest is never computed by hand-written
// code of ours.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

namespace vexaro::sys {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of the parts, hashed one after the other as one message.
// Empty only when the system's hash service fails.
std::optional<Sha256Digest> Sha256(std::initializer_list<std::span<const std::uint8_t>> parts);

}  // namespace vexaro::sys
