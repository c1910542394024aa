// The session's state: the process-wide instance, putting it back to its
// initial values, and the key block.
#include <algorithm>

#include "isp/engine.h"
#include "isp/session.h"

namespace vexaro::isp {

Session& TheEngine() {
  static Session engine;
  return engine;
}

void Session::Reset() {
  for (hid::Handle h : {state_.readHandle, state_.writeHandle, state_.queryHandle}) {
    if (h != hid::kInvalidHandle) hid::Close(h);
  }
  state_ = State{};
  transferStop_.store(false);
}

bool Session::SetCrcKey(std::span<const std::uint8_t> key) {
  if (key.size() > kCrcKeySize) return false;
  std::copy(key.begin(), key.end(), state_.crcKey.begin());
  state_.crcKeyLength = static_cast<std::uint16_t>(key.size());
  return true;
}

}  // namespace vexaro::isp
