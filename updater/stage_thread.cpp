#include "updater/stage_thread.h"

#include "isp/isp_api.h"
#include "isp/isp_control.h"

namespace vexaro::updater {

StageThread::StageThread(std::uint32_t first, std::uint32_t last, std::uint8_t mode,
                         const std::uint8_t* data) {
  isp::RequestTransferStop(false);
  thread_ = std::thread([this, first, last, mode, data] {
    exitCode_ = ISP_WriteProgramB(first, last, mode, data);
    finished_ = true;
  });
}

StageThread::~StageThread() { StopAndJoin(); }

int StageThread::StopAndJoin() {
  if (thread_.joinable()) {
    if (!Finished()) isp::RequestTransferStop(true);
    thread_.join();
    isp::RequestTransferStop(false);
  }
  return exitCode_.load();
}

}  // namespace vexaro::updater
