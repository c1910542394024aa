// Reading back the JSON events that vexaro-flash writes, as --all reads the
// lines of the run it starts for each keyboard.
#pragma once

#include <optional>
#include <string>

namespace vexaro::flash {

// The members of one event that --all acts on. Texts are decoded, with every
// control character and every character beyond ASCII shown as '?', so they
// can go straight onto a terminal line.
struct ChildEvent {
  std::string event;   // "stage", "progress", "result", ...
  std::string text;
  std::string port;
  std::optional<int> position;  // progress
  std::optional<int> exit;      // result
  bool success = false;         // result
};

// False for a line that is not one flat JSON object of strings, integers
// and booleans, or that has no "event" member.
bool ParseChildEvent(const std::string& line, ChildEvent& event);

}  // namespace vexaro::flash
