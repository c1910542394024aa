// The update sequence, stage by stage, as the worker thread runs it.
#include "updater/update_worker.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "isp/isp_api.h"
#include "platform/sys/sys.h"
#include "updater/count_down.h"
#include "updater/flash_layout.h"
#include "updater/loader_values.h"
#include "updater/package_ids.h"
#include "updater/stage_thread.h"

namespace vexaro::updater {
namespace {

constexpr int kProgressStep = 7;
// Where the internal part of the bar starts, with or without an external stage.
constexpr int kInternalProgressStart = 5 * kProgressStep;
// A stage thread is looked at this often; short enough for a lively bar.
constexpr std::uint32_t kStagePollMs = 10;
// 90000 polls: about 15 minutes, far beyond the longest transfer of a 64 KiB chip.
constexpr int kStagePolls = 90000;
// While the report channel is not open (the keyboard is in its loader, which
// the channel does not watch) a stage may take about 10 s.
constexpr int kClosedChannelPolls = 1000;
// Bytes the loader keeps for itself at the top of the flash.
constexpr std::uint32_t kLoaderReservedBytes = 1024;
// The result code the size and range checks leave for Finish (restarts the loader).
constexpr int kSizeCheckCode = 7;
// The result code a requested stop leaves for Finish (restarts the loader).
constexpr int kStoppedCode = 8;
// The chip restarts into its loader and re-enumerates after a reset.
constexpr std::uint32_t kChipResetMs = 2000;
// The loader settles after being found again, before the first transfer.
constexpr std::uint32_t kBeforeProgramMs = 1000;
// The loader leaves the bus and the application (or loader) re-enumerates.
constexpr std::uint32_t kAfterCloseMs = 3000;
// Leaves the error readable before the result dialog.
constexpr std::uint32_t kAfterApErrorMs = 1000;
// The keyboard may come back in its loader for a moment after the start
// command (a first run checks the application); only from this counter value
// down is a loader there an error (after 20 counted seconds).
constexpr int kLoaderToleratedUntil = 100;
constexpr unsigned kResultTimerMs = 10;
constexpr std::size_t kDigestPayloadBytes = 52;
constexpr std::uint16_t kDigestCommandWords = 32;
constexpr std::size_t kVersionRecordBytes = 132;
constexpr std::uint8_t kErasedByte = 0xFF;

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char text[64];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

}  // namespace

std::vector<std::uint8_t> VersionRecord(const std::string& version, std::uint32_t base,
                                        std::uint32_t& last) {
  const std::size_t n = std::min(std::strlen(version.c_str()), std::size_t{kVersionTextMax});
  last = ((base + static_cast<std::uint32_t>(n) + 7u) & ~std::uint32_t{3}) - 1u;
  // A base that is not a multiple of 4 makes the range up to 3 bytes longer
  // than the 132-byte record; the record grows so the engine never reads past it.
  const std::size_t span = last >= base ? static_cast<std::size_t>(last - base) + 1 : 0;
  std::vector<std::uint8_t> record(std::max(kVersionRecordBytes, span), kErasedByte);
  for (int i = 0; i < 4; ++i) record[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
  std::memcpy(record.data() + 4, version.data(), n);
  return record;
}

UpdateWorker::UpdateWorker(UpdateController& controller)
    : controller_(controller), view_(controller.view_), loader_(controller.Loader()) {}

void UpdateWorker::Run() {
  view_.EnableProgramButton(false);
  const bool images = ReadPackageImages();
  // An "ISP" loader's mass erase clears its whole user area, and with it an
  // external image that lies in the chip's own flash: such an image is
  // written once the loader is back after the erase, not before.
  const bool externalLate = images && loader_.LoaderKind == "ISP" && external_.externalLength != 0 &&
                            external_.externalStart < loader_.FlashSize;
  // Both checks come before the first write: a refusal after the external
  // image was written would leave the keyboard with half an update.
  // Proceed() is the safe point between two stages where a requested stop
  // ends the update; no transfer is ever cut.
  const bool done = images && SizeCheck() && ExternalRangeCheck() && Proceed() &&
                    (externalLate || ExternalStage()) && Proceed() && EraseStage() && Proceed() && ResetStage() &&
                    ReconnectStage() && (!externalLate || (Proceed() && LateExternalStage())) && InternalStages();
  if (done && Proceed()) {
    DigestStage();
    VersionStage();
  }
  Finish();
}

bool UpdateWorker::ReadPackageImages() {
  outcome_.stage = UpdateStage::Package;
  const package::PackageInfo& info = package::ThePackageInfo();
  internal_ = package::DecodeInternalBlock(info.InternalImageBlock);
  external_ = package::DecodeExternalBlock(info.ExternalImageBlock);
  // An empty internal image is a damaged package too: its erase range would
  // end before it starts, and the loader would refuse it only after the
  // version record had been erased.
  const bool sane = internal_.imageLength != 0 && internal_.imageLength <= package::kMaxImageBytes &&
                    external_.externalLength <= package::kMaxImageBytes;
  try {
    if (sane) {
      internalImage_.assign(package::RoundUpToWord(internal_.imageLength), kErasedByte);
      externalImage_.assign(package::RoundUpToWord(external_.externalLength), kErasedByte);
    }
  } catch (const std::bad_alloc&) {
    internalImage_.clear();
  }
  if (sane && internalImage_.size() == package::RoundUpToWord(internal_.imageLength) &&
      package::ReadImages(internal_.imageLength, external_.externalLength, internalImage_, externalImage_)) {
    return true;
  }
  outcome_.packageUnreadable = true;
  failed_ = true;
  return false;
}

bool UpdateWorker::ExternalStage() {
  const std::uint32_t start = external_.externalStart, n = external_.externalLength;
  if (n == 0) return true;
  outcome_.stage = UpdateStage::EraseExternal;
  written_ = true;
  SetStatus("Erasing external....");
  AdvanceProgress();
  code_ = ISP_ErasePage(static_cast<int32_t>(start), static_cast<int32_t>(start + n - 1));
  AdvanceProgress();
  if (code_ != 0) {
    Fail(Format("Erase external failed! %08X-%08X", start, start + n - 1));
    return false;
  }
  const std::uint32_t last = StageEnd(start, n);
  outcome_.stage = UpdateStage::ProgramExternal;
  SetStatus("Programming external....");
  {
    StageThread program(start, last, ISP_MODE_PROGRAM, externalImage_.data());
    code_ = WaitForStageThread(program, kStagePolls);
  }
  if (code_ != 0) {
    Fail("Program External Failed!");
    return false;
  }
  outcome_.stage = UpdateStage::VerifyExternal;
  SetStatus("Verifing external....");
  StageThread verify(start, last, ISP_MODE_VERIFY, externalImage_.data());
  code_ = WaitForStageThread(verify, kStagePolls);
  if (code_ != 0) Fail("External Verify Failed!");
  return code_ == 0;
}

// Past the loader's own reserve, the image must also fit between the
// application start and the end of the flash: one that cannot would be
// refused by the loader only after the old firmware had been erased.
bool UpdateWorker::SizeCheck() {
  outcome_.stage = UpdateStage::SizeCheck;
  const bool fits = static_cast<std::uint64_t>(loader_.ApStart) + internal_.imageLength <= loader_.FlashSize;
  if (loader_.FlashSize - kLoaderReservedBytes >= internal_.imageLength && fits) return true;
  view_.ShowMessageBox("Image size is large the chip size!", "Image Size Error");
  view_.SetConnectionText("Not Connected");
  SetStatus("NA");
  code_ = kSizeCheckCode;
  refused_ = true;
  failed_ = true;
  outcome_.imageTooLarge = true;
  outcome_.failureText = "Image size is large the chip size!";
  return false;
}

bool UpdateWorker::Proceed() {
  if (!controller_.StopRequested()) return true;
  // Before the first erase nothing is lost: the old firmware is started again.
  if (!written_) refused_ = true;
  outcome_.stopped = true;
  code_ = kStoppedCode;
  Fail("Update stopped by request");
  return false;
}

// An external image over the version record or the application's pages
// would be erased again by the update, which would then report success.
bool UpdateWorker::ExternalRangeCheck() {
  outcome_.stage = UpdateStage::ExternalRange;
  const std::string problem = ExternalImageProblem(loader_, internal_.imageLength, external_.externalStart,
                                                   external_.externalLength);
  if (problem.empty()) return true;
  view_.ShowMessageBox(problem, "Image Range Error");
  code_ = kSizeCheckCode;
  refused_ = true;
  Fail(problem);
  return false;
}

bool UpdateWorker::EraseStage() {
  outcome_.stage = UpdateStage::Erase;
  written_ = true;
  if (controller_.ProgressPosition() < kInternalProgressStart) SetProgress(kInternalProgressStart);
  AdvanceProgress();
  SetStatus("Eraseing internal....");
  std::string failure;
  if (loader_.LoaderKind == "IAP") {
    code_ = ISP_ErasePage(static_cast<int32_t>(loader_.VersionBase), static_cast<int32_t>(loader_.VersionEnd));
    failure = Format("Erase Ver failed! 0x%08X-0x%08X", loader_.VersionBase, loader_.VersionEnd);
    if (code_ == 0) {
      const std::uint32_t last = loader_.ApStart + internal_.imageLength - 1;
      code_ = ISP_ErasePage(static_cast<int32_t>(loader_.ApStart), static_cast<int32_t>(last));
      failure = Format("Erase AP failed! %08X-%08X", loader_.ApStart, last);
    }
  } else {
    code_ = ISP_EraseMass();
    failure = "Mass Erase failed!";
  }
  AdvanceProgress();
  if (code_ != 0) Fail(failure);
  return code_ == 0;
}

bool UpdateWorker::ResetStage() {
  outcome_.stage = UpdateStage::Reset;
  AdvanceProgress();
  code_ = 0;
  if (loader_.LoaderKind == "ISP") {
    SetStatus("Reset....");
    code_ = ISP_Reset();
    sys::SleepMs(kChipResetMs);
  }
  AdvanceProgress();
  if (code_ != 0) Fail("Reset Failed!");
  return code_ == 0;
}

bool UpdateWorker::ReconnectStage() {
  outcome_.stage = UpdateStage::Reconnect;
  AdvanceProgress();
  CountDown count(kKeyboardWaitSeconds);
  if (loader_.LoaderKind == "ISP") {
    SetStatus("Connecting....");
    for (; count.Running(); count.Tick()) {
      if (LoaderFound()) {
        ISP_SendAuthentication();
        break;
      }
    }
  }
  AdvanceProgress();
  if (!count.Running()) failed_ = true;
  return count.Running();
}

// The external stage after an "ISP" loader's mass erase. Its steps of the
// bar were not taken before the erase and are not taken here either, so the
// bar ends where it does without an external image.
bool UpdateWorker::LateExternalStage() {
  quietProgress_ = true;
  const bool ok = ExternalStage();
  quietProgress_ = false;
  return ok;
}

bool UpdateWorker::InternalStages() {
  sys::SleepMs(kBeforeProgramMs);
  const std::uint32_t last = StageEnd(loader_.ApStart, internal_.imageLength);
  outcome_.stage = UpdateStage::Program;
  SetStatus("Programming internal....");
  {
    StageThread program(loader_.ApStart, last, ISP_MODE_PROGRAM, internalImage_.data());
    code_ = WaitForStageThread(program, kStagePolls);
  }
  if (code_ != 0) {
    Fail("Program Failed!");
    return false;
  }
  if (!Proceed()) return false;
  outcome_.stage = UpdateStage::Verify;
  SetStatus("Verifing....");
  StageThread verify(loader_.ApStart, last, ISP_MODE_VERIFY, internalImage_.data());
  code_ = WaitForStageThread(verify, kStagePolls);
  if (code_ != 0) Fail("AP Verify Failed!");
  return code_ == 0;
}

void UpdateWorker::DigestStage() {
  AdvanceProgress();
  SetStatus("Digest Check....");
  std::array<std::uint8_t, kDigestPayloadBytes> payload{};
  payload[0] = internal_.digestValue[0];
  payload[1] = internal_.digestValue[1];
  std::uint16_t reply = 0;
  // The loader's reply does not decide anything: the verify has already
  // compared every byte.
  ISP_CRCCheck(0, kDigestCommandWords, &reply, payload.data());
}

void UpdateWorker::VersionStage() {
  outcome_.stage = UpdateStage::VersionRecord;
  std::uint32_t last = 0;
  const auto record = VersionRecord(package::ThePackageInfo().UpdateVersion, loader_.VersionBase, last);
  controller_.SetVersionEnd(last);
  code_ = ProgramVersionRecord(loader_.VersionBase, last, record);
  if (code_ != 0) {
    Fail("Program Version Failed!");
    return;
  }
  code_ = ISP_WriteProgramB(loader_.VersionBase, last, ISP_MODE_VERIFY, record.data());
  if (code_ != 0) {
    Fail("Version Verify Failed!");
  } else {
    SetStatus("Reset to AP...");
    ISP_Execute();
    resetToApConfirmed_ = true;
  }
  AdvanceProgress();
}

// The text first, the length word last: the chip starts its application
// at power-on once the length word is written, so power lost while the
// record is written leaves either a keyboard that starts its loader or one
// whose version text is complete. The range is one transfer when the record
// is no longer than its length word.
int UpdateWorker::ProgramVersionRecord(std::uint32_t base, std::uint32_t last,
                                       const std::vector<std::uint8_t>& record) {
  constexpr std::uint32_t kLengthWordBytes = 4;
  if (last < base + kLengthWordBytes) return ISP_WriteProgramB(base, last, ISP_MODE_PROGRAM, record.data());
  const int text = ISP_WriteProgramB(base + kLengthWordBytes, last, ISP_MODE_PROGRAM, record.data() + kLengthWordBytes);
  if (text != 0) return text;
  return ISP_WriteProgramB(base, base + kLengthWordBytes - 1, ISP_MODE_PROGRAM, record.data());
}

void UpdateWorker::Finish() {
  // A package refused before the first write leaves the old firmware whole:
  // the keyboard is started into it again instead of being kept in its
  // loader, where it would not type until it is unplugged.
  if (refused_) ISP_Execute();
  else if (code_ != 0) ISP_ResetToIAP(ISP_RESET_KEYED);
  ISP_CloseSerialPortConnect();
  sys::SleepMs(kAfterCloseMs);
  if (resetToApConfirmed_ && HasApplicationIds()) {
    outcome_.stage = UpdateStage::StartApplication;
    WaitForApplication();
  }
  if (controller_.channel_.IsOpen()) controller_.SetUpdateButtons(true);
  outcome_.success = !failed_;
  if (outcome_.success) outcome_.stage = UpdateStage::Done;
  controller_.SetLastUpdate(outcome_);
  view_.ReportOutcome(outcome_);
  // The status field is hidden in the skinned window and closes with this
  // text on every run; the result dialog (and ReportOutcome) carry the outcome.
  view_.SetStatusText("Operation successful.");
  controller_.state_ = UpdateState::Idle;
  view_.FocusUpdateButton();
  SetProgress(0);
  view_.InvalidateProgressArea();
  view_.SetResultTimer(failed_ ? kFailureTimer : kSuccessTimer, kResultTimerMs);
}

void UpdateWorker::WaitForApplication() {
  for (CountDown count(kKeyboardWaitSeconds); count.Running(); count.Tick()) {
    if (ApplicationFound()) {
      ISP_CloseSerialPortConnect();
      SetStatus("Operation Success");
      return;
    }
    if (count.Left() < kLoaderToleratedUntil && LoaderFound()) {
      ISP_ResetToIAP(ISP_RESET_KEYED);
      ISP_CloseSerialPortConnect();
      Fail("[ERROR] Can't Reset to AP...");
      sys::SleepMs(kAfterApErrorMs);
      return;
    }
  }
  Fail("[ERROR] Can't Reset to AP...");
}

// Polls the stage until it ends or the polls run out. A stage that ends
// with an error is reported at once. A stage still running when the polls
// run out is stopped and joined, so the engine is never entered by two
// threads.
int UpdateWorker::WaitForStageThread(StageThread& stage, int polls) {
  AdvanceProgress();
  for (int done = 1; done <= polls; ++done) {
    sys::SleepMs(kStagePollMs);
    if (stage.Finished()) break;
    if (!controller_.channel_.IsOpen() && done > kClosedChannelPolls) break;
    view_.SetProgress(controller_.ProgressPosition());
  }
  return stage.StopAndJoin();
}

void UpdateWorker::AdvanceProgress() {
  if (!quietProgress_) SetProgress(controller_.ProgressPosition() + kProgressStep);
}

void UpdateWorker::SetProgress(int position) {
  controller_.progress_ = position;
  view_.SetProgress(position);
}

void UpdateWorker::SetStatus(const std::string& text) {
  outcome_.lastStatusText = text;
  view_.SetStatusText(text);
}

void UpdateWorker::Fail(const std::string& text) {
  SetStatus(text);
  outcome_.failureText = text;
  failed_ = true;
}

}  // namespace vexaro::updater
