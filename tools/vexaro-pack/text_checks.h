// The package's texts as the keyboard and the updater will treat them:
// control characters and unreadable version texts refused, texts that look
// different on other computers warned about.
#pragma once

#include "tools/vexaro-pack/packer.h"

namespace vexaro::package {

// Throws a Refusal naming the option of a text that holds a control character.
void RefuseControlCharacters(const PackageContents& contents);

// Throws a Refusal for a version text the keyboard cannot report back, or
// with `force` only warns that the keyboard will refuse later packages.
void CheckVersionText(const PackageContents& contents, bool force);

// Warns about texts with characters outside ASCII.
void WarnAboutNonAsciiTexts(const PackageContents& contents);

}  // namespace vexaro::package
