// Checks of the four texts of a package.
#include "tools/vexaro-pack/text_checks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/sys/codepage.h"
#include "tools/vexaro-pack/option_values.h"

namespace vexaro::package {
namespace {

using NamedText = std::pair<const char*, const std::string*>;

std::array<NamedText, 4> Texts(const PackageContents& contents) {
  return {NamedText{"--version", &contents.updateVersion}, NamedText{"--title", &contents.windowTitle},
          NamedText{"--company", &contents.companyName}, NamedText{"--product", &contents.productName}};
}

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

// A line break or an escape sequence in a window title or a log line is at
// best a broken layout and at worst a terminal taking orders from a package.
void RefuseControlCharacters(const PackageContents& contents) {
  for (auto [option, text] : Texts(contents)) {
    const auto at = std::find_if(text->begin(), text->end(), IsControl);
    if (at == text->end()) continue;
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(*at));
    throw Refusal{std::string(option) + " holds the control character " + code + " at byte " +
                  std::to_string(at - text->begin()) + "; texts may hold none"};
  }
}

void CheckVersionText(const PackageContents& contents, bool force) {
  // The updater installs a version whose mark is no digit (its own rules
  // allow "1.3"), but a producer should not make one: the keyboard could not
  // tell its layout from it any more.
  std::string problem = VersionTextProblem(contents.updateVersion);
  if (problem.empty()) problem = LayoutMarkProblem(contents.updateVersion);
  if (problem.empty()) return;
  const std::string named = "--version \"" + contents.updateVersion + "\" " + problem;
  if (!force) {
    throw Refusal{named + "; a keyboard updated with it would refuse every later package as one of another "
                          "layout (--force-version builds it all the same)"};
  }
  std::fprintf(stderr,
               "vexaro-pack build: warning: %s; built as --force-version asks, but a keyboard updated with this "
               "package will refuse every later package as one of another layout\n",
               named.c_str());
}

// Texts are stored as bytes and shown by the updater in the system code page
// of the computer it runs on; only ASCII looks the same everywhere.
void WarnAboutNonAsciiTexts(const PackageContents& contents) {
  for (auto [option, text] : Texts(contents)) {
    if (std::none_of(text->begin(), text->end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
      continue;
    }
    std::fprintf(stderr,
                 "vexaro-pack build: warning: %s holds non-ASCII characters; the updater shows its texts in "
                 "the system code page of the computer it runs on (on Windows its ANSI code page, such as "
                 "1252; on Linux UTF-8, code page 65001; here code page %u), and they appear as written "
                 "only where that is the code page they were written in\n",
                 option, sys::SystemCodePage());
  }
}

}  // namespace vexaro::package
