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

}  // namespace vexaro::updater
