// Any bytes as an ICO file: DecodeIco refuses them with a reason or returns
// an image with transparency from its alpha channel or mask (BMP images) or
// from the PNG image it holds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/gui/decoded_check.h"
#include "platform/gui/resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexaro::gui;
  std::string error;
  HICON icon = DecodeIco(data, size, &error);
  fuzz::CheckDecoded(icon, error, 16384);
  if (!icon) return 0;
  if (!icon->hasAlpha) __builtin_trap();
  // Rows of BMP images were in the file; PNG images are compressed.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.find("\x89PNG") == std::string_view::npos && fuzz::MinimumPixelBytes(*icon) > size)
    __builtin_trap();
  DeleteObject(icon);
  return 0;
}
