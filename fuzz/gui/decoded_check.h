// What every bitmap the decoders return must satisfy, whatever the input: a
// size within the decoders' limits, one pixel per point, and a reason for
// every refusal.
#pragma once

#include <cstddef>
#include <string>

#include "platform/gui/gdi.h"

namespace vexaro::gui::fuzz {

inline void CheckDecoded(const Bitmap* bmp, const std::string& error, int max_side) {
  if (!bmp) {
    if (error.empty()) __builtin_trap();  // refused without saying why
    return;
  }
  if (bmp->width <= 0 || bmp->height <= 0 || bmp->width > max_side || bmp->height > max_side) __builtin_trap();
  if (bmp->pixels.size() != static_cast<std::size_t>(bmp->width) * static_cast<std::size_t>(bmp->height))
    __builtin_trap();
}

// Even at one bit a pixel the rows of a w x h image take this many bytes, so
// a file shorter than that cannot have held it.
inline std::size_t MinimumPixelBytes(const Bitmap& bmp) {
  return ((static_cast<std::size_t>(bmp.width) + 31) / 32) * 4 * static_cast<std::size_t>(bmp.height);
}

}  // namespace vexaro::gui::fuzz
