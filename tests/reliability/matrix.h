// The campaign's results by fault kind and stage, appended as tab-separated
// rows to the file VEXARO_RELIABILITY_MATRIX names (scripts/reliability-matrix.sh
// merges them into the markdown matrix of docs/reliability.md).
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace vexaro::reliability {

enum class CaseResult { kRecovered, kAbsorbed, kNotRecovered };

class Matrix {
 public:
  static Matrix& Instance();
  void Clear();
  void Add(const std::string& kind, const std::string& stage, CaseResult result, std::uint64_t elapsedMs);
  // Appends one row per cell: set-up, kind, stage, cases, recovered,
  // absorbed, not recovered, longest first run in program ms.
  void Write(const std::string& setup) const;

 private:
  struct Cell {
    int cases = 0, recovered = 0, absorbed = 0, notRecovered = 0;
    std::uint64_t longestMs = 0;
  };
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, Cell> cells_;
};

}  // namespace vexaro::reliability
