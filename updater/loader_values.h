// Values about the keyboard's loader that more than one stage of the update
// uses: the longest version text of its version record, and the engine's
// restart request that reaches the loader with the key block.
#pragma once

#include <cstdint>

#include "isp/isp_api.h"

namespace vexaro::updater {

inline constexpr std::uint32_t kVersionTextMax = 128;
// The engine's own name (isp_api.h), under the name the worker knows it by.
inline constexpr std::int32_t kResetToLoaderKeyed = ISP_RESET_KEYED;

}  // namespace vexaro::updater
