// Parse throughput (MB/s) and the memory a parsed document holds, for
// XmlDocument, pugixml, tinyxml2 and expat, on generated documents of two
// kinds (markup-heavy and text-heavy) at 1 MB and 50 MB.
#include <benchmark/benchmark.h>
#include <expat.h>
#include <malloc.h>

#include <map>
#include <memory>
#include <pugixml.hpp>
#include <random>
#include <string>
#include <tinyxml2.h>

#include "platform/sys/codepage.h"
#include "xml/xml_document.h"

namespace {

enum Kind { kMarkup = 0, kText = 1 };

// Many small elements with attributes, or few elements holding long text.
std::string Generate(Kind kind, std::size_t bytes) {
  std::mt19937 rng(42);
  std::string out = "<?xml version=\"1.0\"?>\n<root>\n";
  out.reserve(bytes + 4096);
  static const char words[] = "lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod ";
  for (int n = 0; out.size() < bytes; ++n) {
    if (kind == kMarkup) {
      out += "  <item id=\"" + std::to_string(n) + "\" kind='k" + std::to_string(rng() % 8) + "'>";
      out += "<name>n" + std::to_string(rng() % 1000) + "</name><flag/><value unit=\"mm\">" +
             std::to_string(rng() % 100000) + "</value></item>\n";
    } else {
      out += "  <paragraph>";
      for (int w = 0; w < 200; ++w) out.append(words + (rng() % 60), 6);
      out += " &amp; more</paragraph>\n";
    }
  }
  out += "</root>\n";
  return out;
}

const std::string& Document(Kind kind, std::size_t megabytes) {
  static std::map<std::pair<int, std::size_t>, std::string> cache;
  auto& text = cache[{kind, megabytes}];
  if (text.empty()) text = Generate(kind, megabytes << 20);
  return text;
}

// Heap bytes in use (glibc), for the memory a parsed document holds.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void Report(benchmark::State& state, const std::string& text, std::size_t held, std::size_t elements) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["held_MB"] = static_cast<double>(held) / (1 << 20);
  state.counters["B_per_element"] = elements == 0 ? 0.0 : static_cast<double>(held) / static_cast<double>(elements);
  state.counters["elements"] = static_cast<double>(elements);
}

void BM_XmlDocument(benchmark::State& state) {
  vexaro::sys::OverrideSystemCodePage(65001);
  const std::string& text = Document(static_cast<Kind>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  for (auto _ : state) {
    vexaro::xml::XmlDocument doc;
    benchmark::DoNotOptimize(doc.SetText(text));
  }
  // Memory is measured once, outside the timed runs.
  const std::size_t before = HeapInUse();
  auto doc = std::make_unique<vexaro::xml::XmlDocument>();
  doc->SetText(text);
  Report(state, text, HeapInUse() - before, static_cast<std::size_t>(doc->RecordCount() - 1));
}

void BM_Pugixml(benchmark::State& state) {
  const std::string& text = Document(static_cast<Kind>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  for (auto _ : state) {
    pugi::xml_document doc;
    benchmark::DoNotOptimize(doc.load_buffer(text.data(), text.size()));
  }
  const std::size_t before = HeapInUse();
  auto doc = std::make_unique<pugi::xml_document>();
  doc->load_buffer(text.data(), text.size());
  const std::size_t held = HeapInUse() - before;
  Report(state, text, held, doc->select_nodes("//*").size());
}

void BM_Tinyxml2(benchmark::State& state) {
  const std::string& text = Document(static_cast<Kind>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  for (auto _ : state) {
    tinyxml2::XMLDocument doc;
    benchmark::DoNotOptimize(doc.Parse(text.data(), text.size()));
  }
  const std::size_t before = HeapInUse();
  auto doc = std::make_unique<tinyxml2::XMLDocument>();
  doc->Parse(text.data(), text.size());
  const std::size_t held = HeapInUse() - before;
  struct Counter : tinyxml2::XMLVisitor {
    std::size_t count = 0;
    bool VisitEnter(const tinyxml2::XMLElement&, const tinyxml2::XMLAttribute*) override { return ++count, true; }
  } counter;
  doc->Accept(&counter);
  Report(state, text, held, counter.count);
}

// Expat builds no document: "held" is the parser's own memory at the end.
std::size_t ParseWithExpat(const std::string& text, bool measure) {
  const std::size_t before = measure ? HeapInUse() : 0;
  XML_Parser parser = XML_ParserCreate(nullptr);
  std::size_t elements = 0;
  XML_SetUserData(parser, &elements);
  XML_SetStartElementHandler(parser, [](void* count, const XML_Char*, const XML_Char**) {
    ++*static_cast<std::size_t*>(count);
  });
  XML_SetCharacterDataHandler(parser, [](void*, const XML_Char*, int) {});
  benchmark::DoNotOptimize(XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1));
  const std::size_t held = measure ? HeapInUse() - before : 0;
  XML_ParserFree(parser);
  return measure ? held : elements;
}

void BM_Expat(benchmark::State& state) {
  const std::string& text = Document(static_cast<Kind>(state.range(0)), static_cast<std::size_t>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(ParseWithExpat(text, false));
  Report(state, text, ParseWithExpat(text, true), ParseWithExpat(text, false));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int kind : {kMarkup, kText}) {
    b->Args({kind, 1});
    b->Args({kind, 50});
  }
  b->ArgNames({"text_heavy", "MB"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_XmlDocument)->Apply(Sizes);
BENCHMARK(BM_Pugixml)->Apply(Sizes);
BENCHMARK(BM_Tinyxml2)->Apply(Sizes);
BENCHMARK(BM_Expat)->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
