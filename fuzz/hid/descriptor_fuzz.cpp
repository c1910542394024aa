// Any bytes as a device's report descriptor: the parser must refuse them or
// give collections whose lengths and capabilities stay within its bounds.
#include <cstdint>
#include <cstdlib>

#include "platform/linux/hid_report_descriptor.h"

namespace {

using namespace vexaro::hid;

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckCollection(const Caps& caps) {
  constexpr std::uint32_t kLongest = hidraw::kMaxReportBytes + 1;  // with the id byte
  Check(caps.inputReportByteLength <= kLongest);
  Check(caps.outputReportByteLength <= kLongest);
  Check(caps.featureReportByteLength <= kLongest);
  Check(caps.items.size() <= hidraw::kMaxItemCaps);
  for (const ItemCaps& item : caps.items) {
    Check(item.bitSize <= hidraw::kMaxReportSizeBits);
    Check(item.reportCount <= hidraw::kMaxReportCount);
    Check(item.isRange || item.usageMin == item.usageMax);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  hidraw::ReportDescriptor result;
  const hidraw::DescriptorStatus status = hidraw::ParseReportDescriptor(data, size, result);
  if (status != hidraw::DescriptorStatus::kOk) {
    Check(result.collections.empty() && !result.numberedInput);
    return 0;
  }
  Check(result.collections.size() <= hidraw::kMaxTopCollections);
  for (const Caps& caps : result.collections) CheckCollection(caps);
  return 0;
}
