// Opening, matching, describing and closing one HID collection.
#include <algorithm>

#include "hid/endpoint.h"

namespace vexaro::usb {
namespace {

// Far above any report a HID device can carry at full or high speed; larger
// lengths in capability data are taken as damaged.
constexpr std::size_t kMaxReportBytes = 4096;
// A usage range wider than this, or more items than this in one report kind,
// is taken as damaged capability data.
constexpr std::size_t kMaxItems = 4096;

bool Matches(const HID_COLLECTION& c, const HID_MONITOR_CONFIG& config) {
  if (c.attributes.vendorId != config.dwVendorID || c.attributes.productId != config.dwProductID) {
    return false;
  }
  const std::uint32_t count = std::min<std::uint32_t>(config.dwUsageCount, kMaxUsagePairs);
  for (std::uint32_t i = 0; i < count; ++i) {
    const HID_USAGE_PAIR& p = config.Usages[i];
    if (p.dwUsagePage == c.caps.usagePage && p.dwUsage == c.caps.usage) return true;
  }
  return false;
}

// Whether an interface that refused read-write access is one config asks
// for: by its attributes and caps when a query handle opens (Windows keeps a
// keyboard's own collection from programs but answers queries), else by the
// ids in its path (hidraw without permission refuses every open).
bool RefusedOneMatches(const std::string& path, const HID_MONITOR_CONFIG& config) {
  const hid::Handle query = hid::Open(path, hid::Access::kQuery);
  if (query == hid::kInvalidHandle) {
    return config.dwVendorID <= 0xFFFF && config.dwProductID <= 0xFFFF &&
           hid::PathNamesDevice(path, static_cast<std::uint16_t>(config.dwVendorID),
                                static_cast<std::uint16_t>(config.dwProductID));
  }
  HID_COLLECTION probe;
  const bool described = hid::GetAttributes(query, probe.attributes) && hid::GetCaps(query, probe.caps);
  hid::Close(query);
  return described && Matches(probe, config);
}

std::size_t ReportLength(const hid::Caps& caps, hid::ReportKind kind) {
  switch (kind) {
    case hid::ReportKind::kInput: return caps.inputReportByteLength;
    case hid::ReportKind::kOutput: return caps.outputReportByteLength;
    case hid::ReportKind::kFeature: return caps.featureReportByteLength;
  }
  return 0;
}

std::size_t UsageCount(const hid::ItemCaps& c) {
  return c.isRange ? static_cast<std::size_t>(c.usageMax) - c.usageMin + 1 : 1;
}

// The usage-list length a button item needs: every button usage of its page.
std::uint32_t MaxUsageListLength(const HID_REPORT_SET& set, std::uint16_t usagePage) {
  std::size_t n = 0;
  for (const hid::ItemCaps& c : set.buttonCaps) n += c.usagePage == usagePage ? UsageCount(c) : 0;
  return static_cast<std::uint32_t>(std::min(n, kMaxItems));
}

bool Plausible(const HID_REPORT_SET& set) {
  std::size_t items = set.buttonCaps.size();
  for (const auto* caps : {&set.buttonCaps, &set.valueCaps}) {
    for (const hid::ItemCaps& c : *caps) {
      if (c.isRange && c.usageMin > c.usageMax) return false;
    }
  }
  for (const hid::ItemCaps& c : set.valueCaps) items += UsageCount(c);
  return items <= kMaxItems;
}

void FillItems(HID_REPORT_SET& set) {
  for (const hid::ItemCaps& c : set.buttonCaps) {
    HID_REPORT_ITEM item;
    item.bIsButton = 1;
    item.usagePage = c.usagePage;
    item.reportId = c.reportId;
    item.usageMin = c.usageMin;
    item.usageMax = c.isRange ? c.usageMax : c.usageMin;
    item.maxUsageListLength = MaxUsageListLength(set, c.usagePage);
    item.usageList.assign(item.maxUsageListLength, 0);
    set.items.push_back(std::move(item));
  }
  for (const hid::ItemCaps& c : set.valueCaps) {
    for (std::size_t i = 0; i < UsageCount(c); ++i) {
      HID_REPORT_ITEM item;
      item.usagePage = c.usagePage;
      item.reportId = c.reportId;
      item.usage = static_cast<std::uint16_t>(c.usageMin + i);
      set.items.push_back(std::move(item));
    }
  }
}

bool DescribeKind(HID_COLLECTION& c, hid::ReportKind kind, HID_REPORT_SET& set) {
  const std::size_t length = ReportLength(c.caps, kind);
  if (length > kMaxReportBytes) return false;
  set.buffer.assign(length, 0);
  for (const hid::ItemCaps& item : c.caps.items) {
    if (item.kind != kind) continue;
    (item.isButton ? set.buttonCaps : set.valueCaps).push_back(item);
  }
  if (!Plausible(set)) return false;
  FillItems(set);
  return true;
}

}  // namespace

bool OpenCollection(const std::string& path, const HID_MONITOR_CONFIG& config,
                    HID_COLLECTION& collection) {
  hid::Error ignored;
  return OpenCollection(path, config, collection, ignored);
}

bool OpenCollection(const std::string& path, const HID_MONITOR_CONFIG& config,
                    HID_COLLECTION& collection, hid::Error& refusal) {
  collection = HID_COLLECTION{};
  refusal = {};
  const hid::Handle h = hid::Open(path, hid::Access::kReadWrite);
  if (h == hid::kInvalidHandle) {
    const hid::Error why = hid::LastError();
    if (RefusedOneMatches(path, config)) refusal = why;
    return false;
  }
  collection.handle = h;
  collection.path = path;
  if (!hid::GetAttributes(h, collection.attributes) || !hid::GetCaps(h, collection.caps) ||
      !Matches(collection, config)) {
    CloseCollection(collection);
    return false;
  }
  DescribeReports(collection);
  return true;
}

bool DescribeReports(HID_COLLECTION& collection) {
  return DescribeKind(collection, hid::ReportKind::kInput, collection.input) &&
         DescribeKind(collection, hid::ReportKind::kOutput, collection.output) &&
         DescribeKind(collection, hid::ReportKind::kFeature, collection.feature);
}

void CloseCollection(HID_COLLECTION& collection) {
  if (collection.handle != hid::kInvalidHandle) hid::Close(collection.handle);
  collection = HID_COLLECTION{};
}

bool OutputReportId(const HID_COLLECTION& collection, std::uint8_t& reportId) {
  if (collection.output.items.empty()) return false;
  reportId = static_cast<std::uint8_t>(collection.output.items.front().reportId);
  return true;
}

}  // namespace vexaro::usb
