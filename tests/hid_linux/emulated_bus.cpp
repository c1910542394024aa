// The emulated bus on umockdev's C interface.
#include "tests/hid_linux/emulated_bus.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>
#include <umockdev.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace vexaro::hid::test {
namespace {

struct Plugged {
  std::vector<std::string> syspaths;  // parents first
  UMockdevIoctlBase* handler = nullptr;
  std::shared_ptr<NodeState> state;
};

std::string Take(gchar* text) {
  std::string copy = text == nullptr ? "" : text;
  g_free(text);
  return copy;
}

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value & 0xFFFFu);
  return text;
}

// Answers the ioctl through the client's memory, as the kernel would.
void Answer(UMockdevIoctlClient* client, std::size_t size, const void* bytes, long result) {
  GError* error = nullptr;
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, &error);
  if (data == nullptr) {
    g_clear_error(&error);
    umockdev_ioctl_client_complete(client, -1, EFAULT);
    return;
  }
  std::memcpy(data->data, bytes,
              std::min<std::size_t>(size, static_cast<std::size_t>(data->data_len)));
  umockdev_ioctl_client_complete(client, result, 0);
}

struct HandlerContext {
  std::shared_ptr<NodeState> state;
  std::vector<std::uint8_t> descriptor;
};

// The errno a call fails with: a pulled-out device fails everything.
int FailureOf(const NodeState& state, int ownRefusal) {
  return state.goneErrno != 0 ? state.goneErrno : ownRefusal;
}

gboolean OnIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto* context = static_cast<HandlerContext*>(user);
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (request == HIDIOCGRDESCSIZE) {
    const int size = static_cast<int>(context->descriptor.size());
    Answer(client, sizeof size, &size, 0);
    return TRUE;
  }
  if (request == HIDIOCGRDESC) {
    hidraw_report_descriptor raw{};
    raw.size = static_cast<std::uint32_t>(context->descriptor.size());
    std::memcpy(raw.value, context->descriptor.data(), context->descriptor.size());
    Answer(client, sizeof raw, &raw, 0);
    return TRUE;
  }
  if (_IOC_TYPE(request) == 'H' && _IOC_NR(request) == _IOC_NR(HIDIOCGINPUT(0))) {
    const std::size_t length = _IOC_SIZE(request);
    std::vector<std::uint8_t> answer(length, 0);
    std::lock_guard lock(context->state->mutex);
    GError* error = nullptr;
    UMockdevIoctlData* data =
        umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, &error);
    g_clear_error(&error);
    context->state->lastGetReportId = data != nullptr && data->data_len > 0 ? data->data[0] : 0xFF;
    ++context->state->getReportCalls;
    context->state->changed.notify_all();
    if (const int refusal = FailureOf(*context->state, context->state->getReportErrno)) {
      umockdev_ioctl_client_complete(client, -1, refusal);
      return TRUE;
    }
    if (context->state->getReportAnswer.empty()) {
      umockdev_ioctl_client_complete(client, -1, EPIPE);  // a stalled request
      return TRUE;
    }
    const auto& report = context->state->getReportAnswer;
    std::memcpy(answer.data(), report.data(), std::min(length, report.size()));
    Answer(client, length, answer.data(), static_cast<long>(std::min(length, report.size())));
    return TRUE;
  }
  umockdev_ioctl_client_complete(client, -1, ENOTTY);
  return TRUE;
}

gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto* context = static_cast<HandlerContext*>(user);
  UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
  std::lock_guard lock(context->state->mutex);
  if (context->state->goneErrno != 0 || context->state->inputQueue.empty()) {
    umockdev_ioctl_client_complete(client, -1, FailureOf(*context->state, EAGAIN));
    return TRUE;
  }
  std::vector<std::uint8_t> report = std::move(context->state->inputQueue.front());
  context->state->inputQueue.pop_front();
  const std::size_t n = std::min(report.size(), static_cast<std::size_t>(buffer->data_len));
  std::memcpy(buffer->data, report.data(), n);
  umockdev_ioctl_client_complete(client, static_cast<long>(n), 0);
  return TRUE;
}

gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto* context = static_cast<HandlerContext*>(user);
  UMockdevIoctlData* buffer = umockdev_ioctl_client_get_arg(client);
  std::lock_guard lock(context->state->mutex);
  if (context->state->goneErrno != 0) {
    umockdev_ioctl_client_complete(client, -1, context->state->goneErrno);
    return TRUE;
  }
  context->state->written.emplace_back(buffer->data, buffer->data + buffer->data_len);
  if (context->state->onWrite) context->state->onWrite(*context->state);
  context->state->changed.notify_all();
  umockdev_ioctl_client_complete(client, buffer->data_len, 0);
  return TRUE;
}

}  // namespace

struct EmulatedBus::Impl {
  UMockdevTestbed* bed = umockdev_testbed_new();
  std::mutex mutex;
  std::map<int, Plugged> plugged;
  std::vector<std::unique_ptr<HandlerContext>> contexts;  // live as long as the bed
};

EmulatedBus& EmulatedBus::Instance() {
  static EmulatedBus bus;
  return bus;
}

EmulatedBus::EmulatedBus() : impl_(std::make_shared<Impl>()) {}

std::string EmulatedBus::RootDir() const {
  gchar* dir = umockdev_testbed_get_root_dir(impl_->bed);
  std::string text = dir;
  g_free(dir);
  return text;
}

std::shared_ptr<NodeState> EmulatedBus::Plug(int number, const EmulatedKeyboard& keyboard) {
  std::lock_guard lock(impl_->mutex);
  UMockdevTestbed* bed = impl_->bed;
  const std::string n = std::to_string(number);
  const std::string vid = Hex4(keyboard.vendorId), pid = Hex4(keyboard.productId);
  Plugged p;
  p.syspaths.push_back(Take(umockdev_testbed_add_device(
      bed, "usb", (keyboard.usbName.empty() ? "usb" + n : keyboard.usbName).c_str(), nullptr, "idVendor", vid.c_str(), "idProduct", pid.c_str(),
      "bcdDevice", Hex4(keyboard.version).c_str(), nullptr, "DEVTYPE", "usb_device", nullptr)));
  char mi[4];
  std::snprintf(mi, sizeof mi, "%02x", keyboard.interfaceNumber);
  p.syspaths.push_back(Take(umockdev_testbed_add_device(
      bed, "usb", ("usb" + n + ":1.0").c_str(), p.syspaths[0].c_str(), "bInterfaceNumber", mi,
      nullptr, "DEVTYPE", "usb_interface", nullptr)));
  char hidName[32], hidId[32];
  std::snprintf(hidName, sizeof hidName, "0003:%04X:%04X.%04X", keyboard.vendorId,
                keyboard.productId, number);
  std::snprintf(hidId, sizeof hidId, "0003:%08X:%08X", keyboard.vendorId, keyboard.productId);
  p.syspaths.push_back(Take(umockdev_testbed_add_device(bed, "hid", hidName, p.syspaths[1].c_str(),
                                                        nullptr, "HID_ID", hidId, nullptr)));
  umockdev_testbed_set_attribute_binary(bed, p.syspaths[2].c_str(), "report_descriptor",
                                        const_cast<guint8*>(keyboard.descriptor.data()),
                                        static_cast<gint>(keyboard.descriptor.size()));
  auto context = std::make_unique<HandlerContext>();
  context->state = std::make_shared<NodeState>();
  context->descriptor = keyboard.descriptor;
  p.state = context->state;
  p.handler = umockdev_ioctl_base_new();
  g_signal_connect(p.handler, "handle-ioctl", G_CALLBACK(OnIoctl), context.get());
  g_signal_connect(p.handler, "handle-read", G_CALLBACK(OnRead), context.get());
  g_signal_connect(p.handler, "handle-write", G_CALLBACK(OnWrite), context.get());
  const std::string devnode = "/dev/hidraw" + n;
  // A device record rather than add_device: only a record's "N:" line makes
  // umockdev create the /dev node.
  const std::string syspath = p.syspaths[2] + "/hidraw/hidraw" + n;
  const std::string record = "P: " + syspath.substr(std::strlen("/sys")) + "\nN: hidraw" + n +
                             "\nE: DEVNAME=" + devnode + "\nE: SUBSYSTEM=hidraw\nA: dev=241:" + n +
                             "\n";
  GError* recordError = nullptr;
  if (!umockdev_testbed_add_from_string(bed, record.c_str(), &recordError)) {
    std::fprintf(stderr, "emulated bus: %s\n", recordError->message);
  }
  g_clear_error(&recordError);
  p.syspaths.push_back(syspath);
  GError* error = nullptr;
  if (!umockdev_testbed_attach_ioctl(bed, devnode.c_str(), p.handler, &error)) {
    std::fprintf(stderr, "emulated bus: %s\n", error != nullptr ? error->message : "attach failed");
  }
  g_clear_error(&error);
  impl_->contexts.push_back(std::move(context));
  std::shared_ptr<NodeState> state = p.state;
  impl_->plugged[number] = std::move(p);
  return state;
}

void EmulatedBus::Unplug(int number) {
  std::lock_guard lock(impl_->mutex);
  auto it = impl_->plugged.find(number);
  if (it == impl_->plugged.end()) return;
  for (auto s = it->second.syspaths.rbegin(); s != it->second.syspaths.rend(); ++s) {
    umockdev_testbed_uevent(impl_->bed, s->c_str(), "remove");
    umockdev_testbed_remove_device(impl_->bed, s->c_str());
  }
  GError* error = nullptr;
  umockdev_testbed_detach_ioctl(impl_->bed, ("/dev/hidraw" + std::to_string(number)).c_str(),
                                &error);
  g_clear_error(&error);
  g_object_unref(it->second.handler);
  impl_->plugged.erase(it);
}

}  // namespace vexaro::hid::test
