// A view that records what the controller and the worker show, for tests.
// Calls come from the test thread and from the worker thread.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sys/sys.h"
#include "updater/update_view.h"

namespace vexaro::updater::testing {

class RecordingView : public UpdateView {
 public:
  void SetConnectionText(const std::string& text) override { Add(connection_, text); }
  void SetStatusText(const std::string& text) override {
    Add(status_, text);
    HoldIfAt(text);
  }
  void SetCurrentVersionText(const std::string& text) override { Add(version_, text); }
  void EnableUpdateButtons(bool enable) override { Set(updateEnabled_, enable); }
  void EnableCloseControls(bool enable) override { Set(closeEnabled_, enable); }
  void ShowProgramButton(bool show) override { Set(programShown_, show); }
  void EnableProgramButton(bool enable) override { Set(programEnabled_, enable); }
  void FocusUpdateButton() override {
    Add(focus_, std::string("update"));
    HoldIfAt("focus update");
  }
  void FocusProgramButton() override { Add(focus_, std::string("program")); }
  void SetProgress(int position) override {
    std::lock_guard lock(mutex_);
    if (progress_.empty() || progress_.back() != position) progress_.push_back(position);
  }
  void InvalidateProgressArea() override {}
  void InvalidateWindow() override {}
  void SetResultTimer(unsigned id, unsigned) override { Add(timers_, id); }
  void KillResultTimer(unsigned id) override { Add(killed_, id); }
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    Add(messageBoxes_, text + " / " + caption);
  }
  void ReportOutcome(const UpdateOutcome& outcome) override {
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
  }

  std::vector<std::string> Statuses() const { return Get(status_); }
  std::vector<std::string> Connections() const { return Get(connection_); }
  std::vector<std::string> Versions() const { return Get(version_); }
  std::vector<std::string> MessageBoxes() const { return Get(messageBoxes_); }
  std::vector<std::string> Focus() const { return Get(focus_); }
  std::vector<int> Progress() const { return Get(progress_); }
  std::vector<unsigned> Timers() const { return Get(timers_); }
  std::vector<unsigned> Killed() const { return Get(killed_); }
  std::optional<UpdateOutcome> Outcome() const {
    std::lock_guard lock(mutex_);
    return outcome_;
  }
  std::optional<bool> UpdateEnabled() const { return Get(updateEnabled_); }
  std::optional<bool> CloseEnabled() const { return Get(closeEnabled_); }
  std::optional<bool> ProgramShown() const { return Get(programShown_); }
  bool HasStatus(const std::string& text) const {
    const auto all = Statuses();
    return std::find(all.begin(), all.end(), text) != all.end();
  }
  // Holds the thread that reaches point (a status text, or "focus update")
  // until Release(), or at most kHoldLimitMs of program time, so that a test
  // can act while the worker stands there.
  void HoldAt(const std::string& point) {
    std::lock_guard lock(mutex_);
    holdAt_ = point;
  }
  bool Holding() const { return holding_.load(); }
  void Release() { released_ = true; }
  bool HasTimer(unsigned id) const {
    const auto all = Timers();
    return std::find(all.begin(), all.end(), id) != all.end();
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    status_.clear();
    connection_.clear();
    version_.clear();
    timers_.clear();
    killed_.clear();
    progress_.clear();
    focus_.clear();
    messageBoxes_.clear();
    outcome_.reset();
    holdAt_.clear();
    released_ = false;
  }

 private:
  static constexpr std::uint64_t kHoldLimitMs = 30000;

  void HoldIfAt(const std::string& point) {
    {
      std::lock_guard lock(mutex_);
      if (holdAt_.empty() || point != holdAt_) return;
    }
    holding_ = true;
    const std::uint64_t limit = sys::NowMs() + kHoldLimitMs;
    while (!released_.load() && sys::NowMs() < limit) sys::SleepMs(1);
    holding_ = false;
  }

  template <typename T>
  void Add(std::vector<T>& to, T value) {
    std::lock_guard lock(mutex_);
    to.push_back(std::move(value));
  }
  template <typename T>
  void Set(T& to, bool value) {
    std::lock_guard lock(mutex_);
    to = value;
  }
  template <typename T>
  T Get(const T& from) const {
    std::lock_guard lock(mutex_);
    return from;
  }

  mutable std::mutex mutex_;
  std::vector<std::string> status_, connection_, version_, focus_, messageBoxes_;
  std::vector<int> progress_;
  std::vector<unsigned> timers_, killed_;
  std::optional<bool> updateEnabled_, closeEnabled_, programShown_, programEnabled_;
  std::optional<UpdateOutcome> outcome_;
  std::string holdAt_;
  std::atomic<bool> holding_{false}, released_{false};
};

}  // namespace vexaro::updater::testing
