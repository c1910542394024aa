// demo-firmware: writes the demo internal and external images.
#include <cstdio>
#include <fstream>

#include "sim/demo_firmware.h"

namespace {

bool Write(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) std::fprintf(stderr, "demo-firmware: cannot write %s\n", path);
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: demo-firmware VERSION INTERNAL-OUT EXTERNAL-OUT\n");
    return 2;
  }
  bool ok = Write(argv[2], vexaro::sim::DemoInternalImage(argv[1])) &&
            Write(argv[3], vexaro::sim::DemoExternalImage());
  return ok ? 0 : 1;
}
