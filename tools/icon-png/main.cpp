// icon-png: writes every image of an .ico file as a PNG in the freedesktop
// icon theme layout, <out dir>/<N>x<N>/apps/<name>.png, so that the package
// installs the program's own icon (res/skin) in the hicolor sizes. Decoding
// is the window framework's (DecodeIco), writing the headless display's PNG
// writer; the .ico stays the one source of the picture.
//   icon-png <file.ico> <out dir> <name>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/gui/resources.h"
#include "platform/headless/headless.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr std::size_t kIcoHeaderSize = 6;
constexpr std::size_t kIcoEntrySize = 16;
constexpr std::uint32_t kLargestIcon = 256;  // stored as 0 in the directory

std::uint32_t Le(const unsigned char* p, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

void PutLe(Bytes& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A one-image .ico holding directory entry `index` of `ico`, so that the
// framework's decoder, which picks one image per file, sees exactly this one.
bool SingleImageIco(const Bytes& ico, std::size_t index, Bytes& out, std::string& error) {
  const unsigned char* entry = ico.data() + kIcoHeaderSize + index * kIcoEntrySize;
  const std::uint32_t bytes = Le(entry + 8, 4), offset = Le(entry + 12, 4);
  if (offset > ico.size() || bytes > ico.size() - offset) {
    error = "image " + std::to_string(index) + " lies outside the file";
    return false;
  }
  out.assign(ico.begin(), ico.begin() + kIcoHeaderSize);
  out[4] = 1;
  out[5] = 0;
  out.insert(out.end(), entry, entry + 12);
  PutLe(out, static_cast<std::uint32_t>(kIcoHeaderSize + kIcoEntrySize), 4);
  out.insert(out.end(), ico.begin() + offset, ico.begin() + offset + bytes);
  return true;
}

bool WriteImage(const Bytes& ico, std::size_t index, const std::filesystem::path& outDir, const std::string& name,
                std::string& error) {
  const unsigned char* entry = ico.data() + kIcoHeaderSize + index * kIcoEntrySize;
  const std::uint32_t side = entry[0] ? entry[0] : kLargestIcon;
  Bytes single;
  if (!SingleImageIco(ico, index, single, error)) return false;
  std::unique_ptr<vexaro::gui::Bitmap> icon(vexaro::gui::DecodeIco(single.data(), single.size(), &error));
  if (!icon) return false;
  if (icon->width != static_cast<int>(side) || icon->height != static_cast<int>(side)) {
    error = "image " + std::to_string(index) + " is not the size its directory entry says";
    return false;
  }
  const std::string size = std::to_string(side) + "x" + std::to_string(side);
  const std::filesystem::path dir = outDir / size / "apps";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = dir.string() + ": " + ec.message();
    return false;
  }
  return vexaro::gui::headless::SavePng(*icon, (dir / (name + ".png")).string(), &error);
}

bool Convert(const std::string& icoPath, const std::filesystem::path& outDir, const std::string& name,
             std::string& error) {
  std::ifstream in(icoPath, std::ios::binary);
  if (!in) {
    error = icoPath + ": cannot be read";
    return false;
  }
  const Bytes ico((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (ico.size() < kIcoHeaderSize || Le(ico.data(), 2) != 0 || Le(ico.data() + 2, 2) != 1) {
    error = icoPath + ": not an .ico file";
    return false;
  }
  const std::size_t count = Le(ico.data() + 4, 2);
  if (count == 0 || kIcoHeaderSize + count * kIcoEntrySize > ico.size()) {
    error = icoPath + ": icon directory exceeds the file";
    return false;
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!WriteImage(ico, i, outDir, name, error)) {
      error = icoPath + ": " + error;
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: icon-png <file.ico> <out dir> <name>\n");
    return 2;
  }
  std::string error;
  if (!Convert(argv[1], argv[2], argv[3], error)) {
    std::fprintf(stderr, "icon-png: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
