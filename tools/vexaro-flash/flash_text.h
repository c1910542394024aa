// The texts vexaro-flash writes carry bytes from the package, the keyboard and
// the file system, any bytes at all: made here into UTF-8 JSON strings, and
// into lines that cannot steer the terminal they are shown on.
#pragma once

#include <string>

namespace vexaro::flash {

// A JSON string literal in UTF-8 for text in the system code page. Bytes
// that form no character there become U+FFFD; quotes and backslashes are
// escaped, and so are control characters (C0, DEL, C1) as \u00XX.
std::string JsonString(const std::string& text);

// text, still in the system code page, with every control character (C0,
// DEL, C1) shown as '?': an ESC or CSI can no longer start a terminal
// sequence, and a CR can no longer overwrite what came before it.
std::string ShownText(const std::string& text);

}  // namespace vexaro::flash
