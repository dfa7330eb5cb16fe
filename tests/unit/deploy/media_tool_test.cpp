// The media tool end to end: pack, join and extract give back the packed tree.
#include <gtest/gtest.h>

#include "test_files.h"

namespace kolvar::deploy {
namespace {

using namespace testing;

const std::string kTool = KOLVAR_MEDIA_TOOL;

int Tool(const std::string& folder, const std::string& arguments) {
  return Shell(folder, "'" + kTool + "' " + arguments + " >tool.log 2>&1");
}

std::string Noise(size_t size) {
  std::string s(size, '\0');
  uint32_t seed = 5;
  for (char& c : s)
    c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
  return s;
}

TEST(MediaTool, FloppiesRoundTrip) {
  TempDir dir;
  WriteText(dir / "src/EXE/KOLVAR.EXE", Noise(3500000));
  WriteText(dir / "src/EXE/bin/x.dll", "dll");
  WriteText(dir / "src/EXE/\xc8\x99.txt", "s");
  WriteText(dir / "src/HELP/help.htm", std::string(100000, 'h'));
  WriteText(dir / "src/DBDAT/DATA/FIRME.DB", "firme");
  WriteText(dir / "INSTALL.EXE", Noise(300000));
  ASSERT_EQ(Shell(dir / "src",
                  "chmod 444 EXE/bin/x.dll && "
                  "touch -d '2022-02-02 02:02:02' $(find . -type f)"),
            0);
  ASSERT_EQ(Tool(dir.path(),
                 "pack --out media --floppy --installer INSTALL.EXE "
                 "HELP=src/HELP EXE=src/EXE DBDAT=src/DBDAT"),
            0)
      << ReadText(dir / "tool.log");
  // Every disk fits a floppy, counted in 512-byte clusters, and has its marker.
  int disks = 0;
  for (auto& disk : fs::directory_iterator(dir / "media")) {
    ++disks;
    uint64_t used = 0;
    for (auto& f : fs::directory_iterator(disk.path()))
      used += (fs::file_size(f) + 511) / 512 * 512;
    EXPECT_LE(used, 1457664u) << disk.path();
  }
  EXPECT_EQ(disks, 3);
  EXPECT_EQ(ReadText(dir / "media/disk1/INSTALL.CFG"), "[General]\r\nNrDiscuri=3\r\n");
  EXPECT_TRUE(fs::exists(dir / "media/disk3/DISK3"));
  EXPECT_TRUE(fs::exists(dir / "media/disk1/INSTALL.EXE"));
  // In the order the installer unpacks them: EXE first, HELP last.
  EXPECT_TRUE(fs::exists(dir / "media/disk1/EXE.1"));

  ASSERT_EQ(Tool(dir.path(), "join media joined --type CLIENT"), 0) << ReadText(dir / "tool.log");
  EXPECT_FALSE(fs::exists(dir / "joined/DBDAT.ZIP"));
  ASSERT_EQ(Tool(dir.path(), "extract joined/EXE.ZIP out/EXE"), 0) << ReadText(dir / "tool.log");
  ASSERT_EQ(Tool(dir.path(), "extract joined/HELP.ZIP out/HELP"), 0);
  auto out = Snapshot(dir / "out/EXE");
  auto src = Snapshot(dir / "src/EXE");
  EXPECT_EQ(out, src) << Describe(out) << "---\n" << Describe(src);
  EXPECT_EQ(Snapshot(dir / "out/HELP"), Snapshot(dir / "src/HELP"));
}

TEST(MediaTool, ErrorsNameTheFileAndTheCause) {
  TempDir dir;
  WriteText(dir / "bad.zip", "not an archive at all, just text");
  struct Case {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"extract missing.zip out", "missing.zip"},
      {"extract bad.zip out", "bad.zip este deteriorata"},
      {"list bad.zip", "nu este o arhiva ZIP"},
      {"pack --out m --cd EXE=nowhere", "nowhere"},
      {"pack --out m --cd WHAT=.", "unknown component WHAT"},
      {"pack --out m EXE=.", "--cd, --floppy, --disk-size"},
      {"pack --out m --cd EXE=bad.zip", "bad.zip"},
      {"join nomedia out --type LOCAL", "nomedia"},
      {"frobnicate", "unknown command"},
  };
  for (const Case& c : cases) {
    EXPECT_NE(Tool(dir.path(), c.arguments), 0) << c.arguments;
    std::string log = ReadText(dir / "tool.log");
    EXPECT_NE(log.find(c.message), std::string::npos) << c.arguments << ": " << log;
  }
  for (const char* command :
       {"--help", "pack --help", "list --help", "extract --help", "join --help"}) {
    EXPECT_EQ(Tool(dir.path(), command), 0) << command;
    EXPECT_NE(ReadText(dir / "tool.log").find("Usage: kolvar-media"), std::string::npos);
  }
}

TEST(MediaTool, MissingDiskStopsTheJoin) {
  TempDir dir;
  WriteText(dir / "src/EXE/big.bin", Noise(2000000));
  ASSERT_EQ(Tool(dir.path(), "pack --out media --floppy EXE=src/EXE"), 0);
  fs::remove_all(dir / "media/disk2");
  EXPECT_NE(Tool(dir.path(), "join media joined --type LOCAL"), 0);
  EXPECT_NE(ReadText(dir / "tool.log").find("disk 2 is missing"), std::string::npos)
      << ReadText(dir / "tool.log");
}

}  // namespace
}  // namespace kolvar::deploy
