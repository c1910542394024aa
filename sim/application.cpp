// The application firmware's side of the loader protocol: it answers the
// ready probe and restarts into the loader when asked with the unkeyed
// checksum (it does not know the key block). The version read and status
// report of the report channel are handled beside this when they arrive.
#include "sim/checksum.h"
#include "sim/keyboard.h"

namespace vexaro::sim {

bool SimKeyboard::HasApplication() const {
  const std::uint8_t* first = flash_.Data() + config_.userStart;
  return first[0] != 0xFF || first[1] != 0xFF || first[2] != 0xFF || first[3] != 0xFF;
}

SimKeyboard::After SimKeyboard::ApplicationReport(const std::uint8_t* r) {
  if (r[1] == 0x04 && r[2] == 0x01 && CommandChecksumValid(r, nullptr)) {
    return After::kRestartAsLoader;
  }
  if (!config_.faults.neverAnswerProbe) QueueStatus('F');
  return After::kNothing;
}

}  // namespace vexaro::sim
