#include "tools/vexaro-flash/flash_bar.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vexaro::flash {
namespace {

constexpr int kDefaultColumns = 80;
constexpr int kFullPercent = 100;
// "[" + "]" + " 100%": what the bar needs besides its cells.
constexpr int kFrameWidth = 7;
// Fewer cells than this tell nothing a percentage does not.
constexpr int kFewestCells = 10;
// A bar much wider than this only makes the eye travel.
constexpr int kMostCells = 60;

}  // namespace

int TerminalWidth(int reportedColumns, const char* columnsVariable) {
  if (reportedColumns > 0) return reportedColumns;
  if (columnsVariable != nullptr) {
    char* end = nullptr;
    const long columns = std::strtol(columnsVariable, &end, 10);
    if (end != columnsVariable && *end == '\0' && columns > 0 && columns <= 10000) return static_cast<int>(columns);
  }
  return kDefaultColumns;
}

std::string ProgressBarText(int position, int columns) {
  const int shown = std::clamp(position, 0, kFullPercent);
  char percent[8];
  std::snprintf(percent, sizeof percent, "%3d%%", shown);
  const int cells = std::min(columns - 1 - kFrameWidth, kMostCells);
  // Appended piece by piece: GCC 12 at -O3 takes a literal added to a
  // temporary string for an overlapping copy.
  std::string bar;
  if (cells < kFewestCells) {
    bar += ' ';
    bar += percent;
    return bar;
  }
  const int filled = shown * cells / kFullPercent;
  bar += '[';
  bar.append(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(cells - filled), '.');
  bar += "] ";
  bar += percent;
  return bar;
}

}  // namespace vexaro::flash
