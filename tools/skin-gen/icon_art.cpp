// The application icon: the logo mark (a blue keycap with a V on a dark
// plate) at every size, the plate included, so the small icons in task bars
// and window corners are the same picture as the large ones.
#include "tools/skin-gen/brand_art.h"
#include "tools/skin-gen/skin_art.h"

namespace vexaro::skin {

std::vector<int> IconSizes() { return {16, 24, 32, 48, 64, 256}; }

Canvas DrawIcon(int size) {
  Canvas canvas(size, size, Colour{0, 0, 0, 0});
  DrawLogoMark(canvas, 0, 0, size);
  return canvas;
}

}  // namespace vexaro::skin
