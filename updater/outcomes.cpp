#include "updater/outcomes.h"

namespace vexaro::updater {

const char* UpdateStageName(UpdateStage stage) {
  switch (stage) {
    case UpdateStage::Package: return "package";
    case UpdateStage::SizeCheck: return "size check";
    case UpdateStage::ExternalRange: return "external range check";
    case UpdateStage::EraseExternal: return "external erase";
    case UpdateStage::ProgramExternal: return "external program";
    case UpdateStage::VerifyExternal: return "external verify";
    case UpdateStage::Erase: return "erase";
    case UpdateStage::Reset: return "reset";
    case UpdateStage::Reconnect: return "reconnection";
    case UpdateStage::Program: return "program";
    case UpdateStage::Verify: return "verify";
    case UpdateStage::VersionRecord: return "version record";
    case UpdateStage::StartApplication: return "start of the firmware";
    case UpdateStage::Done: return "done";
  }
  return "unknown";
}

bool LeavesKeyboardInUpdateMode(const UpdateOutcome& outcome) {
  // A refusal before the first write starts the old firmware again; every
  // other failure leaves the keyboard in its loader.
  return !outcome.success && outcome.stage != UpdateStage::SizeCheck && outcome.stage != UpdateStage::ExternalRange;
}

}  // namespace vexaro::updater
