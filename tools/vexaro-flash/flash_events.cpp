#include "tools/vexaro-flash/flash_events.h"

#include <cstddef>

namespace vexaro::flash {
namespace {

// Longest line or string taken; vexaro-flash's events are far shorter.
constexpr std::size_t kMaxLine = 64 * 1024;
// Integers beyond this are no position or exit status.
constexpr long kMaxNumber = 1000000;

class EventReader {
 public:
  explicit EventReader(const std::string& line) : s_(line) {}

  bool Object(ChildEvent& event) {
    if (!Take('{')) return false;
    if (Take('}')) return AtEnd();
    do {
      std::string name;
      if (!String(name) || !Take(':') || !Member(name, event)) return false;
    } while (Take(','));
    return Take('}') && AtEnd();
  }

 private:
  bool Member(const std::string& name, ChildEvent& event) {
    if (Peek() == '"') {
      std::string value;
      if (!String(value)) return false;
      if (name == "event") event.event = value;
      else if (name == "text") event.text = value;
      else if (name == "port") event.port = value;
      return true;
    }
    if (Word("true")) {
      if (name == "success") event.success = true;
      return true;
    }
    if (Word("false")) {
      if (name == "success") event.success = false;
      return true;
    }
    long number = 0;
    if (!Integer(number)) return false;
    if (name == "position") event.position = static_cast<int>(number);
    else if (name == "exit") event.exit = static_cast<int>(number);
    return true;
  }

  bool String(std::string& out) {
    if (!Take('"')) return false;
    while (i_ < s_.size() && out.size() < kMaxLine) {
      const unsigned char c = static_cast<unsigned char>(s_[i_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') {
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        // The rest of a UTF-8 sequence belongs to the same '?'.
        while (c >= 0xC0 && i_ < s_.size() && (static_cast<unsigned char>(s_[i_]) & 0xC0) == 0x80) ++i_;
        continue;
      }
      if (!Escape(out)) return false;
    }
    return false;
  }

  bool Escape(std::string& out) {
    if (i_ >= s_.size()) return false;
    const char e = s_[i_++];
    switch (e) {
      case '"': case '\\': case '/': out.push_back(e); return true;
      case 'b': case 'f': case 'n': case 'r': case 't': out.push_back('?'); return true;
      case 'u': break;
      default: return false;
    }
    unsigned code = 0;
    for (int k = 0; k < 4; ++k) {
      if (i_ >= s_.size()) return false;
      const char h = s_[i_++];
      const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10
                        : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
      if (digit < 0) return false;
      code = code * 16 + static_cast<unsigned>(digit);
    }
    out.push_back(code >= 0x20 && code < 0x7F ? static_cast<char>(code) : '?');
    return true;
  }

  bool Integer(long& value) {
    const bool negative = Take('-');
    const std::size_t first = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') {
      value = value * 10 + (s_[i_++] - '0');
      if (value > kMaxNumber) return false;
    }
    if (negative) value = -value;
    return i_ > first;
  }

  bool Word(const char* word) {
    std::size_t k = 0;
    while (word[k] != '\0' && i_ + k < s_.size() && s_[i_ + k] == word[k]) ++k;
    if (word[k] != '\0') return false;
    i_ += k;
    return true;
  }

  char Peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  bool Take(char c) {
    if (Peek() != c) return false;
    ++i_;
    return true;
  }
  bool AtEnd() const { return i_ == s_.size(); }

  const std::string& s_;
  std::size_t i_ = 0;
};

}  // namespace

bool ParseChildEvent(const std::string& line, ChildEvent& event) {
  if (line.size() > kMaxLine) return false;
  ChildEvent parsed;
  if (!EventReader(line).Object(parsed) || parsed.event.empty()) return false;
  event = std::move(parsed);
  return true;
}

}  // namespace vexaro::flash
