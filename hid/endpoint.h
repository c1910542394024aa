// One opened HID collection inside a HID monitor: its handle, capabilities and
// report buffers, the reader thread that hands input reports to a callback,
// and the write and GET_REPORT paths. Internal to the HID layer.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hid/hid_monitor.h"
#include "platform/gui/types.h"
#include "platform/hid/hid.h"

namespace vexaro::usb {

// One button capability (with the usage list it would need) or one value usage.
struct HID_REPORT_ITEM {
  std::uint8_t bIsButton = 0;
  std::uint8_t reserved = 0;
  std::uint16_t usagePage = 0;
  std::uint32_t status = 0;  // always success: items are made from checked capabilities
  std::uint32_t reportId = 0;
  std::uint32_t usageMin = 0;  // button items
  std::uint32_t usageMax = 0;
  std::uint32_t maxUsageListLength = 0;
  std::vector<std::uint16_t> usageList;
  std::uint16_t usage = 0;  // value items
};

// What a collection knows of one report kind (input, output or feature).
struct HID_REPORT_SET {
  std::vector<std::uint8_t> buffer;  // the kind's report byte length, zeroed
  std::vector<HID_REPORT_ITEM> items;
  std::vector<hid::ItemCaps> buttonCaps;
  std::vector<hid::ItemCaps> valueCaps;
};

struct HID_COLLECTION {
  hid::Handle handle = hid::kInvalidHandle;
  std::string path;
  hid::Caps caps;
  hid::Attributes attributes;
  HID_REPORT_SET input, output, feature;
};

struct HID_ENDPOINT {
  std::uint16_t wDeviceID = 0;
  HID_COLLECTION collection;
  gui::HDEVNOTIFY handleNotify = nullptr;
  std::thread reader;
  std::mutex* csIo = nullptr;
  const std::atomic<bool>* suspended = nullptr;
  INPUT_REPORT_PROC callback = nullptr;
  // Reader shutdown: the flag asks, the reader answers by setting exited.
  std::atomic<bool> stopReader{false};
  std::mutex readerLock;
  std::condition_variable readerCv;
  bool readerExited = false;
};

using EndpointList = std::list<std::unique_ptr<HID_ENDPOINT>>;

// Opens path for reading and writing; true when it matches config (vendor,
// product, one of the usage pairs) and is left open with its reports described.
bool OpenCollection(const std::string& path, const HID_MONITOR_CONFIG& config,
                    HID_COLLECTION& collection);
// The same; when path would not open and is a collection config asks for,
// refusal says why (otherwise its reason is kNone).
bool OpenCollection(const std::string& path, const HID_MONITOR_CONFIG& config,
                    HID_COLLECTION& collection, hid::Error& refusal);
// Sizes the buffers and fills the item lists of the three report kinds. A kind
// whose capability data is implausible is left without items.
bool DescribeReports(HID_COLLECTION& collection);
void CloseCollection(HID_COLLECTION& collection);

// The reader: reads until StopReader; pauses while the monitor is suspended.
void ReaderThreadProc(HID_ENDPOINT* endpoint);
void ReadReportOnce(HID_ENDPOINT* endpoint);
bool StartReader(HID_ENDPOINT* endpoint);
// Cancels the pending read and joins the reader. 1 stopped or no reader.
int StopReader(HID_ENDPOINT* endpoint);

HID_ENDPOINT* FindEndpoint(const EndpointList& list, std::uint16_t deviceId);

// The report id every written report and GET_REPORT request carries; false
// when the collection has no output items.
bool OutputReportId(const HID_COLLECTION& collection, std::uint8_t& reportId);
int WriteEndpoint(HID_ENDPOINT* endpoint, const std::uint8_t* data, std::uint32_t length);
int GetEndpointInputReport(HID_ENDPOINT* endpoint, std::uint8_t* data, std::uint32_t length);

}  // namespace vexaro::usb
