#include <gtest/gtest.h>

#include "platform/sys/sys.h"

#include <fstream>

TEST(ModulePath, NamesThisTestProgramAndOpens) {
  std::string path;
  ASSERT_TRUE(vexaro::sys::GetModuleFilePath(path));
  EXPECT_NE(path.find("sys_tests"), std::string::npos) << path;
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file.good());
}

