// The report descriptor parser: short items in, per-collection capabilities
// and report lengths out. Every length comes from the descriptor and is
// checked against the buffer and the bounds before it is used.
#include "platform/linux/hid_report_descriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace vexaro::hid::hidraw {
namespace {

// ---- item encoding (HID 1.11, section 6.2.2) --------------------------------
enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };
constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kLongItemHeaderBytes = 3;

enum MainTag : std::uint8_t {
  kInputTag = 0x8,
  kOutputTag = 0x9,
  kCollectionTag = 0xA,
  kFeatureTag = 0xB,
  kEndCollectionTag = 0xC,
};
enum GlobalTag : std::uint8_t {
  kUsagePageTag = 0x0,
  kReportSizeTag = 0x7,
  kReportIdTag = 0x8,
  kReportCountTag = 0x9,
  kPushTag = 0xA,
  kPopTag = 0xB,
};
enum LocalTag : std::uint8_t { kUsageTag = 0x0, kUsageMinimumTag = 0x1, kUsageMaximumTag = 0x2 };

constexpr std::uint32_t kConstantFlag = 0x01;  // main item data bit 0
constexpr std::uint32_t kVariableFlag = 0x02;  // main item data bit 1 (clear: array)
constexpr std::uint8_t kMaxReportId = 255;
constexpr std::size_t kExtendedUsageBytes = 4;  // usage page in the upper 16 bits

struct Item {
  std::uint8_t type = 0;
  std::uint8_t tag = 0;
  std::size_t size = 0;
  std::uint32_t value = 0;
};

struct Globals {
  std::uint16_t usagePage = 0;
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint8_t reportId = 0;
};

// A usage as written: without its page when the item was short, resolved
// against the usage page in force at the main item.
struct LocalUsage {
  std::uint32_t min = 0;
  std::uint32_t max = 0;
  bool minHasPage = false;
  bool isRange = false;
};

struct Locals {
  std::vector<LocalUsage> usages;
  std::uint32_t pendingMin = 0;
  std::size_t pendingMinSize = 0;
  bool haveMin = false;
};

struct TopCollection {
  Caps caps;
  std::array<std::map<std::uint8_t, std::uint32_t>, 3> reportBits;  // by ReportKind
};

class Parser {
 public:
  explicit Parser(ReportDescriptor& result) : result_(result) {}

  DescriptorStatus Run(const std::uint8_t* data, std::size_t length) {
    std::size_t at = 0;
    while (at < length) {
      Item item;
      std::size_t next = 0;
      if (!ReadItem(data, length, at, item, next)) return DescriptorStatus::kTruncatedItem;
      at = next;
      DescriptorStatus status = Apply(item);
      if (status != DescriptorStatus::kOk) return status;
    }
    return depth_ == 0 ? DescriptorStatus::kOk : DescriptorStatus::kUnbalanced;
  }

 private:
  static bool ReadItem(const std::uint8_t* data, std::size_t length, std::size_t at, Item& item,
                       std::size_t& next) {
    const std::uint8_t prefix = data[at];
    if (prefix == kLongItemPrefix) {
      // Long items carry vendor data that no capability depends on: skipped.
      if (length - at < kLongItemHeaderBytes) return false;
      const std::size_t size = data[at + 1];
      if (length - at - kLongItemHeaderBytes < size) return false;
      item.type = 0xFF;
      next = at + kLongItemHeaderBytes + size;
      return true;
    }
    static constexpr std::array<std::size_t, 4> kSizes{0, 1, 2, 4};
    item.size = kSizes[prefix & 0x03];
    item.type = static_cast<std::uint8_t>((prefix >> 2) & 0x03);
    item.tag = static_cast<std::uint8_t>(prefix >> 4);
    if (length - at - 1 < item.size) return false;
    for (std::size_t i = 0; i < item.size; ++i) {
      item.value |= static_cast<std::uint32_t>(data[at + 1 + i]) << (8 * i);
    }
    next = at + 1 + item.size;
    return true;
  }

  DescriptorStatus Apply(const Item& item) {
    switch (item.type) {
      case kMain: return ApplyMain(item);
      case kGlobal: return ApplyGlobal(item);
      case kLocal: return ApplyLocal(item);
      default: return DescriptorStatus::kOk;  // reserved and long items
    }
  }

  // ---- global items ---------------------------------------------------------
  DescriptorStatus ApplyGlobal(const Item& item) {
    switch (item.tag) {
      case kUsagePageTag: globals_.usagePage = static_cast<std::uint16_t>(item.value); break;
      case kReportSizeTag:
        if (item.value > kMaxReportSizeBits) return DescriptorStatus::kFieldTooLarge;
        globals_.reportSize = item.value;
        break;
      case kReportCountTag:
        if (item.value > kMaxReportCount) return DescriptorStatus::kFieldTooLarge;
        globals_.reportCount = item.value;
        break;
      case kReportIdTag:
        if (item.value == 0 || item.value > kMaxReportId) return DescriptorStatus::kBadReportId;
        globals_.reportId = static_cast<std::uint8_t>(item.value);
        break;
      case kPushTag:
        if (stack_.size() >= kMaxGlobalStackDepth) return DescriptorStatus::kTooDeep;
        stack_.push_back(globals_);
        break;
      case kPopTag:
        if (stack_.empty()) return DescriptorStatus::kUnbalanced;
        globals_ = stack_.back();
        stack_.pop_back();
        break;
      default: break;  // logical and physical extents, units: not part of the caps
    }
    return DescriptorStatus::kOk;
  }

  // ---- local items ----------------------------------------------------------
  DescriptorStatus ApplyLocal(const Item& item) {
    if (item.tag == kUsageTag)
      return AddUsage({item.value, item.value, item.size == kExtendedUsageBytes, false});
    if (item.tag == kUsageMinimumTag) {
      locals_.pendingMin = item.value;
      locals_.pendingMinSize = item.size;
      locals_.haveMin = true;
    } else if (item.tag == kUsageMaximumTag && locals_.haveMin) {
      locals_.haveMin = false;
      return AddUsage(
          {locals_.pendingMin, item.value, locals_.pendingMinSize == kExtendedUsageBytes, true});
    }
    return DescriptorStatus::kOk;
  }

  DescriptorStatus AddUsage(const LocalUsage& usage) {
    if (locals_.usages.size() >= kMaxLocalUsages) return DescriptorStatus::kTooManyItems;
    locals_.usages.push_back(usage);
    return DescriptorStatus::kOk;
  }

  std::uint16_t PageOf(const LocalUsage& usage) const {
    return usage.minHasPage ? static_cast<std::uint16_t>(usage.min >> 16) : globals_.usagePage;
  }

  // ---- main items -----------------------------------------------------------
  DescriptorStatus ApplyMain(const Item& item) {
    DescriptorStatus status = DescriptorStatus::kOk;
    switch (item.tag) {
      case kInputTag: status = AddField(ReportKind::kInput, item.value); break;
      case kOutputTag: status = AddField(ReportKind::kOutput, item.value); break;
      case kFeatureTag: status = AddField(ReportKind::kFeature, item.value); break;
      case kCollectionTag: status = OpenCollection(); break;
      case kEndCollectionTag: status = CloseCollection(); break;
      default: break;
    }
    locals_ = Locals{};
    return status;
  }

  DescriptorStatus OpenCollection() {
    if (depth_ >= kMaxCollectionDepth) return DescriptorStatus::kTooDeep;
    if (depth_ == 0) {
      if (tops_.size() >= kMaxTopCollections) return DescriptorStatus::kTooManyItems;
      TopCollection top;
      if (!locals_.usages.empty()) {
        top.caps.usagePage = PageOf(locals_.usages.front());
        top.caps.usage = static_cast<std::uint16_t>(locals_.usages.front().min);
      } else {
        top.caps.usagePage = globals_.usagePage;
      }
      tops_.push_back(std::move(top));
      nextLink_ = 0;
    }
    links_.push_back(nextLink_++);
    ++depth_;
    return DescriptorStatus::kOk;
  }

  DescriptorStatus CloseCollection() {
    if (depth_ == 0) return DescriptorStatus::kUnbalanced;
    --depth_;
    links_.pop_back();
    if (depth_ == 0) Finish(tops_.back());
    return DescriptorStatus::kOk;
  }

  DescriptorStatus AddField(ReportKind kind, std::uint32_t flags) {
    if (kind == ReportKind::kInput && globals_.reportId != 0) result_.numberedInput = true;
    if (depth_ == 0) return DescriptorStatus::kOk;  // a field of no collection reaches no caller
    TopCollection& top = tops_.back();
    std::uint32_t& bits = top.reportBits[static_cast<std::size_t>(kind)][globals_.reportId];
    bits += globals_.reportSize * globals_.reportCount;  // both bounded: no overflow
    if (bits > kMaxReportBytes * 8) return DescriptorStatus::kFieldTooLarge;
    if ((flags & kConstantFlag) != 0 || globals_.reportCount == 0) return DescriptorStatus::kOk;
    return AddItemCaps(top.caps, kind, (flags & kVariableFlag) == 0);
  }

  DescriptorStatus AddItemCaps(Caps& caps, ReportKind kind, bool isArray) {
    ItemCaps base;
    base.kind = kind;
    base.isButton = isArray || globals_.reportSize == 1;
    base.reportId = globals_.reportId;
    base.linkCollection = links_.back();
    base.bitSize = static_cast<std::uint16_t>(globals_.reportSize);
    base.usagePage = globals_.usagePage;
    if (locals_.usages.empty()) return Push(caps, base, globals_.reportCount);
    return AddUsageCaps(caps, base, isArray);
  }

  // A variable field with single usages gives each usage one field; the last
  // usage covers the fields left over. Ranges and array fields take the
  // field's whole count.
  DescriptorStatus AddUsageCaps(Caps& caps, ItemCaps base, bool isArray) {
    const std::uint32_t count = globals_.reportCount;
    const std::size_t usable = std::min<std::size_t>(locals_.usages.size(), count);
    for (std::size_t i = 0; i < usable; ++i) {
      const LocalUsage& usage = locals_.usages[i];
      ItemCaps cap = base;
      cap.usagePage = PageOf(usage);
      cap.isRange = usage.isRange;
      cap.usageMin = static_cast<std::uint16_t>(usage.min);
      cap.usageMax = static_cast<std::uint16_t>(usage.isRange ? usage.max : usage.min);
      std::uint32_t fields = 1;
      if (isArray || usage.isRange)
        fields = count;
      else if (i + 1 == usable)
        fields = count - static_cast<std::uint32_t>(i);
      DescriptorStatus status = Push(caps, cap, fields);
      if (status != DescriptorStatus::kOk) return status;
    }
    return DescriptorStatus::kOk;
  }

  DescriptorStatus Push(Caps& caps, ItemCaps cap, std::uint32_t fields) {
    if (++itemCount_ > kMaxItemCaps) return DescriptorStatus::kTooManyItems;
    cap.reportCount = static_cast<std::uint16_t>(fields);
    caps.items.push_back(cap);
    return DescriptorStatus::kOk;
  }

  // Lengths as Windows gives them: the longest report of the kind plus the
  // report ID byte, which is there (as 0) for unnumbered reports too.
  void Finish(TopCollection& top) {
    top.caps.inputReportByteLength = LongestReport(top.reportBits[0]);
    top.caps.outputReportByteLength = LongestReport(top.reportBits[1]);
    top.caps.featureReportByteLength = LongestReport(top.reportBits[2]);
    result_.collections.push_back(top.caps);
  }

  static std::uint16_t LongestReport(const std::map<std::uint8_t, std::uint32_t>& reports) {
    std::uint32_t longest = 0;
    for (const auto& [id, bits] : reports) {
      if (bits > 0) longest = std::max(longest, (bits + 7) / 8 + 1);
    }
    return static_cast<std::uint16_t>(longest);
  }

  ReportDescriptor& result_;
  Globals globals_;
  std::vector<Globals> stack_;
  Locals locals_;
  std::vector<TopCollection> tops_;
  std::vector<std::uint16_t> links_;
  std::uint16_t nextLink_ = 0;
  std::size_t depth_ = 0;
  std::size_t itemCount_ = 0;
};

}  // namespace

DescriptorStatus ParseReportDescriptor(const std::uint8_t* data, std::size_t length,
                                       ReportDescriptor& result) {
  result = ReportDescriptor{};
  if (length > kMaxDescriptorBytes) return DescriptorStatus::kTooLong;
  if (data == nullptr || length == 0) return DescriptorStatus::kOk;
  ReportDescriptor parsed;
  DescriptorStatus status = Parser(parsed).Run(data, length);
  if (status == DescriptorStatus::kOk) result = std::move(parsed);
  return status;
}

}  // namespace vexaro::hid::hidraw
