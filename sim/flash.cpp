// NOR flash: pages erase to 0xFF, programming ANDs.
#include "sim/flash.h"

#include <algorithm>
#include <cstring>

namespace vexaro::sim {

Flash::Flash(std::uint32_t size, std::uint32_t pageSize)
    : bytes_(size, 0xFF), pageSize_(pageSize == 0 ? 1 : pageSize) {}

std::uint32_t Flash::ErasePages(std::uint32_t first, std::uint32_t last) {
  const std::uint32_t firstPage = first / pageSize_;
  const std::uint32_t lastPage = last / pageSize_;
  for (std::uint32_t page = firstPage; page <= lastPage; ++page) {
    const std::size_t begin = static_cast<std::size_t>(page) * pageSize_;
    const std::size_t end = std::min(bytes_.size(), begin + pageSize_);
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(begin),
              bytes_.begin() + static_cast<std::ptrdiff_t>(end), std::uint8_t{0xFF});
  }
  return lastPage - firstPage + 1;
}

bool Flash::Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t count) {
  bool exact = true;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint8_t& cell = bytes_[address + i];
    cell = static_cast<std::uint8_t>(cell & data[i]);
    exact = exact && cell == data[i];
  }
  return exact;
}

bool Flash::Equals(std::uint32_t address, const std::uint8_t* data, std::uint32_t count) const {
  return std::memcmp(bytes_.data() + address, data, count) == 0;
}

bool Flash::IsBlank(std::uint32_t first, std::uint32_t last) const {
  return std::all_of(bytes_.begin() + first, bytes_.begin() + last + 1,
                     [](std::uint8_t b) { return b == 0xFF; });
}

}  // namespace vexaro::sim
