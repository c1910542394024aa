// From the HID parser's capability arrays to the platform's Caps.
#include "platform/windows/hid_win_caps.h"

namespace vexaro::hid::win {
namespace {

constexpr HIDP_REPORT_TYPE kReportTypes[3] = {HidP_Input, HidP_Output, HidP_Feature};
constexpr ReportKind kKinds[3] = {ReportKind::kInput, ReportKind::kOutput, ReportKind::kFeature};

USHORT ButtonCount(const HIDP_CAPS& caps, int kind) {
  const USHORT counts[3] = {caps.NumberInputButtonCaps, caps.NumberOutputButtonCaps,
                            caps.NumberFeatureButtonCaps};
  return counts[kind];
}

USHORT ValueCount(const HIDP_CAPS& caps, int kind) {
  const USHORT counts[3] = {caps.NumberInputValueCaps, caps.NumberOutputValueCaps,
                            caps.NumberFeatureValueCaps};
  return counts[kind];
}

// Usage page, link collection and usage 0 ask for every capability. The
// parser writes back how many it gave; more than there is room for is damage.
template <typename Entry, typename Call>
bool ReadArray(Call call, HIDP_REPORT_TYPE type, USHORT announced, PHIDP_PREPARSED_DATA preparsed,
               std::vector<Entry>& out) {
  out.assign(announced, Entry{});
  if (announced == 0) return true;
  USHORT length = announced;
  if (call(type, 0, 0, 0, out.data(), &length, preparsed) != HIDP_STATUS_SUCCESS ||
      length > announced)
    return false;
  out.resize(length);
  return true;
}

// What button and value capabilities have alike.
template <typename Entry>
ItemCaps CommonItem(const Entry& e, ReportKind kind) {
  ItemCaps item;
  item.kind = kind;
  item.reportId = e.ReportID;
  item.usagePage = e.UsagePage;
  item.linkCollection = e.LinkCollection;
  item.isRange = e.IsRange != 0;
  item.usageMin = e.IsRange ? e.Range.UsageMin : e.NotRange.Usage;
  item.usageMax = e.IsRange ? e.Range.UsageMax : e.NotRange.Usage;
  return item;
}

ItemCaps ButtonItem(const HIDP_BUTTON_CAPS& b, ReportKind kind) {
  ItemCaps item = CommonItem(b, kind);
  item.isButton = true;
  item.bitSize = 1;
  item.reportCount = 1;
  return item;
}

ItemCaps ValueItem(const HIDP_VALUE_CAPS& v, ReportKind kind) {
  ItemCaps item = CommonItem(v, kind);
  item.bitSize = v.BitSize;
  item.reportCount = v.ReportCount;
  return item;
}

}  // namespace

bool ReadParsedCaps(const WinHidApi& api, PHIDP_PREPARSED_DATA preparsed, ParsedCaps& parsed) {
  if (api.HidP_GetCaps(preparsed, &parsed.caps) != HIDP_STATUS_SUCCESS) return false;
  for (int kind = 0; kind < 3; ++kind) {
    if (!ReadArray(api.HidP_GetSpecificButtonCaps, kReportTypes[kind],
                   ButtonCount(parsed.caps, kind), preparsed, parsed.buttons[kind]) ||
        !ReadArray(api.HidP_GetSpecificValueCaps, kReportTypes[kind],
                   ValueCount(parsed.caps, kind), preparsed, parsed.values[kind]))
      return false;
  }
  return true;
}

Caps ToPlatformCaps(const ParsedCaps& parsed) {
  Caps caps;
  caps.usage = parsed.caps.Usage;
  caps.usagePage = parsed.caps.UsagePage;
  caps.inputReportByteLength = parsed.caps.InputReportByteLength;
  caps.outputReportByteLength = parsed.caps.OutputReportByteLength;
  caps.featureReportByteLength = parsed.caps.FeatureReportByteLength;
  for (int kind = 0; kind < 3; ++kind) {
    for (const HIDP_BUTTON_CAPS& b : parsed.buttons[kind]) caps.items.push_back(ButtonItem(b, kKinds[kind]));
    for (const HIDP_VALUE_CAPS& v : parsed.values[kind]) caps.items.push_back(ValueItem(v, kKinds[kind]));
  }
  return caps;
}

}  // namespace vexaro::hid::win
