// Growth of the segmented element index.
#include "xml/element_index.h"

#include <algorithm>
#include <new>
#include <type_traits>

namespace vexaro::xml {

// Records are moved by realloc, byte for byte.
static_assert(std::is_trivially_copyable_v<ElementRecord>);

std::int32_t ElementIndex::SegmentSize(int n) const {
  if (n < 0 || n >= segmentCount_) return 0;
  return n + 1 < segmentCount_ ? kSegmentSize : capacity_ - n * kSegmentSize;
}

bool ElementIndex::ResizeLastSegment(std::int32_t size) {
  const int last = segmentCount_ - 1;
  const std::int32_t old = SegmentSize(last);
  if (old == size) return true;
  void* grown = std::realloc(segments_[last].get(), static_cast<std::size_t>(size) * sizeof(ElementRecord));
  if (grown == nullptr) return false;  // the old segment is still held
  static_cast<void>(segments_[last].release());
  segments_[last].reset(static_cast<ElementRecord*>(grown));
  capacity_ += size - old;
  return true;
}

bool ElementIndex::AddSegment(std::int32_t size) {
  if (segmentCount_ > 0 && !ResizeLastSegment(kSegmentSize)) return false;  // only the last may be short
  if (segmentCount_ >= tableSize_) {
    const int newSize = 2 * segmentCount_ + 4;
    std::unique_ptr<Segment[]> table(new (std::nothrow) Segment[static_cast<std::size_t>(newSize)]);
    if (!table) return false;
    std::move(segments_.get(), segments_.get() + segmentCount_, table.get());
    segments_ = std::move(table);
    tableSize_ = newSize;
  }
  Segment segment(static_cast<ElementRecord*>(std::malloc(static_cast<std::size_t>(size) * sizeof(ElementRecord))));
  if (!segment) return false;
  segments_[segmentCount_++] = std::move(segment);
  capacity_ += size;
  return true;
}

bool ElementIndex::Reserve(std::int64_t records) {
  if (records <= capacity_) return true;
  if (records > 0x7FFFFFFF) return false;
  const auto wanted = static_cast<std::int32_t>(records);
  const int lastNeeded = (wanted - 1) >> kSegmentShift;
  if (segmentCount_ > 0 && lastNeeded == segmentCount_ - 1) {
    return ResizeLastSegment(wanted - lastNeeded * kSegmentSize);
  }
  while (segmentCount_ < lastNeeded) {
    if (!AddSegment(kSegmentSize)) return false;
  }
  return AddSegment(wanted - lastNeeded * kSegmentSize);
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
