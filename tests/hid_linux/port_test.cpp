// Keyboards of one model on two USB ports, on emulated nodes: each interface
// gives the port chain of its USB device, and a process that follows one
// port lists, opens, writes to and hears of that keyboard's node only.
#include <gtest/gtest.h>

#include "platform/hid/hid.h"
#include "tests/hid_linux/backend_fixture.h"

namespace vexaro::hid {
namespace {

EmulatedKeyboard AtPort(EmulatedKeyboard keyboard, const char* port) {
  keyboard.usbName = port;
  return keyboard;
}

class HidrawPorts : public HidrawBackend {
 protected:
  void TearDown() override {
    FollowPort({});
    HidrawBackend::TearDown();
  }
};

TEST_F(HidrawPorts, EachInterfaceGivesThePortChainOfItsUsbDevice) {
  Plug(31, AtPort(kApplication, "1-2"));
  Plug(32, AtPort(kLoader, "1-3.4"));
  const struct {
    std::string path;
    const char* port;
  } cases[] = {
      {ApplicationPath(31, 1), "1-2"},
      {ApplicationPath(31, 2), "1-2"},
      {LoaderPath(32), "1-3.4"},
      {LoaderPath(33), ""},                          // no such node
      {"/dev/hidraw32?vid_3c9a&pid_0a21&mi_01", ""},  // another device now
      {"not a path", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PortOf(c.path), c.port) << c.path;
}

TEST_F(HidrawPorts, FollowingAPortListsOpensAndHearsOfThatNodeOnly) {
  // Each USB device name once in the test bed, which lives as long as the program.
  auto first = Plug(34, AtPort(kLoader, "2-2"));
  auto second = Plug(35, AtPort(kLoader, "2-3.4"));
  FollowPort("2-3.4");
  const std::vector<std::string> paths = EnumerateInterfaces();
  ASSERT_EQ(paths, std::vector<std::string>{LoaderPath(35)});

  const Handle h = OpenKept(paths.front(), Access::kWrite);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {0, 0x55};
  ASSERT_TRUE(WriteReport(h, report, sizeof report));
  {
    std::lock_guard lock(second->mutex);
    EXPECT_EQ(second->written.size(), 1u);
  }
  {
    std::lock_guard lock(first->mutex);
    EXPECT_TRUE(first->written.empty());
  }

  // An arrival at another port is not heard of; one at the followed port is.
  FollowPort("3-1");
  EventLog log;
  Plug(36, AtPort(kApplication, "3-2"));
  Plug(37, AtPort(kApplication, "3-1"));
  ASSERT_TRUE(log.WaitFor(2));
  for (const DeviceEvent& e : log.Events()) {
    EXPECT_EQ(e.kind, DeviceEventKind::kInterfaceArrival);
    EXPECT_EQ(e.path.rfind("/dev/hidraw37", 0), 0u) << e.path;
  }
}

}  // namespace
}  // namespace vexaro::hid
