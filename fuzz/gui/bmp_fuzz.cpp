// Any bytes as a BMP file: DecodeBmp refuses them with a reason or returns an
// opaque bitmap whose rows were all in the data.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/gui/decoded_check.h"
#include "platform/gui/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro::gui;
  std::string error;
  HBITMAP bmp = DecodeBmp(data, size, &error);
  fuzz::CheckDecoded(bmp, error, 16384);
  if (!bmp) return 0;
  if (fuzz::MinimumPixelBytes(*bmp) > size) __builtin_trap();
  for (std::uint32_t px : bmp->pixels)
    if ((px >> 24) != 0xFF) __builtin_trap();  // plain bitmaps are opaque
  DeleteObject(bmp);
  return 0;
}
