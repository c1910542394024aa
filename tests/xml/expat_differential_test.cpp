// Differential test: for generated well-formed documents, the element names,
// nesting and texts found through XmlDocument equal what expat reports.
#include <expat.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

namespace vexaro::xml {
namespace {

struct Element {
  std::string name;
  int parent = 0;  // ordinal of the parent element (1-based), 0 for the root
  int depth = 0;
  bool hasChildren = false;
  std::string text;
};

// What expat sees: elements in start-tag order with their text.
class ExpatView {
 public:
  bool Parse(const std::string& text) {
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &ExpatView::Start, &ExpatView::End);
    XML_SetCharacterDataHandler(parser, &ExpatView::Characters);
    const bool ok = XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return ok;
  }
  std::vector<Element> elements;

 private:
  static void Start(void* self, const XML_Char* name, const XML_Char**) {
    auto& view = *static_cast<ExpatView*>(self);
    Element e;
    e.name = name;
    e.parent = view.open_.empty() ? 0 : view.open_.back();
    e.depth = static_cast<int>(view.open_.size());
    if (e.parent != 0) view.elements[static_cast<std::size_t>(e.parent - 1)].hasChildren = true;
    view.elements.push_back(e);
    view.open_.push_back(static_cast<int>(view.elements.size()));
  }
  static void End(void* self, const XML_Char*) { static_cast<ExpatView*>(self)->open_.pop_back(); }
  static void Characters(void* self, const XML_Char* s, int len) {
    auto& view = *static_cast<ExpatView*>(self);
    if (!view.open_.empty()) view.elements[static_cast<std::size_t>(view.open_.back() - 1)].text.append(s, static_cast<std::size_t>(len));
  }
  std::vector<int> open_;
};

// Random well-formed documents in UTF-8 with the markup the reader must
// skip or unwrap: declarations, comments, processing instructions, CDATA,
// references, attributes holding '>' and '/', every empty-element form.
class DocumentGenerator {
 public:
  explicit DocumentGenerator(unsigned seed) : rng_(seed) {}

  std::string Document() {
    std::string out;
    // Past the short-string buffer from the start: GCC 12 at -O2 otherwise
    // reports a false out-of-bounds copy for the first append once this is
    // inlined into the test.
    out.reserve(4096);
    if (Chance(2)) out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    if (Chance(3)) out += "<!-- prolog -->\n";
    if (Chance(3)) out += "<!DOCTYPE root SYSTEM \"x.dtd\">\n";
    Element(out, 0);
    if (Chance(3)) out += "\n<!-- epilog --><?done?>";
    return out;
  }

 private:
  bool Chance(int oneIn) { return Pick(oneIn) == 0; }
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

  std::string Name() {
    static const char first[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
    static const char rest[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.-";
    std::string name(1, first[Pick(sizeof first - 1)]);
    for (int n = Pick(8); n > 0; --n) name += rest[Pick(sizeof rest - 1)];
    return name;
  }

  std::string Attributes() {
    std::string out;
    for (int n = Pick(3); n > 0; --n) {
      const char quote = Chance(2) ? '"' : '\'';
      out += std::string(1 + Pick(2), ' ') + Name() + (Chance(3) ? " = " : "=") + quote;
      out += Chance(2) ? "a>b/c" : "&amp;x";
      out += quote;
    }
    return out;
  }

  // A text piece that neither starts nor ends with white space.
  std::string Text() {
    static const char chars[] = "abcXYZ019 .,;:!?()[]{}=+-*/'\">\t\n";
    std::string out(1, 'a' + static_cast<char>(Pick(26)));
    for (int n = Pick(12); n > 0; --n) {
      switch (Pick(12)) {
        case 0: out += "&lt;"; break;
        case 1: out += "&amp;"; break;
        case 2: out += "&gt;&quot;&apos;"; break;
        case 3: out += "&#" + std::to_string(0x20 + Pick(0x5F)) + ";"; break;
        case 4: out += "&#x" + ToHex(Codepoint()) + ";"; break;
        case 5: out += "\xC3\xA9\xE2\x82\xAC"; break;
        default: out += chars[Pick(sizeof chars - 1)];
      }
    }
    return out + static_cast<char>('a' + Pick(26));
  }

  std::uint32_t Codepoint() {
    switch (Pick(3)) {
      case 0: return static_cast<std::uint32_t>(0xA0 + Pick(0x2F00));
      case 1: return static_cast<std::uint32_t>(0xE000 + Pick(0x1000));
      default: return static_cast<std::uint32_t>(0x10000 + Pick(0x10000));
    }
  }
  static std::string ToHex(std::uint32_t v) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    do out.insert(out.begin(), digits[v % 16]), v /= 16;
    while (v != 0);
    return out;
  }

  void LeafContent(std::string& out) {
    for (int n = Pick(4); n > 0; --n) {
      switch (Pick(5)) {
        case 0: out += "<![CDATA[" + std::string("<x> & ]") + Text() + "]]>"; break;
        case 1: out += "<!--" + std::string(Chance(2) ? " c > d " : "x") + "-->"; break;
        case 2: out += "<?pi " + Name() + "?>"; break;
        default: out += Text();
      }
    }
  }

  void Element(std::string& out, int depth) {
    const std::string name = Name();
    out += "<" + name + Attributes();
    if (Chance(5)) {
      static const char* const ends[] = {"/>", " />", "\t/>"};
      out += ends[Pick(3)];
      return;
    }
    out += ">";
    if (depth < 5 && Chance(2)) {
      for (int n = 1 + Pick(4); n > 0; --n) {
        if (Chance(2)) out += std::string(Pick(3), ' ') + "\n";
        if (Chance(4)) out += "<!-- between -->";
        Element(out, depth + 1);
      }
    } else {
      LeafContent(out);
    }
    out += "</" + name + (Chance(4) ? " >" : ">");
  }

  std::mt19937 rng_;
};

TEST(ExpatDifferentialTest, ElementsNestingAndTextAgree) {
  sys::OverrideSystemCodePage(65001);
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const std::string text = DocumentGenerator(seed).Document();
    ExpatView expat;
    ASSERT_TRUE(expat.Parse(text)) << "generator made a bad document, seed " << seed << ":\n" << text;
    XmlDocument doc;
    ASSERT_TRUE(doc.SetText(text)) << doc.ResultText() << "\nseed " << seed << ":\n" << text;
    ASSERT_EQ(doc.RecordCount() - 1, static_cast<std::int32_t>(expat.elements.size())) << text;
    for (std::int32_t i = 1; i < doc.RecordCount(); ++i) {
      const Element& e = expat.elements[static_cast<std::size_t>(i - 1)];
      const ElementRecord& record = doc.Record(i);
      ASSERT_EQ(doc.ElementName(i), e.name) << "seed " << seed << " element " << i;
      ASSERT_EQ(record.parent, e.parent) << "seed " << seed << " element " << i;
      ASSERT_EQ(static_cast<int>(record.Level()), e.depth) << "seed " << seed << " element " << i;
      ASSERT_EQ(record.firstChild != 0, e.hasChildren) << "seed " << seed << " element " << i;
      if (!e.hasChildren) {
        ASSERT_EQ(doc.ElementText(i), e.text) << "seed " << seed << " element " << i << ":\n" << text;
      }
    }
  }
  sys::OverrideSystemCodePage(0);
}

}  // namespace
}  // namespace vexaro::xml
