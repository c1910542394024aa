// The whole Windows backend through the platform's Backend interface, over
// the fake table: SetupAPI enumeration, the open modes, attributes and caps,
// reports, cancel and close, pending installations, and every call's failure.
#include <gtest/gtest.h>

#include <thread>

#include "fake_hid_system.h"
#include "platform/windows/hid_win_backend.h"

namespace vexaro::hid::win {
namespace {

using testing::Counters;
using testing::FakeInterface;

const std::string kKeyboard = "\\\\?\\HID#VID_3C9A&PID_0A21&MI_01#8&1f&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::string kMouse = "\\\\?\\hid#vid_046d&pid_c077#7&2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::string kBroken = "\\\\?\\hid#vid_dead&pid_beef#1#{4d1e55b2-f16f-11cf-88cb-001111000030}";

FakeInterface Device(const std::string& path, USHORT vid, USHORT pid) {
  FakeInterface fi;
  fi.path = path;
  fi.attributes.VendorID = vid;
  fi.attributes.ProductID = pid;
  fi.attributes.VersionNumber = 0x0110;
  fi.caps.Usage = 1;
  fi.caps.UsagePage = 0xFF00;
  fi.caps.InputReportByteLength = 65;
  fi.caps.OutputReportByteLength = 65;
  return fi;
}

class WinHidBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::SetClassDevsFail(false);
    testing::SetPendingInstallAnswer(WAIT_OBJECT_0);
    testing::SetFakeInterfaces({Device(kKeyboard, 0x3C9A, 0x0A21), Device(kMouse, 0x046D, 0xC077)});
  }
  std::string Lower(const std::string& path) { return backend->EnumerateInterfaces().at(path == kKeyboard ? 0 : 1); }
  std::unique_ptr<Backend> backend = MakeWindowsHidBackend(testing::FakeApi());
};

TEST_F(WinHidBackend, EnumeratesInSetupApiOrderInLowerCase) {
  FakeInterface broken = Device(kBroken, 1, 2);
  broken.detailFails = true;
  testing::SetFakeInterfaces({Device(kKeyboard, 0x3C9A, 0x0A21), broken, Device(kMouse, 0x046D, 0xC077)});
  const std::vector<std::string> paths = backend->EnumerateInterfaces();
  ASSERT_EQ(paths.size(), 2u) << "an interface without detail is left out";
  EXPECT_NE(paths[0].find("vid_3c9a&pid_0a21&mi_01"), std::string::npos);
  EXPECT_NE(paths[1].find("vid_046d&pid_c077"), std::string::npos);
  EXPECT_EQ(Counters().classSetsMade, 1);
  EXPECT_EQ(Counters().classSetsDestroyed, 1);
}

TEST_F(WinHidBackend, NoClassSetMeansAnEmptyBus) {
  testing::SetClassDevsFail(true);
  EXPECT_TRUE(backend->EnumerateInterfaces().empty());
  EXPECT_EQ(Counters().classSetsDestroyed, 0);
}

TEST_F(WinHidBackend, EachOpenModeAsksForItsRightsAndOverlap) {
  const std::string path = Lower(kKeyboard);
  struct Mode { Access access; DWORD rights; DWORD flags; };
  const Mode modes[] = {{Access::kQuery, 0, 0},
                        {Access::kWrite, GENERIC_WRITE, 0},
                        {Access::kOverlappedRead, GENERIC_READ, FILE_FLAG_OVERLAPPED},
                        {Access::kReadWrite, GENERIC_READ | GENERIC_WRITE, FILE_FLAG_OVERLAPPED}};
  for (const Mode& mode : modes) {
    const Handle h = backend->Open(path, mode.access);
    ASSERT_NE(h, kInvalidHandle);
    EXPECT_EQ(Counters().lastAccess, mode.rights);
    EXPECT_EQ(Counters().lastFlags, mode.flags);
    Attributes attributes;
    Caps caps;
    ASSERT_TRUE(backend->GetAttributes(h, attributes));
    ASSERT_TRUE(backend->GetCaps(h, caps));
    EXPECT_EQ(attributes.vendorId, 0x3C9A);
    EXPECT_EQ(attributes.productId, 0x0A21);
    EXPECT_EQ(attributes.versionNumber, 0x0110);
    EXPECT_EQ(caps.usagePage, 0xFF00);
    EXPECT_EQ(caps.outputReportByteLength, 65);
    EXPECT_TRUE(backend->Close(h));
    EXPECT_FALSE(backend->Close(h));
  }
  EXPECT_EQ(Counters().filesClosed, Counters().filesOpened);
  EXPECT_EQ(Counters().preparsedFreed, Counters().preparsedTaken);
}

TEST_F(WinHidBackend, AnInterfaceThatCannotBeDescribedDoesNotOpenAndLeavesNothingOpen) {
  FakeInterface noAttributes = Device(kKeyboard, 0x3C9A, 0x0A21);
  noAttributes.attributesFail = true;
  FakeInterface noPreparsed = Device(kMouse, 0x046D, 0xC077);
  noPreparsed.preparsedFails = true;
  testing::SetFakeInterfaces({noAttributes, noPreparsed});
  EXPECT_EQ(backend->Open(kKeyboard, Access::kQuery), kInvalidHandle);
  EXPECT_EQ(backend->Open(kMouse, Access::kQuery), kInvalidHandle);
  EXPECT_EQ(backend->Open(kBroken, Access::kQuery), kInvalidHandle);
  EXPECT_EQ(backend->Open("", Access::kQuery), kInvalidHandle);
  EXPECT_EQ(Counters().filesOpened, 2);
  EXPECT_EQ(Counters().filesClosed, 2);
  EXPECT_EQ(Counters().preparsedFreed, Counters().preparsedTaken);
}

TEST_F(WinHidBackend, ReportsTravelBothWaysAndGetReportAnswersAtOnce) {
  const std::string path = Lower(kKeyboard);
  const Handle writer = backend->Open(path, Access::kWrite);
  const HANDLE writerEnd = testing::DeviceEnd(kKeyboard);
  const Handle reader = backend->Open(path, Access::kOverlappedRead);
  const HANDLE readerEnd = testing::DeviceEnd(kKeyboard);
  std::vector<std::uint8_t> out(65, 0);
  out[1] = 0x55;
  ASSERT_TRUE(backend->WriteReport(writer, out.data(), out.size()));
  EXPECT_EQ(testing::ReceiveFromHost(writerEnd), out);

  std::vector<std::uint8_t> in(65, 0xAA);
  ASSERT_TRUE(testing::SendToHost(readerEnd, in));
  std::vector<std::uint8_t> got(65, 0);
  std::size_t count = 0;
  EXPECT_EQ(backend->ReadInputReport(reader, got.data(), got.size(), 1000, &count), ReadResult::kOk);
  EXPECT_EQ(count, 65u);
  EXPECT_EQ(got, in);
  // A handle opened without overlap cannot be read with a time limit.
  EXPECT_EQ(backend->ReadInputReport(writer, got.data(), got.size(), 10, &count), ReadResult::kFailed);
  EXPECT_EQ(count, 0u);

  EXPECT_FALSE(backend->GetInputReport(reader, got.data(), got.size())) << "nothing to say yet";
  backend->Close(reader);
  backend->Close(writer);
}

TEST_F(WinHidBackend, CancelAndCloseEndAWaitingRead) {
  const Handle h = backend->Open(Lower(kKeyboard), Access::kReadWrite);
  for (bool byClose : {false, true}) {
    ReadResult result = ReadResult::kOk;
    testing::ForgetIssuedReads();
    std::thread reader([&] {
      std::uint8_t report[65];
      std::size_t count = 0;
      result = backend->ReadInputReport(h, report, sizeof report, kNoTimeLimit, &count);
    });
    ASSERT_TRUE(testing::WaitForReadIssued());
    // The read may not be waiting yet; a cancel reaches only a read that has
    // begun (its count is taken before it issues), so one call suffices.
    if (byClose) backend->Close(h);
    else backend->CancelIo(h);
    reader.join();
    EXPECT_EQ(result, ReadResult::kCancelled);
  }
  EXPECT_EQ(Counters().filesClosed, 1) << "the file closes once the read has left";
  EXPECT_FALSE(backend->CancelIo(h));
}

TEST_F(WinHidBackend, PendingInstallationsAsPlugAndPlayTells) {
  EXPECT_FALSE(backend->IsInstallPending());
  EXPECT_TRUE(backend->WaitNoPendingInstall(100));
  testing::SetPendingInstallAnswer(WAIT_TIMEOUT);
  EXPECT_TRUE(backend->IsInstallPending());
  EXPECT_FALSE(backend->WaitNoPendingInstall(100));
  testing::SetPendingInstallAnswer(WAIT_FAILED);
  EXPECT_TRUE(backend->IsInstallPending()) << "a failed query counts as pending";
}

}  // namespace
}  // namespace vexaro::hid::win
