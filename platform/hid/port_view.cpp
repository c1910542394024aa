#include "platform/hid/port_view.h"

#include <algorithm>
#include <mutex>

#include "platform/hid/backend.h"

namespace vexaro::hid {
namespace {

struct FollowedPortRecord {
  std::mutex mutex;
  std::string port;
};

FollowedPortRecord& TheFollowedPort() {
  static FollowedPortRecord record;
  return record;
}

}  // namespace

void FollowPort(const std::string& port) {
  FollowedPortRecord& r = TheFollowedPort();
  std::lock_guard lock(r.mutex);
  r.port = port;
}

std::string FollowedPort() {
  FollowedPortRecord& r = TheFollowedPort();
  std::lock_guard lock(r.mutex);
  return r.port;
}

std::vector<std::string> VisibleInterfaces(Backend& backend, std::vector<std::string> paths) {
  const std::string port = FollowedPort();
  if (port.empty()) return paths;
  std::erase_if(paths, [&](const std::string& path) { return backend.PortOf(path) != port; });
  return paths;
}

bool EventVisible(Backend& backend, const DeviceEvent& event) {
  if (event.path.empty() || event.kind == DeviceEventKind::kHandleRemoval) return true;
  const std::string port = FollowedPort();
  if (port.empty()) return true;
  const std::string eventPort = backend.PortOf(event.path);
  return eventPort.empty() || eventPort == port;
}

}  // namespace vexaro::hid
