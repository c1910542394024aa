// Shared helpers for the package tests: temporary files and packages made
// with the producer's own code.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "package/package.h"
#include "tools/vexaro-pack/packer.h"

namespace vexaro::test {

class TempDir {
 public:
  TempDir() {
    std::random_device device;
    path_ = std::filesystem::temp_directory_path() /
            ("vexaro-test-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<std::uint8_t> RandomBytes(std::mt19937& random, std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

inline package::PackageContents SampleContents() {
  package::PackageContents s;
  s.internalImage = {0x10, 0x20, 0x30, 0x40, 0x50};
  s.apVendorId = 0x3C9A;
  s.apProductId = 0x0A21;
  s.iapVendorId = 0x3C9A;
  s.iapProductId = 0x1A21;
  s.iapInterfaceIndex = 1;
  s.updateVersion = "2U.1.05";
  s.windowTitle = "Title";
  s.companyName = "Company";
  s.productName = "Product";
  s.digestValue = {0x5A, 0xC3};
  s.crcKey = {1, 2, 3, 4, 5, 6, 7, 8};
  s.key = {0x5D, 0x2E, 0x7A, 0x19};
  return s;
}

}  // namespace vexaro::test
