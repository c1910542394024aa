// Reading build option values: numbers, byte strings and input files.
#include "tools/vexaro-pack/option_values.h"

#include "package/package.h"

namespace vexaro::package {
namespace {

constexpr const char* kHexDigits = "0123456789abcdefABCDEF";

}  // namespace

std::optional<std::string> Reader::Get(const std::string& name) const {
  auto it = options_.values.find(name);
  if (it == options_.values.end()) return std::nullopt;
  return it->second;
}

std::string Reader::Required(const std::string& name) const {
  auto v = Get(name);
  if (!v) throw Refusal{"missing option --" + name};
  return *v;
}

std::uint32_t Reader::Hex(const std::string& name, const std::string& text, std::size_t maxDigits) const {
  std::string digits = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0 ? text.substr(2) : text;
  bool hex = !digits.empty() && digits.find_first_not_of(kHexDigits) == std::string::npos;
  if (!hex) throw Refusal{"--" + name + " \"" + text + "\" is not a hexadecimal number"};
  auto first = digits.find_first_not_of('0');
  std::size_t significant = first == std::string::npos ? 0 : digits.size() - first;
  if (significant > maxDigits) {
    throw Refusal{"--" + name + " \"" + text + "\" does not fit its field (" + std::to_string(maxDigits) +
                  " hexadecimal digits at most)"};
  }
  return ParseHexText(digits);
}

std::uint32_t Reader::HexOption(const std::string& name, std::size_t maxDigits,
                                std::optional<std::uint32_t> fallback) const {
  auto v = Get(name);
  if (!v) {
    if (fallback) return *fallback;
    throw Refusal{"missing option --" + name};
  }
  return Hex(name, *v, maxDigits);
}

std::vector<std::uint8_t> Reader::HexBytes(const std::string& name, const std::string& text) const {
  if (text.size() % 2 != 0 || text.find_first_not_of(kHexDigits) != std::string::npos) {
    throw Refusal{"--" + name + " must be an even number of hexadecimal digits"};
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(ParseHexText(std::string_view(text).substr(i, 2))));
  }
  return bytes;
}

void OpenInput(sys::InputFile& file, const std::string& option, const std::string& what, const std::string& path,
               InputLimit limit) {
  const std::string named = "--" + option + " " + path;
  if (const sys::FileProblem problem = file.Open(path); problem != sys::FileProblem::None) {
    throw Refusal{named + ": cannot read the " + what + " (" + sys::FileProblemText(problem) + ")"};
  }
  if (file.Size() > limit.bytes) {
    throw Refusal{named + " is " + std::to_string(file.Size()) + " bytes long; " + limit.why};
  }
}

std::vector<std::uint8_t> ReadInput(const std::string& option, const std::string& what, const std::string& path,
                                    InputLimit limit) {
  sys::InputFile file;
  OpenInput(file, option, what, path, limit);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.Size()));
  if (!file.ReadAt(0, bytes)) {
    throw Refusal{"--" + option + " " + path + ": cannot read the " + what + " (the read failed or came up short)"};
  }
  return bytes;
}

}  // namespace vexaro::package
