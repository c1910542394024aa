// The skinned buttons' caption font settings: face name and height read from
// the section "GLOBAL" of "strings.xml" in the current working directory,
// through the process-wide settings document.
#pragma once

#include <string>
#include <string_view>

#include "xml/xml_document.h"

namespace vexaro::ui {

constexpr const char* kSettingsFileName = "strings.xml";
constexpr int kDefaultCaptionHeight = 14;
constexpr int kCaptionWeight = 500;

struct CaptionFont {
  std::string face;                     // empty: the system chooses a Swiss face
  int height = kDefaultCaptionHeight;   // logical units, as taken by CreateFont
  int weight = kCaptionWeight;
};

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
// process's life), then replaces the face and height of `font` with the
// values found there.
void ApplyCaptionFontSettings(CaptionFont& font);

}  // namespace vexaro::ui
