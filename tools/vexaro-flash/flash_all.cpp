#include "tools/vexaro-flash/flash_all.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "package/package.h"
#include "platform/sys/child_process.h"
#include "platform/sys/stop_requests.h"
#include "platform/sys/sys.h"
#include "tools/vexaro-flash/flash_board.h"
#include "tools/vexaro-flash/flash_ports.h"
#include "tools/vexaro-flash/flash_run.h"
#include "updater/keyboard_ports.h"
#include "updater/package_loader.h"

namespace vexaro::flash {
namespace {

// Longest a run may take, on the program clock: more than every wait of an
// update added up (two count-downs of 120 s, six stage windows of 900 s), so
// only a run that hangs reaches it. It is then ended, and its keyboard counts
// as failed.
constexpr std::uint64_t kRunTimeLimitMs = 2ull * 60 * 60 * 1000;
// How often the board is redrawn and the runs are looked at.
constexpr std::uint32_t kWatchIntervalMs = 100;

struct KeyboardRun {
  std::string port;
  sys::ChildProcess process;
  bool started = false;
  bool timedOut = false;
  std::atomic<bool> outputEnded{false};
  std::thread reader;
};

std::vector<std::string> RunArguments(const FlashOptions& options, const std::string& port) {
  std::vector<std::string> arguments;
  if (options.simulated) arguments.push_back("--sim");
  if (options.allowAnyVersion) arguments.push_back("--allow-any-version");
  if (options.reinstall) arguments.push_back("--reinstall");
  arguments.insert(arguments.end(), {"--device", port, "--json"});
  if (!options.packageFile.empty()) arguments.push_back(options.packageFile);
  return arguments;
}

// "3 keyboards (ports 1, 2, 3) to V2.07", for the question before writing.
std::string KeyboardsAndVersion(const std::vector<std::string>& ports) {
  std::string list;
  for (const std::string& port : ports) list += (list.empty() ? "" : ", ") + port;
  return std::to_string(ports.size()) + (ports.size() == 1 ? " keyboard (port " : " keyboards (ports ") + list +
         ") to " + package::ThePackageInfo().UpdateVersion;
}

int RefusePackage(const updater::PackageLoad& load, FlashView& view) {
  const int code = load.fileProblem ? kExitFileUnreadable : kExitBadPackage;
  view.Result(false, code, (load.fileProblem ? "Cannot read the package file! " : "Image format invalid! ") +
                               load.problem);
  return code;
}

// The keyboards that can be told apart: a port that cannot be known could
// not be given to --device.
std::vector<std::string> AddressablePorts(FlashView& view) {
  std::vector<std::string> ports = updater::KeyboardPorts();
  const auto unknown = std::remove(ports.begin(), ports.end(), std::string{});
  if (unknown != ports.end()) {
    view.Note("A keyboard whose port cannot be read is left out; update it alone, without --all");
    ports.erase(unknown, ports.end());
  }
  return ports;
}

void StartRuns(const FlashOptions& options, std::vector<std::unique_ptr<KeyboardRun>>& runs, FlashBoard& board) {
  std::string program;
  const bool located = sys::GetModuleFilePath(program);
  for (std::size_t k = 0; k < runs.size(); ++k) {
    KeyboardRun& run = *runs[k];
    std::string error = "this program's own path cannot be read";
    run.started = located && run.process.Start(program, RunArguments(options, run.port), error);
    if (!run.started) {
      board.Finish(k, false, kExitUpdateFailed, "Nothing was sent to the keyboard: " + error);
      continue;
    }
    run.reader = std::thread([&run, &board, k] {
      for (std::string line; run.process.ReadLine(line);) board.Take(k, line);
      run.outputEnded = true;
    });
  }
}

// Until every run has ended: the board redrawn, stop requests passed
// on (each run stops at its own next safe point), overlong runs ended.
void WatchRuns(std::vector<std::unique_ptr<KeyboardRun>>& runs, FlashBoard& board) {
  const std::uint64_t deadline = sys::NowMs() + kRunTimeLimitMs;
  int stopsPassed = sys::StopRequests();
  for (;;) {
    board.Draw();
    const int stops = sys::StopRequests();
    for (auto& run : runs) {
      if (stops > stopsPassed) run->process.RequestStop();
      if (sys::NowMs() >= deadline && run->started && !run->timedOut) {
        run->timedOut = true;
        run->process.Kill();
      }
    }
    stopsPassed = stops;
    // A run counts until its output has ended and it has ended too, so the
    // wait for its status below never outlasts the time limit.
    const bool running = std::any_of(runs.begin(), runs.end(), [](const auto& run) {
      return run->started && (!run->outputEnded || !run->process.HasEnded());
    });
    if (!running) break;
    sys::SleepMs(kWatchIntervalMs);
  }
}

// The end of each run, for the runs that said nothing of it themselves.
void CollectResults(std::vector<std::unique_ptr<KeyboardRun>>& runs, FlashBoard& board) {
  for (std::size_t k = 0; k < runs.size(); ++k) {
    KeyboardRun& run = *runs[k];
    if (run.reader.joinable()) run.reader.join();
    if (!run.started) continue;
    const int status = run.process.Wait();
    const FlashBoard::Row row = board.Rows()[k];
    if (run.timedOut) {
      board.Finish(k, false, kExitUpdateFailed, "The update did not end within 2 hours and was ended");
    } else if (!row.resultSeen) {
      board.Finish(k, false, kExitUpdateFailed,
                   "The update of this keyboard ended without a result (exit status " + std::to_string(status) + ")");
    } else if (status != row.exitCode) {
      // Its result said one thing and its end another: the end is believed.
      board.Finish(k, false, kExitUpdateFailed,
                   row.text + " (but the run then ended with exit status " + std::to_string(status) + ")");
    } else {
      board.Finish(k, row.success, status, row.text);
    }
  }
}

int Summarize(FlashBoard& board, FlashView& view) {
  board.Draw();
  board.WriteNotes();
  std::vector<int> codes;
  std::size_t updated = 0;
  std::string failures;
  for (const FlashBoard::Row& row : board.Rows()) {
    codes.push_back(row.exitCode);
    if (row.exitCode == kExitSuccess) {
      ++updated;
      continue;
    }
    if (!failures.empty()) failures.append("; ");
    failures.append("port " + row.port + ": exit " + std::to_string(row.exitCode));
  }
  const int worst = WorstExitCode(codes);
  view.Summary(codes.size(), updated, worst,
               // A run that found its keyboard up to date also ends with 0.
               std::to_string(updated) + " of " + std::to_string(codes.size()) + " keyboards carry " +
                   package::ThePackageInfo().UpdateVersion + " (updated, or up to date already)" +
                   (failures.empty() ? "" : "; not updated: " + failures));
  return worst;
}

}  // namespace

int RunAll(const FlashOptions& options, FlashView& view, const AnswerSource& answers,
           const std::function<void()>& releaseBus) {
  const updater::PackageLoad load = updater::LoadPackage(options.packageFile);
  if (!load.ok) return RefusePackage(load, view);
  view.Package(package::ThePackageInfo(), package::LoadPackageFile().demo);
  if (const std::string demo = updater::DemoPackageRefusal(); !demo.empty()) {
    view.Result(false, kExitRefused, demo + " (--sim installs it on the simulated keyboards)");
    return kExitRefused;
  }
  const std::vector<std::string> ports = AddressablePorts(view);
  releaseBus();
  if (ports.empty()) {
    view.Result(false, kExitNoKeyboard, "No keyboard found");
    return kExitNoKeyboard;
  }
  if (const auto refused = AskBeforeWriting(KeyboardsAndVersion(ports), options, answers, view)) return *refused;
  if (sys::StopRequests() > 0) {
    view.Result(false, kExitStopped, "Stopped by request before the update began; nothing was written");
    return kExitStopped;
  }
  FlashBoard board(stdout, view.Style(), ports);
  std::vector<std::unique_ptr<KeyboardRun>> runs;
  for (const std::string& port : ports) {
    runs.push_back(std::make_unique<KeyboardRun>());
    runs.back()->port = port;
  }
  StartRuns(options, runs, board);
  WatchRuns(runs, board);
  CollectResults(runs, board);
  return Summarize(board, view);
}

}  // namespace vexaro::flash
