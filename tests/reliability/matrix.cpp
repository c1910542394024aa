#include "tests/reliability/matrix.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

namespace vexaro::reliability {
namespace {

// The stages in the order an update runs them.
const char* const kStageOrder[] = {"start-up", "connect", "erase external", "program external",
                                   "verify external", "erase", "reset", "reconnect", "program",
                                   "verify", "digest", "version", "start application", "read back"};

std::string CellText(int cases, int recovered, int absorbed, int notRecovered, std::uint64_t longestMs) {
  if (cases == 0) return "";
  std::string text = notRecovered != 0 ? "**not** " + std::to_string(notRecovered) + "/" + std::to_string(cases)
                     : recovered != 0  ? "recovered " + std::to_string(recovered) + "/" + std::to_string(cases)
                                       : "absorbed " + std::to_string(absorbed);
  if (recovered != 0 && absorbed != 0 && notRecovered == 0) text += " (+" + std::to_string(absorbed) + " absorbed)";
  return text + ", ≤" + std::to_string((longestMs + 999) / 1000) + " s";
}

}  // namespace

Matrix& Matrix::Instance() {
  static Matrix matrix;
  return matrix;
}

void Matrix::Add(const std::string& kind, const std::string& stage, CaseResult result, std::uint64_t elapsedMs) {
  std::lock_guard lock(mutex_);
  Cell& cell = cells_[{kind, stage}];
  ++cell.cases;
  if (result == CaseResult::kRecovered) ++cell.recovered;
  if (result == CaseResult::kAbsorbed) ++cell.absorbed;
  if (result == CaseResult::kNotRecovered) ++cell.notRecovered;
  cell.longestMs = std::max(cell.longestMs, elapsedMs);
}

void Matrix::Write(const std::string& title) const {
  const char* path = std::getenv("VEXARO_RELIABILITY_MATRIX");
  if (path == nullptr || *path == '\0') return;
  std::lock_guard lock(mutex_);
  std::set<std::string> kinds;
  for (const auto& [key, cell] : cells_) kinds.insert(key.first);
  std::ofstream out(path, std::ios::app);
  out << "\n### " << title << "\n\n| stage |";
  for (const auto& kind : kinds) out << ' ' << kind << " |";
  out << "\n|---|";
  for (std::size_t i = 0; i < kinds.size(); ++i) out << "---|";
  out << '\n';
  for (const char* stage : kStageOrder) {
    std::string row = std::string("| ") + stage + " |";
    bool any = false;
    for (const auto& kind : kinds) {
      const auto it = cells_.find({kind, stage});
      if (it == cells_.end()) {
        row += " |";
        continue;
      }
      const Cell& c = it->second;
      row += ' ' + CellText(c.cases, c.recovered, c.absorbed, c.notRecovered, c.longestMs) + " |";
      any = true;
    }
    if (any) out << row << '\n';
  }
}

}  // namespace vexaro::reliability
