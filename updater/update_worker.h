// The update sequence run by the worker thread once the loader is connected:
// external image, size check, erase, program and verify, digest, version
// record, start of the application and the wait for it. Internal to the
// controller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/package.h"
#include "updater/controller.h"

namespace vexaro::updater {

class StageThread;

class UpdateWorker {
 public:
  explicit UpdateWorker(UpdateController& controller);
  // Runs the whole sequence, Finish included, in every case.
  void Run();

 private:
  bool ReadPackageImages();
  bool ExternalStage();
  bool SizeCheck();
  bool ExternalRangeCheck();
  bool Proceed();
  bool EraseStage();
  bool ResetStage();
  bool ReconnectStage();
  bool LateExternalStage();
  bool InternalStages();
  void DigestStage();
  void VersionStage();
  int ProgramVersionRecord(std::uint32_t base, std::uint32_t last, const std::vector<std::uint8_t>& record);
  void Finish();
  void WaitForApplication();

  int WaitForStageThread(StageThread& stage, int polls);
  void AdvanceProgress();
  void SetProgress(int position);
  void SetStatus(const std::string& text);
  void Fail(const std::string& text);

  UpdateController& controller_;
  UpdateView& view_;
  LoaderInfo loader_;
  package::InternalBlockFields internal_;
  package::ExternalBlockFields external_;
  std::vector<std::uint8_t> internalImage_;
  std::vector<std::uint8_t> externalImage_;
  int code_ = 0;  // the last engine result; non-zero restarts the loader at the end
  bool failed_ = false;
  bool refused_ = false;  // refused or stopped before anything was written
  bool written_ = false;  // the first erase has begun
  bool resetToApConfirmed_ = false;
  bool quietProgress_ = false;  // the late external stage leaves the bar alone
  UpdateOutcome outcome_;
};

// The version record as it is written: the text's length as a 32-bit
// little-endian word, the text, and erased-flash padding up to last.
std::vector<std::uint8_t> VersionRecord(const std::string& version, std::uint32_t base,
                                        std::uint32_t& last);

}  // namespace vexaro::updater
