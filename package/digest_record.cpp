// The digest record of a package: SHA-256 over the package as stored, with
// the 32 stored bytes of the digest itself left out, kept in the external
// image block's reserved bytes behind a marker.
#include <algorithm>

#include "package/package_copy.h"

namespace vexaro::package {
namespace {

// Where the digest field lies in a package as stored: the external block is
// the first of the trailer.
std::size_t DigestFieldStart(std::span<const std::uint8_t> package) {
  return package.size() - kPackageTrailerSize + digest_record::kDigestOffset;
}

}  // namespace

std::optional<sys::Sha256Digest> StoredPackageDigest(std::span<const std::uint8_t> package) {
  if (package.size() < kPackageTrailerSize) return std::nullopt;
  const std::size_t field = DigestFieldStart(package);
  return sys::Sha256({package.first(field), package.subspan(field + digest_record::kDigestSize)});
}

bool SealPackage(std::span<std::uint8_t> stored, const PackageKeyBytes& key) {
  if (stored.size() < kPackageTrailerSize) return false;
  const auto block = stored.subspan(stored.size() - kPackageTrailerSize, kImageBlockSize);
  ImageBlockBytes plain{};
  std::copy(block.begin(), block.end(), plain.begin());
  ScramblePackageBytes(plain, key);
  std::copy(digest_record::kMarker.begin(), digest_record::kMarker.end(),
            plain.begin() + digest_record::kMarkerOffset);
  ImageBlockBytes scrambled = plain;
  ScramblePackageBytes(scrambled, key);
  std::copy(scrambled.begin(), scrambled.end(), block.begin());
  const auto digest = StoredPackageDigest(stored);
  if (!digest) return false;
  std::copy(digest->begin(), digest->end(), plain.begin() + digest_record::kDigestOffset);
  ScramblePackageBytes(plain, key);
  std::copy(plain.begin(), plain.end(), block.begin());
  return true;
}

}  // namespace vexaro::package
