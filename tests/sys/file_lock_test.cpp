// The lock between processes: a second lock of one file is turned away until
// the first is released, also within one process.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/sys/file_lock.h"
#include "tests/support/temp_path.h"

namespace vexaro::sys {
namespace {

TEST(FileLock, SecondHolderIsTurnedAwayUntilTheFirstReleases) {
  const std::string path = test_support::ProcessTempPath("vexaro-file-lock", ".lock");
  {
    FileLock first, second;
    ASSERT_EQ(first.TryAcquire(path), FileLock::Result::kAcquired);
    EXPECT_EQ(second.TryAcquire(path), FileLock::Result::kHeld);
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_EQ(second.TryAcquire(path), FileLock::Result::kAcquired);
  }
  FileLock again;
  EXPECT_EQ(again.TryAcquire(path), FileLock::Result::kAcquired);  // ended with its holder
  again.Release();
  std::remove(path.c_str());
  EXPECT_EQ(again.TryAcquire(path + "/no/such/folder"), FileLock::Result::kFailed);
}

}  // namespace
}  // namespace vexaro::sys
