#include "deploy/zip_writer.h"

#include <gtest/gtest.h>

#include "deploy/native_files.h"
#include "deploy/zip_reader.h"
#include "test_files.h"

namespace kolvar::deploy {
namespace {

using namespace testing;

// What the media tool writes, Info-ZIP's unzip and our reader both accept, with names,
// dates and DOS attributes kept.
TEST(ZipWriter, ArchivesReadBackEverywhere) {
  MemorySink sink;
  ZipWriter writer(sink);
  MemberInfo folder{"bin", DosDate(2024, 3, 9), DosTime(13, 45, 20), 0x10};
  writer.AddFolder(folder);
  MemberInfo ro{"bin/KOLVAR.EXE", DosDate(2024, 3, 9), DosTime(13, 45, 22), 0x21};
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "rand " + std::to_string(i) + "\n";
  writer.AddFile(ro, text);
  writer.AddFile({"\xc8\x99"
                  "coal\xc4\x83.txt",
                  DosDate(2001, 12, 31), 0, 0x20},
                 "s", false);
  writer.AddFile({"empty", DosDate(2001, 12, 31), 0, 0x20}, "");
  writer.Finish();

  TempDir dir;
  WriteText(dir / "w.zip", sink.bytes);
  EXPECT_EQ(Shell(dir.path(), "unzip -tqq w.zip"), 0);

  MemorySource source(sink.bytes);
  ZipArchive zip(source, L"w.zip");
  ASSERT_EQ(zip.entries().size(), 4u);
  EXPECT_TRUE(zip.entries()[0].isDirectory());
  EXPECT_EQ(zip.entries()[1].dosAttributes(), std::optional<uint8_t>(0x21));
  EXPECT_EQ(zip.entries()[1].dosTime, DosTime(13, 45, 22));
  EXPECT_EQ(ReadAll(zip, zip.entries()[1]), text);
  EXPECT_LT(zip.entries()[1].compressedSize, text.size() / 3);
  EXPECT_EQ(zip.entries()[2].name,
            L"\x0219"
            L"coal\x0103.txt");
  EXPECT_EQ(zip.entries()[2].method, 0);
  EXPECT_EQ(ReadAll(zip, zip.entries()[3]), "");
}

TEST(ZipWriter, ManyEntriesGetZip64EndRecords) {
  MemorySink sink;
  ZipWriter writer(sink);
  for (int i = 0; i < 66000; ++i)
    writer.AddFile({"f" + std::to_string(i)}, "x", false);
  writer.Finish();
  TempDir dir;
  WriteText(dir / "m.zip", sink.bytes);
  EXPECT_EQ(Shell(dir.path(),
                  "python3 -c \"import zipfile,sys; z=zipfile.ZipFile('m.zip'); "
                  "sys.exit(len(z.infolist()) != 66000 or z.testzip() is not None)\""),
            0);
  MemorySource source(sink.bytes);
  ZipArchive zip(source, L"m.zip");
  EXPECT_EQ(zip.entries().size(), 66000u);
}

}  // namespace
}  // namespace kolvar::deploy
