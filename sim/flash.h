// The keyboard's flash memory with NOR semantics: erasing a page sets its
// bytes to 0xFF, programming can only clear bits.
#pragma once

#include <cstdint>
#include <vector>

namespace vexaro::sim {

class Flash {
 public:
  Flash(std::uint32_t size, std::uint32_t pageSize);
  std::uint32_t Size() const { return static_cast<std::uint32_t>(bytes_.size()); }
  std::uint32_t PageSize() const { return pageSize_; }
  bool Contains(std::uint64_t first, std::uint64_t last) const {
    return first <= last && last < bytes_.size();
  }
  // Erases every page holding a byte of first..last; the number of pages.
  std::uint32_t ErasePages(std::uint32_t first, std::uint32_t last);
  // ANDs the bytes in; false when a bit would have had to go from 0 to 1.
  bool Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t count);
  bool Equals(std::uint32_t address, const std::uint8_t* data, std::uint32_t count) const;
  bool IsBlank(std::uint32_t first, std::uint32_t last) const;
  const std::uint8_t* Data() const { return bytes_.data(); }
  std::uint8_t* MutableData() { return bytes_.data(); }

 private:
  std::vector<std::uint8_t> bytes_;
  std::uint32_t pageSize_;
};

}  // namespace vexaro::sim
