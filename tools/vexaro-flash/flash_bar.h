// vexaro-flash's progress bar on a terminal: as wide as the terminal allows
// and never wider, so that it never wraps onto a second line.
#pragma once

#include <string>

namespace vexaro::flash {

// Columns to draw in: what the terminal reports, else the COLUMNS variable
// (columnsVariable, may be null), else 80.
int TerminalWidth(int reportedColumns, const char* columnsVariable);

// The bar for position (0..100; past 100 shows 100) in at most columns - 1
// characters (a character in the last column makes some terminals wrap):
// "[#####.....]  35%", or only " 35%" where no readable bar fits.
std::string ProgressBarText(int position, int columns);

}  // namespace vexaro::flash
