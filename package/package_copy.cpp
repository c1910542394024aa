// The one read of the package file: a copy of the whole package, taken when
// it is first needed, and checked against its digest record when it has one.
// Every read of package bytes after that takes them from the copy, so a file
// replaced during an update cannot mix two packages on the keyboard.
#include <algorithm>
#include <vector>

#include "package/package_copy.h"
#include "platform/sys/digest.h"
#include "platform/sys/sys.h"

namespace vexaro::package {
namespace {

struct PackageCopy {
  bool loaded = false;
  PackageFileState state;
  std::vector<std::uint8_t> bytes;  // the last bytes of the file, up to the whole package
};

PackageCopy& TheCopy() {
  static PackageCopy copy;
  return copy;
}

std::string& FileOverride() {
  static std::string path;
  return path;
}

// The bytes a package with these blocks occupies, images capped at the limit
// (a larger one is refused before anything is allocated for it).
std::uint64_t WantedBytes(const ImageBlockBytes& internal, const ImageBlockBytes& external) {
  const std::uint64_t l = std::min(DecodeInternalBlock(internal).imageLength, kMaxImageBytes);
  const std::uint64_t n = std::min(DecodeExternalBlock(external).externalLength, kMaxImageBytes);
  return kPackageTrailerSize + l + n;
}

bool HasDigestRecord(const ImageBlockBytes& external) {
  return std::equal(digest_record::kMarker.begin(), digest_record::kMarker.end(),
                    external.begin() + digest_record::kMarkerOffset);
}

// The unscrambled blocks of a package tail that holds at least the trailer.
void UnscrambledBlocks(std::span<const std::uint8_t> tail, const PackageKeyBytes& key, ImageBlockBytes& internal,
                       ImageBlockBytes& external) {
  const std::size_t at = tail.size() - kPackageTrailerSize;
  std::copy_n(tail.begin() + static_cast<std::ptrdiff_t>(at), kImageBlockSize, external.begin());
  std::copy_n(tail.begin() + static_cast<std::ptrdiff_t>(at + kImageBlockSize), kImageBlockSize, internal.begin());
  ScramblePackageBytes(internal, key);
  ScramblePackageBytes(external, key);
}

// Checks the digest record of a package that has one; the copy must hold it whole.
PackageDigest CheckDigest(std::span<const std::uint8_t> package, const PackageKeyBytes& key) {
  const auto digest = StoredPackageDigest(package);
  if (!digest) return PackageDigest::Mismatch;
  ImageBlockBytes external{};
  const std::size_t at = package.size() - kPackageTrailerSize;
  std::copy_n(package.begin() + static_cast<std::ptrdiff_t>(at), kImageBlockSize, external.begin());
  ScramblePackageBytes(external, key);
  return std::equal(digest->begin(), digest->end(), external.begin() + digest_record::kDigestOffset)
             ? PackageDigest::Verified
             : PackageDigest::Mismatch;
}

// Reads the tail of the file that holds the package, with the checks that
// need nothing but the file: its kind, the key tag and the digest.
void ReadCopy(sys::InputFile& file, PackageCopy& copy) {
  PackageFileState& state = copy.state;
  const std::string& path = state.path;
  state.fileSize = file.Size();
  std::vector<std::uint8_t> tail(std::min<std::uint64_t>(state.fileSize, kPackageTrailerSize));
  if (!file.ReadAt(state.fileSize - tail.size(), tail)) {
    state.fileProblem = sys::FileProblem::ReadFailed;
    state.problem = path + ": cannot be read";
    return;
  }
  if (tail.size() < kDescriptorSize) {
    state.problem = path + ": carries no firmware package (too short for its descriptor)";
    copy.bytes = std::move(tail);
    return;
  }
  const KeyChoice choice = ChoosePackageKey(std::span(tail).last<kDescriptorSize>());
  if (choice.slot == 0) state.problem = path + ": carries no firmware package (its key tag fits neither key slot)";
  if (choice.slot == 0 || tail.size() < kPackageTrailerSize) {
    copy.bytes = std::move(tail);
    return;
  }
  ImageBlockBytes internal{}, external{};
  UnscrambledBlocks(tail, choice.key, internal, external);
  state.demo = CarriesDemoMark(external);
  const std::uint64_t wanted = WantedBytes(internal, external);
  copy.bytes.resize(std::min(state.fileSize, wanted));
  if (!file.ReadAt(state.fileSize - copy.bytes.size(), copy.bytes)) {
    state.fileProblem = sys::FileProblem::ReadFailed;
    state.problem = path + ": cannot be read";
    return;
  }
  if (!HasDigestRecord(external)) return;
  const bool whole = wanted <= state.fileSize && DecodeInternalBlock(internal).imageLength <= kMaxImageBytes &&
                     DecodeExternalBlock(external).externalLength <= kMaxImageBytes;
  state.digest = whole ? CheckDigest(copy.bytes, choice.key) : PackageDigest::Mismatch;
  if (state.digest == PackageDigest::Mismatch) {
    state.problem = path + (whole ? ": damaged: the package does not match its SHA-256 digest"
                                  : ": damaged: the package is cut short (its images reach before the start of the file)");
  }
}

void Load(PackageCopy& copy) {
  copy = PackageCopy{};
  copy.loaded = true;
  PackageFileState& state = copy.state;
  if (!FileOverride().empty()) {
    state.path = FileOverride();
  } else if (!sys::GetModuleFilePath(state.path)) {
    state.fileProblem = sys::FileProblem::NotFound;
    state.problem = "the program file's path is unknown";
    return;
  }
  sys::InputFile file;
  state.fileProblem = file.Open(state.path);
  if (state.fileProblem != sys::FileProblem::None) {
    state.problem = state.path + ": " + sys::FileProblemText(state.fileProblem);
    return;
  }
  ReadCopy(file, copy);
}

}  // namespace

void SetPackageFile(std::string path) {
  FileOverride() = std::move(path);
  TheCopy() = PackageCopy{};
}

const PackageFileState& LoadPackageFile() {
  PackageCopy& copy = TheCopy();
  if (!copy.loaded) Load(copy);
  return copy.state;
}

bool CopyFromEnd(std::uint64_t fromEnd, std::span<std::uint8_t> out) {
  const PackageFileState& state = LoadPackageFile();
  const std::vector<std::uint8_t>& bytes = TheCopy().bytes;
  if (state.fileProblem != sys::FileProblem::None || state.digest == PackageDigest::Mismatch) return false;
  if (fromEnd + out.size() > bytes.size()) return false;
  std::copy_n(bytes.end() - static_cast<std::ptrdiff_t>(fromEnd + out.size()), out.size(), out.begin());
  return true;
}

}  // namespace vexaro::package
