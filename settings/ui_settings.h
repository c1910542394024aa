// The program's settings file: "strings.xml" in the current working directory,
// read into the process-wide settings document. The application hands what it
// finds to the windows that use it (the skinned buttons' caption font).
#pragma once

#include <string>
#include <string_view>

#include "xml/xml_document.h"

namespace vexaro::settings {

constexpr const char* kSettingsFileName = "strings.xml";

// Text of the `key` element inside the `section` element below the root of
// `doc`, or "". When the key is missing, a `section` element nested in the
// one entered is searched in turn.
std::string ReadSetting(xml::XmlDocument& doc, std::string_view section, std::string_view key);
// The same on the settings document.
std::string ReadSetting(std::string_view section, std::string_view key);

// Decimal conversion as atoi does it: leading white space, optional sign,
// digits up to the first other character; 0 without digits. Values beyond
// the 32-bit range are clamped.
int ParseDecimal(std::string_view text);

// Loads "strings.xml" into the settings document while that is empty (a
// missing file is tried again next time; a read file is kept for the
// process's life), then replaces face and height with the values of
// "GLOBAL"/"FONT" and "GLOBAL"/"FONT_SIZE" found there; a missing value
// leaves its variable alone. User-interface thread only.
void ApplyCaptionFontSettings(std::string& face, int& height);

}  // namespace vexaro::settings
