// Windows error codes to reasons, and the reasons the backend leaves for the
// calling thread when an open or a transfer over the fake table fails.
#include <gtest/gtest.h>

#include "fake_hid_system.h"
#include "platform/hid/hid.h"
#include "platform/windows/hid_win_backend.h"
#include "platform/windows/hid_win_error.h"

namespace vexaro::hid::win {
namespace {

using testing::FakeInterface;

const std::string kLoader = "\\\\?\\hid#vid_04d9&pid_8010#7&2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

FakeInterface Loader() {
  FakeInterface fi;
  fi.path = kLoader;
  fi.attributes.VendorID = 0x04D9;
  fi.attributes.ProductID = 0x8010;
  fi.caps.Usage = 1;
  fi.caps.UsagePage = 0xFF00;
  fi.caps.InputReportByteLength = 65;
  fi.caps.OutputReportByteLength = 65;
  return fi;
}

TEST(WinErrorReason, EachCodeGivesItsReason) {
  struct Case {
    DWORD code;
    Reason reason;
  };
  const Case cases[] = {
      {ERROR_ACCESS_DENIED, Reason::kPermissionDenied},
      {ERROR_DEVICE_NOT_CONNECTED, Reason::kGone},
      {ERROR_FILE_NOT_FOUND, Reason::kGone},
      {ERROR_PATH_NOT_FOUND, Reason::kGone},
      {ERROR_SHARING_VIOLATION, Reason::kBusy},
      {ERROR_BUSY, Reason::kBusy},
      {ERROR_GEN_FAILURE, Reason::kDeviceRefused},
      {ERROR_INVALID_FUNCTION, Reason::kUnsupported},
      {ERROR_NOT_SUPPORTED, Reason::kUnsupported},
      {ERROR_SEM_TIMEOUT, Reason::kTimedOut},
      {ERROR_INVALID_HANDLE, Reason::kOther},
      {0, Reason::kOther},
  };
  for (const Case& c : cases) EXPECT_EQ(ReasonOfWinError(c.code), c.reason) << "code " << c.code;
}

TEST(WinBackendReasons, ARefusedOpenSaysWhyForEachCode) {
  auto backend = MakeWindowsHidBackend(testing::FakeApi());
  const DWORD codes[] = {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_DEVICE_NOT_CONNECTED,
                         ERROR_FILE_NOT_FOUND};
  for (DWORD code : codes) {
    FakeInterface refusing = Loader();
    refusing.openError = code;
    testing::SetFakeInterfaces({refusing});
    EXPECT_EQ(backend->Open(kLoader, Access::kReadWrite), kInvalidHandle);
    EXPECT_EQ(LastError().reason, ReasonOfWinError(code)) << "code " << code;
    EXPECT_EQ(LastError().systemCode, code);
    EXPECT_EQ(LastError().path, kLoader);
  }
}

// A code of a gone device marks the handle: every later call fails with
// kGone at once, also those the system would still answer. A stall does not.
TEST(WinBackendReasons, AGetReportThatFindsTheDeviceGoneFailsEveryLaterCall) {
  struct Case {
    DWORD code;
    bool gone;
  };
  auto backend = MakeWindowsHidBackend(testing::FakeApi());
  for (const Case& c : {Case{ERROR_DEVICE_NOT_CONNECTED, true}, Case{ERROR_DEV_NOT_EXIST, true},
                        Case{ERROR_GEN_FAILURE, false}}) {
    SCOPED_TRACE(c.code);
    FakeInterface loader = Loader();
    loader.getReportError = c.code;
    testing::SetFakeInterfaces({loader});
    const Handle h = backend->Open(kLoader, Access::kReadWrite);
    ASSERT_NE(h, kInvalidHandle);
    std::uint8_t report[65] = {};
    EXPECT_FALSE(backend->GetInputReport(h, report, sizeof report));
    EXPECT_EQ(LastError().systemCode, c.code);
    Attributes attributes;
    Caps caps;
    std::size_t got = 0;
    EXPECT_EQ(backend->GetAttributes(h, attributes), !c.gone);
    EXPECT_EQ(backend->GetCaps(h, caps), !c.gone);
    EXPECT_EQ(backend->WriteReport(h, report, sizeof report), !c.gone);
    if (c.gone) {
      EXPECT_EQ(LastError().reason, Reason::kGone);
      EXPECT_EQ(LastError().path, kLoader);
      EXPECT_EQ(backend->ReadInputReport(h, report, sizeof report, 10, &got), ReadResult::kFailed);
      EXPECT_EQ(LastError().reason, Reason::kGone);
    }
    EXPECT_TRUE(backend->Close(h));
  }
  testing::SetFakeInterfaces({});
}

TEST(WinBackendReasons, AStalledGetReportAndAClosedHandleSayWhy) {
  auto backend = MakeWindowsHidBackend(testing::FakeApi());
  testing::SetFakeInterfaces({Loader()});
  const Handle h = backend->Open(kLoader, Access::kReadWrite);
  ASSERT_NE(h, kInvalidHandle);
  std::uint8_t report[65] = {};
  EXPECT_FALSE(backend->GetInputReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kDeviceRefused);
  EXPECT_NE(LastError().path.find("vid_04d9&pid_8010"), std::string::npos);
  EXPECT_TRUE(backend->Close(h));
  EXPECT_FALSE(backend->WriteReport(h, report, sizeof report));
  EXPECT_EQ(LastError().reason, Reason::kOther);
  testing::SetFakeInterfaces({});
}

}  // namespace
}  // namespace vexaro::hid::win
