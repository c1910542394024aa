// The engine's single state record and the key block setter.
#include <atomic>
#include <cstring>

#include "isp/engine.h"
#include "isp/isp_api.h"

namespace vexaro::isp {

IspEngine& Engine() {
  static IspEngine engine;
  return engine;
}

namespace {
// Apart from IspEngine: the one field another thread may write while a
// transfer runs.
std::atomic<bool> transferStop{false};
}  // namespace

void RequestTransferStop(bool stop) { transferStop.store(stop); }

bool TransferStopRequested() { return transferStop.load(); }

void ResetEngine() {
  IspEngine& e = Engine();
  for (hid::Handle h : {e.readHandle, e.writeHandle, e.queryHandle}) {
    if (h != hid::kInvalidHandle) hid::Close(h);
  }
  e = IspEngine{};
  transferStop.store(false);
}

}  // namespace vexaro::isp

extern "C" int32_t ISP_SetCrcKey(const uint8_t* key, uint16_t length) {
  using namespace vexaro::isp;
  if (key == nullptr || length > kCrcKeySize) return ISP_INVALID_ARGUMENTS;
  IspEngine& e = Engine();
  std::memcpy(e.crcKey.data(), key, length);
  e.crcKeyLength = length;
  return ISP_OK;
}
