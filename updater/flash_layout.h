// Where an update writes on the keyboard's flash, and whether the package's
// external image may go where it asks to: checked once the loader has told
// its flash size and areas, before anything is erased or written.
#pragma once

#include <cstdint>
#include <string>

#include "updater/controller.h"

namespace vexaro::updater {

// The loader erases whole pages; the family's largest page is 1 KiB, so a
// range is kept clear of every page it touches at that size.
inline constexpr std::uint32_t kFlashPageBytes = 1024;

// Empty when the external image [start, start + length rounded to words)
// lies inside the flash and clear of the pages that the update erases and
// writes for the version record and the internal image; otherwise why not.
// A length of 0 (no external image) is always fine.
std::string ExternalImageProblem(const LoaderInfo& loader, std::uint32_t internalLength, std::uint32_t start,
                                 std::uint32_t length);

}  // namespace vexaro::updater
