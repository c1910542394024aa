#include "updater/flash_layout.h"

#include <algorithm>
#include <cstdio>

#include "updater/loader_values.h"

namespace vexaro::updater {
namespace {

// Inclusive byte range; 64-bit so that no end wraps.
struct Range {
  std::uint64_t first = 0, last = 0;
};

Range Pages(Range r) {
  return {r.first / kFlashPageBytes * kFlashPageBytes, (r.last / kFlashPageBytes + 1) * kFlashPageBytes - 1};
}

bool Overlap(Range a, Range b) { return a.first <= b.last && b.first <= a.last; }

std::string Text(const char* what, Range image, Range other) {
  char text[160];
  std::snprintf(text, sizeof text, "External image 0x%08llX-0x%08llX %s 0x%08llX-0x%08llX",
                static_cast<unsigned long long>(image.first), static_cast<unsigned long long>(image.last), what,
                static_cast<unsigned long long>(other.first), static_cast<unsigned long long>(other.last));
  return text;
}

}  // namespace

std::string ExternalImageProblem(const LoaderInfo& loader, std::uint32_t internalLength, std::uint32_t start,
                                 std::uint32_t length) {
  if (length == 0) return {};
  const Range image{start, ((std::uint64_t{start} + length + 3) & ~std::uint64_t{3}) - 1};
  if (image.last >= loader.FlashSize) {
    return Text("lies outside the flash", image, Range{0, loader.FlashSize == 0 ? 0 : loader.FlashSize - 1u});
  }
  // The old record's erase and the new record's words, whichever reaches further.
  const std::uint64_t recordLast = std::max<std::uint64_t>(loader.VersionEnd, std::uint64_t{loader.VersionBase} +
                                                                                 kVersionTextMax + 3);
  const Range version = Pages({loader.VersionBase, recordLast});
  if (Overlap(image, version)) return Text("overlaps the version record's pages", image, version);
  const std::uint64_t internalLast = ((std::uint64_t{loader.ApStart} + internalLength + 3) & ~std::uint64_t{3}) - 1;
  const Range application = Pages({loader.ApStart, std::max<std::uint64_t>(internalLast, loader.ApStart)});
  if (Overlap(image, application)) return Text("overlaps the application's pages", image, application);
  return {};
}

}  // namespace vexaro::updater
