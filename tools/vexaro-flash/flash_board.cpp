#include "tools/vexaro-flash/flash_board.h"

#include <algorithm>

#include "tools/vexaro-flash/flash_options.h"
#include "tools/vexaro-flash/flash_text.h"

namespace vexaro::flash {
namespace {

constexpr int kBoardBarWidth = 20;
constexpr int kBoardFullBar = 100;
// A line longer than a terminal row would wrap and spoil the redraw.
constexpr std::size_t kMaxRowText = 78;

std::string BoardBar(int progress) {
  const int shown = std::clamp(progress, 0, kBoardFullBar);
  const int filled = shown * kBoardBarWidth / kBoardFullBar;
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", shown);
  std::string bar(1, '[');
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBoardBarWidth - filled), '.');
  return bar + "] " + percent;
}

}  // namespace

FlashBoard::FlashBoard(std::FILE* out, OutputStyle style, const std::vector<std::string>& ports)
    : out_(out), style_(style) {
  for (const std::string& port : ports) {
    rows_.emplace_back();
    rows_.back().port = port;
  }
}

void FlashBoard::Take(std::size_t k, const std::string& line) {
  ChildEvent event;
  if (!ParseChildEvent(line, event)) return;  // not an event of ours: nothing to show or pass on
  std::lock_guard lock(mutex_);
  if (k >= rows_.size()) return;
  Apply(rows_[k], event, line);
}

void FlashBoard::Apply(Row& row, const ChildEvent& event, const std::string& line) {
  // The package was announced once for all; the runs announce it again.
  if (style_ == OutputStyle::kJson && event.event != "package") {
    std::fprintf(out_, "%s\n", line.c_str());
    std::fflush(out_);
  }
  changed_ = true;
  if (event.event == "note") row.notes.push_back(event.text);
  if (event.event == "stage") row.stage = event.text;
  else if (event.event == "progress" && event.position) row.progress = *event.position;
  else if (event.event == "result") {
    row.resultSeen = true;
    row.success = event.success;
    row.exitCode = event.exit.value_or(kExitUpdateFailed);
    row.text = event.text;
  } else if (event.event == "note" && style_ == OutputStyle::kPlain) {
    std::fprintf(out_, "port %s: %s\n", ShownText(row.port).c_str(), event.text.c_str());
  }
  if (style_ == OutputStyle::kPlain && (event.event == "stage" || event.event == "result")) {
    std::fprintf(out_, "port %s: %s\n", ShownText(row.port).c_str(), event.text.c_str());
    std::fflush(out_);
  }
}

void FlashBoard::Finish(std::size_t k, bool success, int exitCode, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (k >= rows_.size()) return;
  Row& row = rows_[k];
  row.finished = true;
  changed_ = true;
  if (row.resultSeen && row.exitCode == exitCode) return;
  row.success = success;
  row.exitCode = exitCode;
  row.text = text;
  // A run that ended without saying how (it crashed, was ended, could not
  // start) still gets its result event, so that every keyboard has one.
  if (style_ == OutputStyle::kJson) {
    std::fprintf(out_, "{\"event\":\"result\",\"success\":%s,\"exit\":%d,\"text\":%s,\"port\":%s}\n",
                 success ? "true" : "false", exitCode, JsonString(text).c_str(), JsonString(row.port).c_str());
  } else if (style_ == OutputStyle::kPlain) {
    std::fprintf(out_, "port %s: %s\n", ShownText(row.port).c_str(), text.c_str());
  }
  std::fflush(out_);
}

std::string FlashBoard::RowText(const Row& row) const {
  std::string text = "port " + ShownText(row.port) + "  ";
  if (row.finished || row.resultSeen) {
    text += (row.success ? "done: " : "FAILED: ") + row.text;
  } else {
    text += (row.progress >= 0 ? BoardBar(row.progress) + "  " : std::string{}) + row.stage;
  }
  if (text.size() > kMaxRowText) text.resize(kMaxRowText);
  return text;
}

void FlashBoard::Draw() {
  std::lock_guard lock(mutex_);
  DrawLocked();
}

void FlashBoard::DrawLocked() {
  if (style_ != OutputStyle::kTerminal || !changed_) return;
  changed_ = false;
  // Back to the first of the board's lines, each cleared before it is written.
  if (drawn_) std::fprintf(out_, "\x1b[%zuA", rows_.size());
  for (const Row& row : rows_) std::fprintf(out_, "\r\x1b[2K%s\n", RowText(row).c_str());
  std::fflush(out_);
  drawn_ = true;
}

void FlashBoard::WriteNotes() {
  std::lock_guard lock(mutex_);
  if (style_ != OutputStyle::kTerminal) return;
  for (const Row& row : rows_) {
    for (const std::string& note : row.notes) {
      std::fprintf(out_, "port %s: %s\n", ShownText(row.port).c_str(), note.c_str());
    }
  }
  std::fflush(out_);
}

std::vector<FlashBoard::Row> FlashBoard::Rows() const {
  std::lock_guard lock(mutex_);
  return rows_;
}

}  // namespace vexaro::flash
