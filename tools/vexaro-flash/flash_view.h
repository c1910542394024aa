// vexaro-flash's view of the controller: stage texts as lines, a progress
// bar on a terminal (plain progress lines otherwise), or one JSON object per
// event. Called from the main thread and the update worker.
#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "package/package.h"
#include "updater/update_view.h"

namespace vexaro::flash {

enum class OutputStyle { kTerminal, kPlain, kJson };
// How much the lines tell; --json output is the same at every level.
enum class Verbosity { kQuiet, kNormal, kVerbose };

class FlashView : public updater::UpdateView {
 public:
  FlashView(std::FILE* out, OutputStyle style) : out_(out), style_(style) {}

  void SetConnectionText(const std::string& text) override;
  void SetStatusText(const std::string& text) override;
  void SetCurrentVersionText(const std::string& text) override;
  void EnableUpdateButtons(bool enable) override;
  void EnableCloseControls(bool) override {}
  void ShowProgramButton(bool) override {}
  void EnableProgramButton(bool) override {}
  void FocusUpdateButton() override {}
  void FocusProgramButton() override {}
  void SetProgress(int position) override;
  void InvalidateProgressArea() override {}
  void InvalidateWindow() override {}
  // The terminal has no dialogs: results are read from the controller.
  void SetResultTimer(unsigned, unsigned) override {}
  void KillResultTimer(unsigned) override {}
  void ShowMessageBox(const std::string& text, const std::string& caption) override;
  void ReportOutcome(const updater::UpdateOutcome& outcome) override;

  // Lines of the front end itself.
  void Note(const std::string& text);
  void Package(const package::PackageInfo& info, bool demo = false);
  void Keyboard(const std::string& mode, unsigned vendor, unsigned product, const std::string& detail,
                const std::string& version, const std::string& port = {});
  void Result(bool success, int exitCode, const std::string& text);
  // A line for people (never in --json): Remark at the normal level and
  // above, Detail only with --verbose.
  void Remark(const std::string& text);
  void Detail(const std::string& text);
  // A question left open on its line for the answer typed after it, and the
  // end of that line when the input ended without one.
  void Ask(const std::string& question);
  void EndQuestion();

  void SetVerbosity(Verbosity verbosity);

  // The end of --all: how many keyboards, how many were updated, the exit
  // status; in --json the last event, after the runs' own result events.
  void Summary(std::size_t keyboards, std::size_t updated, int exitCode, const std::string& text);
  OutputStyle Style() const { return style_; }

  // The keyboard's port, carried by every JSON event from now on (--device).
  void SetPort(const std::string& port);

  // What the controller has shown so far.
  std::string Version() const;
  bool UpdateEnabled() const;
  std::optional<updater::UpdateOutcome> Outcome() const;

 private:
  void Line(const std::string& text);  // with mutex_ held; control characters made visible
  void Event(const std::string& json);  // with mutex_ held
  void DrawBar();                       // with mutex_ held
  void EndBar();                        // with mutex_ held
  bool Quiet() const { return verbosity_ == Verbosity::kQuiet; }  // with mutex_ held

  std::FILE* out_;
  OutputStyle style_;
  mutable std::mutex mutex_;
  std::string connection_, version_;
  bool updateEnabled_ = false;
  Verbosity verbosity_ = Verbosity::kNormal;
  bool barShown_ = false;
  int barWidth_ = 0;  // characters of the bar last drawn
  int progress_ = -1;
  std::optional<updater::UpdateOutcome> outcome_;
  std::string port_;
};

}  // namespace vexaro::flash
