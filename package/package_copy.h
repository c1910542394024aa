// Internal to the package reader: the bytes of the copy taken from the
// package file, and the digest over a package as stored.
#pragma once

#include <optional>

#include "package/package.h"
#include "platform/sys/digest.h"

namespace vexaro::package {

// Copies out.size() bytes that end fromEnd bytes before the end of the file,
// from the copy (taken first if need be). False when the copy does not hold
// them, the file could not be read, or the package failed its digest.
bool CopyFromEnd(std::uint64_t fromEnd, std::span<std::uint8_t> out);

// SHA-256 over a whole package as stored (at least its trailer), leaving
// out the stored bytes of the digest field. Empty when the system cannot hash.
std::optional<sys::Sha256Digest> StoredPackageDigest(std::span<const std::uint8_t> package);

}  // namespace vexaro::package
