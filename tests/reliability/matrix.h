// The campaign's results by fault kind and stage, written as the markdown
// matrix of docs/reliability.md when VEXARO_RELIABILITY_MATRIX names a file.
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
  void Add(const std::string& kind, const std::string& stage, CaseResult result, std::uint64_t elapsedMs);
  // Appends the matrix to the file named by VEXARO_RELIABILITY_MATRIX, if any.
  void Write(const std::string& title) const;

 private:
  struct Cell {
    int cases = 0, recovered = 0, absorbed = 0, notRecovered = 0;
    std::uint64_t longestMs = 0;
  };
  mutable std::mutex mutex_;
  std::map<std::pair<std::string, std::string>, Cell> cells_;
};

}  // namespace vexaro::reliability
