// The element index of an XML document: fixed-size records, one per element,
// kept in segments of 65,536 records so that growing never moves a full
// segment and costs at most one allocation per 65,536 elements.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vexaro::xml {

// Record flags (high 16 bits of ElementRecord::flagsAndLevel).
inline constexpr std::uint32_t kRecordFirstChild = 0x00080000;
inline constexpr std::uint32_t kRecordNotEnded = 0x00100000;
inline constexpr std::uint32_t kRecordHasError = 0x00200000;
inline constexpr std::uint32_t kRecordIllFormed = 0x00800000;  // on record 0 only

// One element. Offsets and lengths count bytes of the document text; links
// are record indexes (0 = none, or the document for `parent`).
struct ElementRecord {
  static constexpr std::uint32_t kStartTagMax = (1u << 22) - 1;
  static constexpr std::uint32_t kEndTagMax = (1u << 10) - 1;
  static constexpr std::uint32_t kLevelMax = 0xFFFF;

  std::int32_t start;       // the '<' of the start tag
  std::int32_t length;      // start tag through end tag; the start tag when empty
  std::uint32_t tagLengths; // start-tag length in the low 22 bits, end-tag length in the high 10
  std::uint32_t flagsAndLevel;  // flags in the high 16 bits, nesting level in the low 16
  std::int32_t parent;
  std::int32_t firstChild;
  std::int32_t nextSibling;
  std::int32_t previousSibling;  // for a first child: the last child of the parent

  std::int32_t StartTagLength() const { return static_cast<std::int32_t>(tagLengths & kStartTagMax); }
  std::int32_t EndTagLength() const { return static_cast<std::int32_t>(tagLengths >> 22); }
  void SetTagLengths(std::uint32_t startTag, std::uint32_t endTag) {
    tagLengths = (startTag & kStartTagMax) | (endTag << 22);
  }
  std::uint32_t Flags() const { return flagsAndLevel & 0xFFFF0000u; }
  std::uint32_t Level() const { return flagsAndLevel & kLevelMax; }
  void SetFlag(std::uint32_t flag) { flagsAndLevel |= flag; }
  void ClearFlag(std::uint32_t flag) { flagsAndLevel &= ~flag; }
  bool HasFlag(std::uint32_t flag) const { return (flagsAndLevel & flag) != 0; }
  bool IsEmpty() const { return StartTagLength() == length; }
  std::int32_t ContentStart() const { return start + StartTagLength(); }
  std::int32_t ContentLength() const { return length - StartTagLength() - EndTagLength(); }
};

class ElementIndex {
 public:
  static constexpr std::int32_t kSegmentSize = 65536;
  static constexpr int kSegmentShift = 16;

  ElementIndex() = default;
  ElementIndex(const ElementIndex&) = delete;
  ElementIndex& operator=(const ElementIndex&) = delete;

  // Records that fit without growing.
  std::int32_t Capacity() const { return capacity_; }
  // Raises the capacity to at least `records` (never shrinks); false when the
  // count cannot be held (beyond 2^31 - 1 records).
  bool Reserve(std::int64_t records);
  // One growth step for a full index: by half the used count, adding at most
  // one segment.
  bool Grow(std::int32_t used);
  int SegmentCount() const { return segmentCount_; }
  int SegmentTableSize() const { return tableSize_; }
  // Size of segment n in records.
  std::int32_t SegmentSize(int n) const;

  ElementRecord& operator[](std::int32_t i) { return segments_[i >> kSegmentShift][i & (kSegmentSize - 1)]; }
  const ElementRecord& operator[](std::int32_t i) const {
    return segments_[i >> kSegmentShift][i & (kSegmentSize - 1)];
  }

 private:
  // Segments are malloc'd so that the short last one grows with realloc: in
  // place, or by moving its pages, instead of a copy into fresh memory.
  struct FreeSegment {
    void operator()(ElementRecord* segment) const { std::free(segment); }
  };
  using Segment = std::unique_ptr<ElementRecord[], FreeSegment>;

  bool ResizeLastSegment(std::int32_t size);
  bool AddSegment(std::int32_t size);

  std::unique_ptr<Segment[]> segments_;
  int tableSize_ = 0;
  int segmentCount_ = 0;
  std::int32_t capacity_ = 0;
};

}  // namespace vexaro::xml
