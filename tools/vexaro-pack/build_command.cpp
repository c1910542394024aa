// vexaro-pack build: options → PackageContents → package file, written whole or
// not at all (package_output.cpp).
#include <cstdio>
#include <random>

#include "tools/vexaro-pack/commands.h"
#include "tools/vexaro-pack/option_values.h"
#include "tools/vexaro-pack/options.h"
#include "tools/vexaro-pack/package_output.h"
#include "tools/vexaro-pack/packer.h"
#include "tools/vexaro-pack/text_checks.h"
#include "tools/vexaro-pack/text_fit.h"

namespace vexaro::package {
namespace {

const CommandOptions kOptions = {
    {"internal", "external", "external-start", "ap-vid", "ap-pid", "ap-index", "iap-vid", "iap-pid",
     "iap-index", "version", "title", "company", "product", "digest", "crc-key", "crc-key-file", "key", "slot",
     "exe", "out"},
    {"internal", "external", "crc-key-file", "exe", "out"},
    {"force-version"},
    {"demo"}};

PackageKeyBytes RandomKey() {
  std::random_device device;
  PackageKeyBytes key;
  for (auto& b : key) b = static_cast<std::uint8_t>(device());
  return key;
}

// The options named in CheckPackageContents' sentences, with the files given.
struct OptionNames {
  explicit OptionNames(const Reader& r)
      : internal("--internal " + r.Get("internal").value_or("")),
        external("--external " + r.Get("external").value_or("")),
        crcKey(r.Get("crc-key-file") ? "--crc-key-file " + *r.Get("crc-key-file") : std::string("--crc-key")) {
    names = {"--version", "--title", "--company", "--product", "--ap-vid", "--ap-pid", "--ap-index",
             "--iap-vid", "--iap-pid", "--iap-index", crcKey.c_str(), internal.c_str(), external.c_str()};
  }
  OptionNames(const OptionNames&) = delete;
  OptionNames& operator=(const OptionNames&) = delete;
  std::string internal, external, crcKey;
  ContentsNames names;
};

PackageContents ContentsFromOptions(const Reader& r) {
  PackageContents s;
  s.internalImage = ReadInput("internal", "internal image", r.Required("internal"), kImageLimit);
  if (auto external = r.Get("external")) {
    s.externalImage = ReadInput("external", "external image", *external, kImageLimit);
    if (s.externalImage.empty()) throw Refusal{"--external " + *external + " is empty"};
    s.externalStart = r.HexOption("external-start", 8);
  } else if (r.Get("external-start")) {
    throw Refusal{"--external-start given without --external"};
  }
  s.apVendorId = r.HexOption("ap-vid", 4);
  s.apProductId = r.HexOption("ap-pid", 4);
  s.apInterfaceIndex = r.HexOption("ap-index", 3, 0);
  s.iapVendorId = r.HexOption("iap-vid", 4);
  s.iapProductId = r.HexOption("iap-pid", 4);
  s.iapInterfaceIndex = r.HexOption("iap-index", 3, 0);
  s.updateVersion = r.Required("version");
  s.windowTitle = r.Required("title");
  s.companyName = r.Required("company");
  s.productName = r.Required("product");
  RefuseControlCharacters(s);
  std::uint32_t digest = r.HexOption("digest", 4, 0);
  s.digestValue = {static_cast<std::uint8_t>(digest >> 8), static_cast<std::uint8_t>(digest)};
  if (r.Get("crc-key") && r.Get("crc-key-file")) throw Refusal{"give --crc-key or --crc-key-file, not both"};
  if (auto hex = r.Get("crc-key")) s.crcKey = r.HexBytes("crc-key", *hex);
  if (auto file = r.Get("crc-key-file")) s.crcKey = ReadInput("crc-key-file", "checksum key block", *file, kCrcKeyLimit);
  if (auto key = r.Get("key")) {
    std::uint32_t k = r.Hex("key", *key, 8);
    s.key = {static_cast<std::uint8_t>(k >> 24), static_cast<std::uint8_t>(k >> 16),
             static_cast<std::uint8_t>(k >> 8), static_cast<std::uint8_t>(k)};
  } else {
    s.key = RandomKey();
  }
  std::string slot = r.Get("slot").value_or("2");
  if (slot != "1" && slot != "2") throw Refusal{"--slot must be 1 or 2, not \"" + slot + "\""};
  s.slot = slot == "1" ? KeySlot::One : KeySlot::Two;
  s.fillerSeed = static_cast<std::uint32_t>(s.key[0] | s.key[1] << 8 | s.key[2] << 16) ^ 0x5EEDu;
  if (auto problem = CheckPackageContents(s, OptionNames(r).names); !problem.empty()) throw Refusal{problem};
  return s;
}

// The loader programs whole 4-byte words; an external image that starts
// between words is programmed from there, which a producer rarely means.
void WarnAboutUnalignedStart(const Reader& r, const PackageContents& contents) {
  if (contents.externalImage.empty() || contents.externalStart % 4 == 0) return;
  const std::uint64_t end =
      ((std::uint64_t{contents.externalStart} + contents.externalImage.size() + 3) & ~std::uint64_t{3}) - 1;
  std::fprintf(stderr,
               "vexaro-pack build: warning: --external-start %s is not a multiple of 4; the keyboard is "
               "programmed in whole 4-byte words over 0x%08X..0x%08jX\n",
               r.Get("external-start")->c_str(), contents.externalStart, static_cast<std::uintmax_t>(end));
}

}  // namespace

void PrintBuildUsage(std::FILE* to) {
  std::fputs(
      "usage: vexaro-pack build [--config FILE] --internal FILE [--external FILE --external-start HEX]\n"
      "                         --ap-vid HEX --ap-pid HEX [--ap-index HEX]\n"
      "                         --iap-vid HEX --iap-pid HEX [--iap-index HEX]\n"
      "                         --version TEXT --title TEXT --company TEXT --product TEXT\n"
      "                         [--digest HEX4] [--crc-key HEX | --crc-key-file FILE]\n"
      "                         [--key HEX8] [--slot 1|2] [--exe FILE] [--force-version] [--demo] --out FILE\n"
      "  Each option once; an options file (--config) holds \"name = value\" lines, and the\n"
      "  command line wins over it. --demo (\"demo = yes\" in the file) marks a demo package,\n"
      "  which the updater installs only on the simulated keyboard.\n"
      "  Exit 0 written, 1 refused (nothing written), 2 wrong usage.\n",
      to);
}

int BuildCommand(const std::vector<std::string>& args) {
  Options options;
  const OptionsFault fault = ParseOptions(args, kOptions, options);
  if (options.help) {
    PrintBuildUsage(stdout);
    return 0;
  }
  if (!fault.message.empty()) {
    std::fprintf(stderr, "vexaro-pack build: %s%s\n", fault.message.c_str(), fault.usage ? "" : "; no package written");
    return fault.usage ? 2 : 1;
  }
  if (!options.positional.empty()) {
    std::fprintf(stderr, "vexaro-pack build: unexpected argument \"%s\"\n", options.positional[0].c_str());
    return 2;
  }
  try {
    Reader reader(options);
    RefuseOutputOverInput(reader, options.configPath);
    PackageContents contents = ContentsFromOptions(reader);
    CheckVersionText(contents, options.flags.contains("force-version"));
    contents.demoMark = options.flags.contains("demo");
    WarnAboutUnalignedStart(reader, contents);
    WarnAboutNonAsciiTexts(contents);
    for (const std::string& warning : TextFitWarnings(contents)) {
      std::fprintf(stderr, "vexaro-pack build: warning: %s\n", warning.c_str());
    }
    const std::string out = reader.Required("out");
    const auto exe = reader.Get("exe");
    sys::InputFile program;
    if (exe) OpenInput(program, "exe", "program file", *exe, kProgramLimit);
    const auto package = BuildPackage(contents);
    WritePackageFile(out, exe ? &program : nullptr, package);
    std::printf("wrote %s: %ju program bytes and a %zu-byte %spackage (key slot %d)\n", out.c_str(),
                static_cast<std::uintmax_t>(program.Size()), package.size(), contents.demoMark ? "demo " : "",
                static_cast<int>(contents.slot));
    return 0;
  } catch (const Refusal& refusal) {
    std::fprintf(stderr, "vexaro-pack build: %s; no package written\n", refusal.message.c_str());
    return 1;
  }
}

}  // namespace vexaro::package
