#include "bootstrap/installer_config.h"

#include <gtest/gtest.h>

#include "win_test_support.h"

namespace kolvar::bootstrap {
namespace {

TEST(InstallerConfig, DiskCountThroughTheSystemProfileReader) {
  struct Case {
    const char* file;  // nullptr: no file at all
    int expected;
  };
  const Case cases[] = {
      {nullptr, 6},
      {"[General]\r\n", 6},
      {"[Other]\r\nNrDiscuri=2\r\n", 6},
      {"[General]\r\nNrDiscuri=1\r\n", 1},
      {"[general]\r\nnrdiscuri = 4 \r\n", 4},
      {"[General]\r\nNrDiscuri=3 discuri\r\n", 3},
      {"[General]\r\nNrDiscuri=abc\r\n", 0},
      {"[General]\r\nNrDiscuri=-2\r\n", 0},
  };
  for (const auto& c : cases) {
    testing::TempFolder folder(L"cfg");
    if (c.file)
      testing::WriteFile(folder / L"INSTKOLV.CFG", c.file);
    EXPECT_EQ(ReadDiskCount(folder.path() + L"\\"), c.expected) << (c.file ? c.file : "<none>");
    EXPECT_EQ(ReadDiskCount(folder.path()), c.expected) << "without trailing backslash";
  }
}

}  // namespace
}  // namespace kolvar::bootstrap
