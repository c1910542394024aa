// Line symbols of the result badges, each centred on a
// point and scaled by a unit length so one drawing serves every size.
#pragma once

#include "tools/skin-gen/shapes.h"

namespace vexaro::skin {

Shape CheckGlyph(double cx, double cy, double unit);
Shape CrossGlyph(double cx, double cy, double unit);
Shape ExclamationGlyph(double cx, double cy, double unit);

}  // namespace vexaro::skin
