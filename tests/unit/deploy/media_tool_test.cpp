// The media tool end to end: pack, join and extract give back the packed tree.
#include <gtest/gtest.h>

#include "test_files.h"
#include "zip_builder.h"

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
       {"--help", "pack --help", "list --help", "extract --help", "join --help", "verify --help"}) {
    EXPECT_EQ(Tool(dir.path(), command), 0) << command;
    EXPECT_NE(ReadText(dir / "tool.log").find("Usage: kolvar-media"), std::string::npos);
  }
}

// Names from an archive are shown escaped: a NUL would cut the message short, an escape
// sequence would act on the terminal.
TEST(MediaTool, NamesWithControlCharactersAreShownEscapedAndTheReasonFollows) {
  TempDir dir;
  WriteText(dir / "ctl.zip", BuildZip({Member{std::string("a\0b\x1b[2J", 7), "x"},
                                       Member{"PK\x06\x06", "y"}, Member{"ok.txt", "ok"}}));
  EXPECT_EQ(Tool(dir.path(), "list ctl.zip"), 0);
  std::string listed = ReadText(dir / "tool.log");
  EXPECT_NE(listed.find("  a\\x00b\\x1B[2J\n"), std::string::npos) << listed;
  EXPECT_NE(listed.find("  PK\\x06\\x06\n"), std::string::npos) << listed;
  EXPECT_NE(Tool(dir.path(), "extract ctl.zip out"), 0);
  std::string log = ReadText(dir / "tool.log");
  EXPECT_NE(log.find("intrarea \"a\\x00b\\x1B[2J\": calea ar iesi din folderul destinatie"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("extragerea este oprita\n"), std::string::npos) << log;
  for (char c : log)
    EXPECT_TRUE(c == '\n' || c == '\r' || static_cast<unsigned char>(c) >= 0x20) << int(c);
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

// Media as a release would ship them: the five archives a new installation needs, EXE spread
// over the first two floppies, the installer and the upgrade library on the first.
class MediaVerify : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(dir_ / "src/EXE/KOLVAR.EXE", Noise(2600000));
    WriteText(dir_ / "src/EXE/VerInfo/Instruct.htm", "<html></html>");
    WriteText(dir_ / "src/DBDAT/DATA/FIRME.DB", "firme");
    WriteText(dir_ / "src/DBNEW/NEW/FIRMA/SIGLA.BMP", std::string(5000, 'b'));
    WriteText(dir_ / "src/BDE32/IDAPI32.DLL", Noise(300000));
    WriteText(dir_ / "src/HELP/KOLVAR.HLP", std::string(90000, 'h'));
    WriteText(dir_ / "src/UPG/UPGRADE.DLL", Noise(50000));
    WriteText(dir_ / "INSTALL.EXE", Noise(400000));
    ASSERT_EQ(Tool(dir_.path(), "pack --out upg --cd EXE=src/UPG"), 0);
    ASSERT_EQ(Tool(dir_.path(),
                   "pack --out media --floppy --installer INSTALL.EXE "
                   "--upgrade upg/EXE.1 EXE=src/EXE DBDAT=src/DBDAT "
                   "DBNEW=src/DBNEW BDE32=src/BDE32 HELP=src/HELP"),
              0)
        << ReadText(dir_ / "tool.log");
    ASSERT_TRUE(fs::exists(dir_ / "media/disk3/DISK3")) << "the set should span three disks";
    ASSERT_TRUE(fs::exists(dir_ / "media/disk2/EXE.2"));
  }
  // Runs verify on `media`; returns its exit status, the output in `output_`.
  int Verify(const std::string& media) {
    int status = Tool(dir_.path(), "verify " + media);
    output_ = ReadText(dir_ / "tool.log");
    return status;
  }
  int ProblemLines() const {
    int lines = 0;
    for (char c : output_)
      lines += c == '\n';
    return lines - 1;  // the count of problems at the end
  }
  TempDir dir_;
  std::string output_;
};

TEST_F(MediaVerify, GoodMediaPassInBothForms) {
  EXPECT_EQ(Verify("media"), 0) << output_;
  EXPECT_NE(output_.find("media OK: 3 disk(s), 5 archive(s)"), std::string::npos) << output_;
  ASSERT_EQ(Tool(dir_.path(),
                 "pack --out cd --cd --installer INSTALL.EXE --upgrade "
                 "media/disk1/UPGRADE.1 EXE=src/EXE DBDAT=src/DBDAT "
                 "DBNEW=src/DBNEW BDE32=src/BDE32 HELP=src/HELP"),
            0);
  EXPECT_EQ(Verify("cd"), 0) << output_;
  EXPECT_NE(output_.find("media OK: 1 disk(s), 5 archive(s)"), std::string::npos) << output_;
}

TEST_F(MediaVerify, MissingPartsAndMarkersAreNamed) {
  fs::remove(dir_ / "media/disk2/EXE.2");
  fs::remove(dir_ / "media/disk3/DISK3");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("EXE: part EXE.2 missing\n"), std::string::npos) << output_;
  EXPECT_NE(output_.find("disk3: marker DISK3 missing\n"), std::string::npos) << output_;
  EXPECT_EQ(ProblemLines(), 2) << output_;

  // A whole disk folder gone, and a disk that would be taken for another.
  fs::remove_all(dir_ / "media/disk2");
  WriteText(dir_ / "media/disk3/DISK2", "");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("disk2: folder missing\n"), std::string::npos) << output_;
  EXPECT_NE(output_.find("disk3: holds the marker DISK2 of another disk\n"), std::string::npos)
      << output_;
}

TEST_F(MediaVerify, DamagedOrShortPartsFailTheirArchive) {
  // A byte changed in the middle of the second part: the members' check finds it.
  std::string part = ReadText(dir_ / "media/disk2/EXE.2");
  std::string original = part;
  part[part.size() / 2] ^= 0x55;
  WriteText(dir_ / "media/disk2/EXE.2", part);
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("EXE: "), std::string::npos) << output_;
  EXPECT_EQ(ProblemLines(), 1) << output_;

  // The same part cut short.
  WriteText(dir_ / "media/disk2/EXE.2", original.substr(0, original.size() - 1000));
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("EXE: "), std::string::npos) << output_;

  // The upgrade library archive damaged.
  WriteText(dir_ / "media/disk2/EXE.2", original);
  WriteText(dir_ / "media/disk1/UPGRADE.1", "PK not really");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("UPGRADE.1: "), std::string::npos) << output_;
  EXPECT_EQ(ProblemLines(), 1) << output_;
}

TEST_F(MediaVerify, DiskCountMustMatchTheDisksFound) {
  WriteText(dir_ / "media/disk1/INSTALL.CFG", "[General]\r\nNrDiscuri=4\r\n");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("INSTALL.CFG: NrDiscuri is 4, the media hold 3 disk(s)\n"),
            std::string::npos)
      << output_;
  // Without the key the installer expects six disks.
  WriteText(dir_ / "media/disk1/INSTALL.CFG", "[General]\r\n");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("NrDiscuri is 6"), std::string::npos) << output_;
  WriteText(dir_ / "media/disk1/INSTALL.CFG", "[general]\r\nnrdiscuri=3 disks\r\n");
  EXPECT_EQ(Verify("media"), 0) << output_;
}

TEST_F(MediaVerify, DisksMustFitAFormattedFloppy) {
  // 512-byte clusters: a file of one byte takes a whole cluster.
  uint64_t used = 0;
  for (auto& f : fs::directory_iterator(dir_ / "media/disk3"))
    used += (fs::file_size(f) + 511) / 512 * 512;
  WriteText(dir_ / "media/disk3/README.TXT", std::string(1457664 - used - 511, 'r'));
  EXPECT_EQ(Verify("media"), 0) << output_;
  WriteText(dir_ / "media/disk3/X", "x");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("disk3: 1,458,176 bytes in 512-byte clusters, more than the 1,457,664"),
            std::string::npos)
      << output_;
  fs::remove(dir_ / "media/disk3/X");
  fs::remove(dir_ / "media/disk3/README.TXT");
  // The root folder of a floppy holds 224 entries.
  for (int i = 0; i < 224; ++i)
    WriteText(dir_ / ("media/disk3/F" + std::to_string(i)), "");
  EXPECT_EQ(Verify("media"), 1);
  EXPECT_NE(output_.find("more than the 224"), std::string::npos) << output_;
}

TEST_F(MediaVerify, PartsJoinedOutOfOrderAreReported) {
  // Ten parts of one archive on one disk: text order joins EXE.10 before EXE.2.
  ASSERT_EQ(Tool(dir_.path(),
                 "pack --out cd --cd --installer INSTALL.EXE --upgrade "
                 "media/disk1/UPGRADE.1 EXE=src/EXE DBDAT=src/DBDAT "
                 "DBNEW=src/DBNEW BDE32=src/BDE32 HELP=src/HELP"),
            0);
  std::string whole = ReadText(dir_ / "cd/EXE.1");
  size_t piece = whole.size() / 10 + 1;
  for (int i = 0; i < 10; ++i)
    WriteText(dir_ / ("cd/EXE." + std::to_string(i + 1)), whole.substr(i * piece, piece));
  EXPECT_EQ(Verify("cd"), 1);
  EXPECT_NE(output_.find("EXE: the installer joins the parts in the order EXE.1, EXE.10, EXE.2"),
            std::string::npos)
      << output_;
  // A part number the installer would take but that is no number, and a missing archive.
  for (int i = 2; i <= 10; ++i)
    fs::remove(dir_ / ("cd/EXE." + std::to_string(i)));
  WriteText(dir_ / "cd/EXE.1", whole);
  WriteText(dir_ / "cd/EXE.OLD1", "x");
  fs::remove(dir_ / "cd/HELP.1");
  EXPECT_EQ(Verify("cd"), 1);
  EXPECT_NE(output_.find("disk1: EXE.OLD1 would be joined into EXE.ZIP but is not a numbered "
                         "part"),
            std::string::npos)
      << output_;
  EXPECT_NE(output_.find("HELP: no parts on the media"), std::string::npos) << output_;
  EXPECT_EQ(ProblemLines(), 2) << output_;
}

}  // namespace
}  // namespace kolvar::deploy
