// The session's state: the process-wide instance, putting it back to its
// initial values, and the key block.
#include <algorithm>

#include "isp/engine.h"
#include "isp/session.h"

namespace vexaro::isp {

// Never destroyed: at exit the HID platform's own state may be gone before
// it, and a session closing its handles then would reach into freed state.
Session& TheEngine() {
  static Session& engine = *new Session;
  return engine;
}

Session::~Session() { CloseConnection(); }

void Session::Reset() {
  CloseConnection();
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
