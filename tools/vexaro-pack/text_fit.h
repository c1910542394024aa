// Whether the package's texts fit where the updater window paints them. The
// window draws them in the system's bold sans-serif face at a 15-pixel
// cell; which face that is depends on the computer that shows the window,
// which the pack tool cannot know, so it counts each character at least as
// wide as the widest of the usual faces draws it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/vexaro-pack/packer.h"

namespace vexaro::package {

// Pixels the window needs for text at most, rounded up per character: the
// widths of DejaVu Sans Bold (the Linux default) and Arial Bold (Windows) at
// that size, whichever is wider, by classes of characters. Each byte above
// 0x7F counts as a character as wide as the widest class (in a single-byte
// code page it is one).
int EstimatedTextWidth(std::string_view text);

// One sentence per text that will not fit, naming the option, the text,
// its estimated width and the room the window has for it.
std::vector<std::string> TextFitWarnings(const PackageContents& contents);

}  // namespace vexaro::package
