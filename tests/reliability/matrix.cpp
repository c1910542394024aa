#include "tests/reliability/matrix.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace vexaro::reliability {

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

void Matrix::Clear() {
  std::lock_guard lock(mutex_);
  cells_.clear();
}

void Matrix::Write(const std::string& setup) const {
  const char* path = std::getenv("VEXARO_RELIABILITY_MATRIX");
  if (path == nullptr || *path == '\0') return;
  std::lock_guard lock(mutex_);
  std::ofstream out(path, std::ios::app);
  for (const auto& [key, c] : cells_) {
    out << setup << '\t' << key.first << '\t' << key.second << '\t' << c.cases << '\t' << c.recovered << '\t'
        << c.absorbed << '\t' << c.notRecovered << '\t' << c.longestMs << '\n';
  }
}

}  // namespace vexaro::reliability
