// Growth of the segmented element index.
#include "xml/element_index.h"

#include <algorithm>
#include <cstring>

namespace vexaro::xml {

std::int32_t ElementIndex::SegmentSize(int n) const {
  if (n < 0 || n >= segmentCount_) return 0;
  return n + 1 < segmentCount_ ? kSegmentSize : capacity_ - n * kSegmentSize;
}

void ElementIndex::ResizeLastSegment(std::int32_t size) {
  const int last = segmentCount_ - 1;
  const std::int32_t old = SegmentSize(last);
  if (old == size) return;
  auto grown = std::make_unique_for_overwrite<ElementRecord[]>(static_cast<std::size_t>(size));
  std::memcpy(grown.get(), segments_[last].get(), static_cast<std::size_t>(old) * sizeof(ElementRecord));
  segments_[last] = std::move(grown);
  capacity_ += size - old;
}

void ElementIndex::AddSegment(std::int32_t size) {
  if (segmentCount_ > 0) ResizeLastSegment(kSegmentSize);  // only the last may be short
  if (segmentCount_ >= tableSize_) {
    const int newSize = 2 * segmentCount_ + 4;
    auto table = std::make_unique<std::unique_ptr<ElementRecord[]>[]>(static_cast<std::size_t>(newSize));
    std::move(segments_.get(), segments_.get() + segmentCount_, table.get());
    segments_ = std::move(table);
    tableSize_ = newSize;
  }
  segments_[segmentCount_++] = std::make_unique_for_overwrite<ElementRecord[]>(static_cast<std::size_t>(size));
  capacity_ += size;
}

bool ElementIndex::Reserve(std::int64_t records) {
  if (records <= capacity_) return true;
  if (records > 0x7FFFFFFF) return false;
  const auto wanted = static_cast<std::int32_t>(records);
  const int lastNeeded = (wanted - 1) >> kSegmentShift;
  if (segmentCount_ > 0 && lastNeeded == segmentCount_ - 1) {
    ResizeLastSegment(wanted - lastNeeded * kSegmentSize);
    return true;
  }
  while (segmentCount_ < lastNeeded) AddSegment(kSegmentSize);
  AddSegment(wanted - lastNeeded * kSegmentSize);
  return true;
}

bool ElementIndex::Grow(std::int32_t used) {
  std::int64_t wanted = static_cast<std::int64_t>(used) + used / 2;
  const std::int64_t limit = static_cast<std::int64_t>(segmentCount_ + 1) * kSegmentSize;
  // One growth adds at most one segment: the one after the current last.
  if (wanted > limit) wanted = limit;
  if (wanted <= capacity_) wanted = static_cast<std::int64_t>(capacity_) + 1;
  return Reserve(wanted);
}

}  // namespace vexaro::xml
