// Feeds the engine loader replies made from the fuzz input: status reports,
// data reports and refusals in any order, against every operation that reads
// a reply. The clock runs so fast that every window passes at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "isp/engine.h"
#include "isp/isp_api.h"
#include "platform/hid/hid.h"
#include "platform/sim/sim_bus.h"
#include "platform/sys/sys.h"

namespace {

using namespace vexaro;

// Takes its replies from the input: each GET_REPORT and each write consumes
// a control byte and possibly 64 bytes of report.
class InputDevice final : public simbus::Device {
 public:
  InputDevice(const std::uint8_t* data, std::size_t size) : data_(data, data + size) {}
  int port = 0;

  bool OnOutputReport(int, std::size_t, const std::uint8_t*, std::size_t) override {
    const std::uint8_t control = Next();
    if (control == 0xFF) return false;
    for (int i = 0; i < control % 4; ++i) {
      std::uint8_t report[65] = {};
      Take(report + 1, 64);
      simbus::TheBus().PushInputReport(port, 0, report, sizeof report, 0);
    }
    return true;
  }

  bool OnGetInputReport(int, std::size_t, std::uint8_t* data, std::size_t length) override {
    const std::uint8_t control = Next();
    if ((control & 0x80) != 0) return false;
    std::memset(data + 1, 0, length - 1);
    Take(data + 1, std::min<std::size_t>(64, length - 1));
    if ((control & 0x40) != 0) {  // a probe-style single "F" now and then
      std::memset(data + 1, 0, length - 1);
      data[1] = 'F';
    }
    return true;
  }

 private:
  std::uint8_t Next() { return at_ < data_.size() ? data_[at_++] : 0x80; }
  void Take(std::uint8_t* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) out[i] = Next();
  }
  std::vector<std::uint8_t> data_;
  std::size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  hid::SelectBackend(hid::BackendKind::kSimulated);
  sys::SetClockScale(1e6);
  simbus::TheBus().Reset();
  isp::ResetEngine();
  auto device = std::make_shared<InputDevice>(data + 2, size - 2);
  simbus::DeviceDescriptor descriptor;
  descriptor.attributes = {0x04D9, 0x8010, 0x0100};
  hid::Caps caps;
  caps.inputReportByteLength = 65;
  caps.outputReportByteLength = 65;
  descriptor.collections = {caps};
  device->port = simbus::TheBus().NewPort();
  simbus::TheBus().Plug(device->port, descriptor, device);

  const std::uint8_t op = data[0];
  const std::uint32_t span = data[1];
  std::vector<std::uint8_t> buffer(span + 200, 0x5A);
  char text[16];
  std::int32_t length = 0;
  std::uint16_t value = 0;
  switch (op % 7) {
    case 0: ISP_GetInformation(data[1] % 10, text, &length); break;
    case 1: ISP_ReadData(0x1000, 0x1000 + span + 1, buffer.data()); break;
    case 2: ISP_WriteProgramB(0x1000, 0x1000 + span + 1, 1, buffer.data()); break;
    case 3: ISP_CRCCheck(0, 32, &value, buffer.data()); break;
    case 4: ISP_GetUserData(buffer.data(), static_cast<std::int32_t>(span)); break;
    case 5: ISP_ErasePage(0x1000, 0x13FF); break;
    default: ISP_GetUserResult(1); break;
  }
  ISP_GetTransProgress();
  isp::ResetEngine();
  simbus::TheBus().Reset();
  return 0;
}
