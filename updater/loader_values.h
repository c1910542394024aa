// Values about the keyboard's loader that more than one stage of the update
// uses: the longest version text of its version record, and the argument of
// the engine's restart request that reaches the loader with the key block.
#pragma once

#include <cstdint>

namespace vexaro::updater {

inline constexpr std::uint32_t kVersionTextMax = 128;
inline constexpr std::int32_t kResetToLoaderKeyed = 1;

}  // namespace vexaro::updater
