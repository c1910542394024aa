// Values about the keyboard's loader that more than one stage of the update
// uses: the longest version text of its version record.
#pragma once

#include <cstdint>

namespace vexaro::updater {

inline constexpr std::uint32_t kVersionTextMax = 128;

}  // namespace vexaro::updater
