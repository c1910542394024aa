// Character and entity references in element text: "&#65;", "&#x41;" and the
// named character entities of HTML 4.01 plus "apos", decoded into the system
// code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/codepage.h"

namespace vexaro::xml {

// The code point of a named entity (exact letter case), 0 when unknown.
std::uint32_t LookupEntity(std::string_view name);

// Copies `text`, replacing every complete, known reference whose character
// the system code page can show; everything else stays as written. The
// result is never longer than the input. `leadBytes` (default: those of the
// system code page) marks the multibyte characters copied whole.
std::string DecodeEntities(std::string_view text);
std::string DecodeEntities(std::string_view text, const sys::LeadByteTable* leadBytes);

}  // namespace vexaro::xml
