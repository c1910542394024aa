// What --all shows while its keyboards are updated: one line per keyboard
// on a terminal (port, stage, progress), redrawn in place; plain lines that
// name the port on a pipe; the runs' own events, forwarded, in --json.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "tools/vexaro-flash/flash_events.h"
#include "tools/vexaro-flash/flash_view.h"

namespace vexaro::flash {

class FlashBoard {
 public:
  FlashBoard(std::FILE* out, OutputStyle style, const std::vector<std::string>& ports);

  // One line of keyboard k's run (0-based, in the order of ports). Thread-safe.
  void Take(std::size_t k, const std::string& line);
  // The end of keyboard k's run, with what the summary says of it.
  void Finish(std::size_t k, bool success, int exitCode, const std::string& text);
  // Redraws the terminal's lines when something changed; nothing in the
  // other styles.
  void Draw();
  // After the last Draw on a terminal: the runs' notes (such as a keyboard
  // left in update mode), which the one line per keyboard had no room for.
  void WriteNotes();

  struct Row {
    std::string port;
    std::string stage = "waiting";
    int progress = -1;
    bool finished = false;
    bool resultSeen = false;  // the run wrote its own result event
    bool success = false;
    int exitCode = -1;
    std::string text;
    std::vector<std::string> notes;
  };
  std::vector<Row> Rows() const;

 private:
  void Apply(Row& row, const ChildEvent& event, const std::string& line);  // with mutex_ held
  void DrawLocked();
  std::string RowText(const Row& row) const;

  std::FILE* out_;
  OutputStyle style_;
  mutable std::mutex mutex_;
  std::vector<Row> rows_;
  bool drawn_ = false;
  bool changed_ = true;
};

}  // namespace vexaro::flash
