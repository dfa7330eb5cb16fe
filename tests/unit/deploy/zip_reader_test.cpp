#include "deploy/zip_reader.h"

#include <gtest/gtest.h>

#include "deploy/native_files.h"
#include "platform/text.h"
#include "test_files.h"
#include "zip_builder.h"

namespace kolvar::deploy {
namespace {

using namespace testing;

// The tree every real writer packs: text, noise, an empty file and folder, a read-only file,
// a name beyond ASCII.
void MakeSourceTree(const std::string& root) {
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "Linia " + std::to_string(i) + " din registru\n";
  WriteText(root + "/hello.txt", "hello world\n");
  WriteText(root + "/empty.txt", "");
  WriteText(root + "/sub/deeper/text.txt", text);
  WriteText(root + "/sub/noise.bin", Noise(300000, 7));
  WriteText(root +
                "/\xc8\x99"
                "coal\xc4\x83.txt",
            "diacritice\n");
  WriteText(root + "/readonly.txt", "do not touch\n");
  fs::create_directories(root + "/emptydir");
  ASSERT_EQ(Shell(root,
                  "touch -d '2021-06-15 10:20:30' $(find . -type f) && "
                  "chmod 444 readonly.txt"),
            0);
}

const char* const kPythonDosWriter = R"(python3 - "$OUT" <<'PY'
import os, sys, time, zipfile
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for folder, dirs, files in os.walk('.'):
        for name in sorted(dirs) + sorted(files):
            path = os.path.join(folder, name)[2:]
            st = os.stat(path)
            is_dir = os.path.isdir(path)
            info = zipfile.ZipInfo(path + ('/' if is_dir else ''),
                                   time.gmtime(st.st_mtime)[:6])
            info.create_system = 0
            info.external_attr = 0x10 if is_dir else 0x20 | (0 if st.st_mode & 0o200 else 1)
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, b'' if is_dir else open(path, 'rb').read())
PY)";

struct Writer {
  const char* label;
  const char* command;  // run in the source folder; $OUT is the archive
  bool dosHost;         // read-only travels as the DOS attribute
};

void PrintTo(const Writer& w, std::ostream* os) {
  *os << w.label;
}

const Writer kWriters[] = {
    {"zip", "zip -qr \"$OUT\" .", false},
    {"zip-stored", "zip -qr0 \"$OUT\" .", false},
    {"zip-zip64", "zip -qr -fz \"$OUT\" .", false},
    {"zip-descriptors", "zip -qr -fd \"$OUT\" .", false},
    {"zip-pipe", "zip -qr - . | cat > \"$OUT\"", false},
    {"7zz", "7zz a -tzip -bd -bso0 -bsp0 \"$OUT\" .", false},
    {"bsdtar", "bsdtar --format zip -cf \"$OUT\" .", false},
    {"python-dos", kPythonDosWriter, true},
};

class RealWriters : public ::testing::TestWithParam<Writer> {};

// Each real writer's archive extracts to the tree unzip gives: names, contents, times and,
// where the DOS attribute carries it, the read-only state.
TEST_P(RealWriters, ExtractLikeUnzip) {
  const Writer& w = GetParam();
  TempDir dir;
  MakeSourceTree(dir / "src");
  std::string archive = dir / "a.zip";
  ASSERT_EQ(Shell(dir / "src", "OUT='" + archive + "'; " + w.command), 0) << w.label;
  ASSERT_EQ(Shell(dir.path(), "mkdir ref && unzip -qq -o a.zip -d ref"), 0);

  fs::create_directories(dir / "ours");
  NativeFileSource source(archive);
  ZipArchive zip(source, L"a.zip");
  NativeExtractTarget target(dir / "ours");
  uint64_t completed = 0;
  zip.ExtractAll(target, [&](const ZipEntry& e, uint64_t position) {
    if (position == e.uncompressedSize)
      ++completed;
  });
  EXPECT_EQ(completed, zip.entries().size());

  auto ours = Snapshot(dir / "ours");
  auto reference = Snapshot(dir / "ref");
  if (!w.dosHost) {
    for (auto& [name, s] : reference)
      s.readOnly = false;
  } else {
    // unzip reads names of DOS-host entries in the OEM code page even when the UTF-8 flag
    // is set; the flag is right.
    ASSERT_EQ(ours.erase("\xc8\x99"
                         "coal\xc4\x83.txt"),
              1u);
    ASSERT_EQ(reference.erase("+\xd6"
                              "coal-\xe2.txt"),
              1u);
  }
  EXPECT_EQ(ours, reference) << w.label << "\nours:\n"
                             << Describe(ours) << "unzip:\n"
                             << Describe(reference);
  if (w.dosHost) {
    EXPECT_TRUE(ours["readonly.txt"].readOnly);
  }
}

INSTANTIATE_TEST_SUITE_P(Deploy, RealWriters, ::testing::ValuesIn(kWriters), [](const auto& info) {
  std::string name = info.param.label;
  for (char& c : name)
    if (c == '-')
      c = '_';
  return name;
});

TEST(ZipReader, TakesMoreThan65535EntriesAndDataInFront) {
  TempDir dir;
  ASSERT_EQ(Shell(dir.path(), R"(python3 -c "
import zipfile
with zipfile.ZipFile('many.zip', 'w') as z:
    for i in range(70000): z.writestr('f%05d' % i, str(i))
" && printf 'stub in front' > front.zip && cat many.zip >> front.zip)"),
            0);
  for (const char* name : {"many.zip", "front.zip"}) {
    NativeFileSource source(dir / name);
    ZipArchive zip(source, L"many.zip");
    ASSERT_EQ(zip.entries().size(), 70000u) << name;
    EXPECT_EQ(zip.entries().back().name, L"f69999");
    EXPECT_EQ(ReadAll(zip, zip.entries().back()), "69999");
  }
}

TEST(ZipReader, MemberPast4GiBThroughZip64) {
  // 4 GiB + 1 MiB of zeros as Deflate blocks cut by full flushes, so one block repeats.
  const size_t block = 1 << 20;
  const uint64_t blocks = 4097;
  std::string zeros(block, '\0');
  z_stream z{};
  deflateInit2(&z, 1, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  auto run = [&](int flush, size_t inSize) {
    std::string out(block, '\0');
    z.next_in = reinterpret_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(inSize);
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, flush);
    out.resize(out.size() - z.avail_out);
    return out;
  };
  std::string first = run(Z_FULL_FLUSH, block), repeat = run(Z_FULL_FLUSH, block);
  std::string stream = first;
  for (uint64_t i = 1; i < blocks; ++i)
    stream += repeat;
  stream += run(Z_FINISH, 0);
  deflateEnd(&z);
  uLong crc = crc32(0, nullptr, 0);
  for (uint64_t i = 0; i < blocks; ++i)
    crc = crc32(crc, reinterpret_cast<const Bytef*>(zeros.data()), block);

  Member big{"big.bin", ""};
  big.compressed = stream;
  big.crc = static_cast<uint32_t>(crc);
  big.size = blocks * block;
  big.zip64 = true;
  Layout layout;
  layout.zip64End = true;
  MemorySource source(BuildZip({big, Member{"after.txt", "tail"}}, layout));
  ZipArchive zip(source, L"big.zip");
  ASSERT_EQ(zip.entries().size(), 2u);
  EXPECT_EQ(zip.entries()[0].uncompressedSize, blocks * block);
  uint64_t total = 0, reports = 0;
  zip.ReadEntry(
      zip.entries()[0], [&](const char*, size_t n) { total += n; },
      [&](const ZipEntry&, uint64_t) { ++reports; });
  EXPECT_EQ(total, blocks * block);
  EXPECT_GT(reports, 100u);
  EXPECT_EQ(ReadAll(zip, zip.entries()[1]), "tail");
}

constexpr size_t kLocalHeader = 30;

// The 20 bytes of a ZIP64 locator: disk 0, the record's offset, one disk in all.
std::string Locator(uint64_t recordOffset) {
  std::string s;
  Put32(s, 0x07064b50);
  Put32(s, 0);
  Put64(s, recordOffset);
  Put32(s, 1);
  return s;
}

// A well-formed ZIP64 end record for one entry and a directory of `directorySize` bytes at
// `directoryOffset`, claiming `count` entries.
std::string End64Record(uint64_t count, uint64_t directorySize, uint64_t directoryOffset) {
  std::string s;
  Put32(s, 0x06064b50);
  Put64(s, 44);
  Put16(s, 45);
  Put16(s, 45);
  Put32(s, 0);
  Put32(s, 0);
  Put64(s, count);
  Put64(s, count);
  Put64(s, directorySize);
  Put64(s, directoryOffset);
  return s;
}

// The last bytes of the central directory sit right before the end record, where a ZIP64
// locator would be: a name or comment holding such bytes must not make a valid archive
// unreadable.
TEST(ZipReader, Zip64SignatureBytesInNamesAndComments) {
  {
    // The only entry is named with locator bytes pointing at its own local header.
    std::string name = Locator(0);
    MemorySource source(BuildZip({Member{name, "data"}}));
    ZipArchive zip(source, L"nume.zip");
    ASSERT_EQ(zip.entries().size(), 1u);
    EXPECT_EQ(zip.entries()[0].rawName, name);
    EXPECT_EQ(zip.entries()[0].uncompressedSize, 4u);
  }
  {
    // A stored member holds a well-formed ZIP64 record claiming seven entries, and the last
    // entry's comment is a locator pointing at it: the record disagrees with the end record.
    Member record{"rec.bin", End64Record(7, 1000, 0)};
    record.method = 0;
    Member last{"last.txt", "ultimul"};
    last.comment = "comentariu " + Locator(kLocalHeader + record.name.size());
    TempDir dir;
    MemorySource source(BuildZip({record, last}));
    ZipArchive zip(source, L"comentariu.zip");
    ASSERT_EQ(zip.entries().size(), 2u);
    NativeExtractTarget target(dir.path());
    zip.ExtractAll(target, {});
    EXPECT_EQ(ReadText(dir / "last.txt"), "ultimul");
    EXPECT_EQ(ReadText(dir / "rec.bin"), record.data);
  }
  {
    // An archive that needs its ZIP64 record and has none that agrees is still refused.
    Layout layout;
    layout.zip64End = true;
    std::string z = BuildZip({Member{"a.txt", "a"}}, layout);
    size_t at = z.find(std::string("PK\x06\x06", 4));
    ASSERT_NE(at, std::string::npos);
    z[at + 4] = 10;  // the record's own size: too short to hold its fields
    MemorySource source(z);
    try {
      ZipArchive zip(source, L"rau.zip");
      ADD_FAILURE() << "a ZIP64 archive with a wrong record was read";
    } catch (const ZipError& e) {
      EXPECT_NE(std::string(e.what()).find("ZIP64"), std::string::npos) << e.what();
    }
  }
}

TEST(ZipReader, NamesAndAttributes) {
  Member utf{
      "\xc8\x99"
      "coala.txt",
      "x"};
  utf.flags = 1 << 11;
  Member oem{"\x82t\x82.txt", "x"};  // CP437 e-acute, CP852 e-acute too
  Member folder{"dir/", ""};
  folder.method = 0;
  folder.attributes = 0x10;
  Member ro{"ro.txt", "x"};
  ro.attributes = 0x21;
  Member unix{"unix.txt", "x"};
  unix.madeBy = 0x0314;
  unix.attributes = 0x81A40000;
  Layout layout;
  layout.comment = "a comment with PK\x05\x06 inside";
  MemorySource source(BuildZip({utf, oem, folder, ro, unix}, layout));
  ZipArchive zip(source, L"n.zip");
  const auto& e = zip.entries();
  EXPECT_EQ(e[0].name,
            L"\x0219"
            L"coala.txt");
  EXPECT_EQ(e[1].name, L"\x00e9t\x00e9.txt");
  EXPECT_EQ(DecodeCp852("\x82t\x82"), L"\x00e9t\x00e9");
  EXPECT_EQ(DecodeCp852("\x9f"), L"\x010d");
  EXPECT_TRUE(e[2].isDirectory());
  EXPECT_EQ(e[3].dosAttributes(), std::optional<uint8_t>(0x21));
  EXPECT_EQ(e[4].dosAttributes(), std::nullopt);
  EXPECT_EQ(e[3].dosDate, 0x5A21);
  EXPECT_EQ(e[3].dosTime, 0x6000);
}

TEST(ZipReader, PathRules) {
  struct Case {
    const wchar_t* name;
    const wchar_t* path;  // nullptr: refused
  } cases[] = {
      {L"a/b/c.txt", L"a\\b\\c.txt"},
      {L"a\\b.txt", L"a\\b.txt"},
      {L"./a/./b.txt", L"a\\b.txt"},
      {L"dir/", L"dir"},
      {L"./", L""},
      {L"con.txt.bak", nullptr},
      {L"..", nullptr},
      {L"../evil.txt", nullptr},
      {L"a/../../evil.txt", nullptr},
      {L"a\\..\\evil.txt", nullptr},
      {L"/etc/passwd", nullptr},
      {L"\\windows\\evil.dll", nullptr},
      {L"\\\\server\\share\\x", nullptr},
      {L"C:/evil.txt", nullptr},
      {L"C:evil.txt", nullptr},
      {L"a/b:stream", nullptr},
      {L"CON", nullptr},
      {L"nul.txt", nullptr},
      {L"sub/COM1", nullptr},
      {L"lpt9.log", nullptr},
      {L"Aux ", nullptr},
      {L"a/.. /x", nullptr},
      {L"name.", nullptr},
      {L"wild*.txt", nullptr},
      {L"a//b", nullptr},
      {L"", nullptr},
      {L"console.txt", L"console.txt"},
      {L"com10.txt", L"com10.txt"},
      {L"...x", L"...x"},
  };
  for (const Case& c : cases) {
    auto got = SafeRelativePath(c.name);
    if (c.path) {
      EXPECT_EQ(got, std::optional<std::wstring>(c.path)) << WideToUtf8(c.name);
    } else {
      EXPECT_EQ(got, std::nullopt) << WideToUtf8(c.name);
    }
  }
}

// A hostile or damaged archive: opening or extracting it fails with a message naming what
// is wrong, and nothing appears outside the destination.
struct Hostile {
  const char* label;
  std::string archive;
  const char* message;  // part of the error text
};

std::vector<Hostile> HostileArchives() {
  std::vector<Hostile> list;
  auto escape = [&](const char* label, const char* name) {
    list.push_back({label, BuildZip({Member{"ok.txt", "fine"}, Member{name, "evil"}}),
                    "ar iesi din folderul destinatie"});
  };
  escape("dotdot", "../evil.txt");
  escape("nested_dotdot", "a/../../evil.txt");
  escape("absolute", "/tmp/evil.txt");
  escape("backslash_root", "\\evil.txt");
  escape("unc", "\\\\server\\share\\evil.txt");
  escape("drive", "C:/evil.txt");
  escape("device", "sub/NUL");
  escape("stream", "ok.txt:hidden");

  Member bad{"bad.txt", std::string(5000, 'q')};
  bad.crc = 12345;
  list.push_back({"bad_crc", BuildZip({bad}), "CRC gresit"});
  Member storedBad{"bad.txt", "stored data"};
  storedBad.method = 0;
  storedBad.crc = 1;
  list.push_back({"bad_crc_stored", BuildZip({storedBad}), "CRC gresit"});
  Member bigger{"big.txt", std::string(100000, 'z')};
  bigger.size = 1000;
  list.push_back({"more_than_declared", BuildZip({bigger}), "mai multe date"});
  Member smaller{"small.txt", std::string(1000, 'z')};
  smaller.size = 5000;
  list.push_back({"less_than_declared", BuildZip({smaller}), "dimensiunea nu se potriveste"});
  Member garbage{"g.txt", "x"};
  garbage.compressed = std::string("\xff\xff\xff\xff\xff\xff", 6);
  list.push_back({"garbage_deflate", BuildZip({garbage}), "stricate"});
  Member truncated{"t.txt", Noise(4000, 3)};
  truncated.compressed = Deflate(truncated.data).substr(0, 1000);
  list.push_back({"deflate_cut_short", BuildZip({truncated}), "taiate"});

  std::string whole = BuildZip({Member{"a.txt", Noise(3000, 1)}, Member{"b.txt", "b"}});
  list.push_back({"cut_short", whole.substr(0, whole.size() - 30), "nu este o arhiva ZIP"});
  list.push_back({"not_zip", std::string(100, 'x'), "nu este o arhiva ZIP"});
  list.push_back({"empty_file", "", "prea scurta"});

  // Two directory entries sharing one member's data, and one whose local header hides in
  // another member's data: the overlapping constructions of zip bombs.
  Layout same;
  same.centralOrder = {0, 0};
  list.push_back(
      {"overlap_same", BuildZip({Member{"a.txt", std::string(50000, 'a')}}, same), "se suprapun"});
  std::string inner = BuildZip({Member{"inner.txt", "inner"}});
  Member outer{"outer.bin", inner.substr(0, inner.find("PK\x01\x02"))};
  outer.method = 0;
  Layout nested;
  nested.centralOrder = {0, 1};
  nested.offsetOverride = {std::nullopt, uint64_t{30 + 9}};
  list.push_back(
      {"overlap_nested", BuildZip({outer, Member{"inner.txt", "inner"}}, nested), "se suprapun"});

  Member noField{"z.txt", "data"};
  noField.zip64FieldMissing = true;
  list.push_back({"zip64_field_missing", BuildZip({noField}), "ZIP64"});
  Layout locator;
  locator.zip64End = true;
  locator.brokenZip64Locator = true;
  locator.prefix = "";
  {
    // The record is found by neither the offset nor its place before the locator.
    std::string z = BuildZip({Member{"a.txt", "a"}}, locator);
    size_t record = z.find("PK\x06\x06");
    z[record + 2] = 'X';
    list.push_back({"zip64_record_broken", z, "ZIP64"});
  }
  Layout wrongCount;
  wrongCount.countOverride = 5;
  list.push_back({"count_mismatch", BuildZip({Member{"a.txt", "a"}}, wrongCount), "numarul"});

  Member encrypted{"secret.txt", "x"};
  encrypted.flags = 1;
  list.push_back({"encrypted_flag", BuildZip({encrypted}), "criptata"});
  Member bzip{"b.txt", "x"};
  bzip.method = 12;
  bzip.compressed = "BZh9";
  list.push_back({"bzip2", BuildZip({bzip}), "BZIP2"});
  return list;
}

TEST(ZipReader, HostileArchivesAreRefused) {
  for (const Hostile& h : HostileArchives()) {
    TempDir dir;
    std::string dest = dir / "outer/dest";
    fs::create_directories(dest);
    std::string message;
    try {
      MemorySource source(h.archive);
      ZipArchive zip(source, L"rau.zip");
      NativeExtractTarget target(dest);
      zip.ExtractAll(target, {});
    } catch (const ZipError& e) {
      message = e.what();
    }
    EXPECT_NE(message.find(h.message), std::string::npos) << h.label << ": \"" << message << "\"";
    EXPECT_EQ(Snapshot(dir / "outer").size(), 1u) << h.label;
    EXPECT_TRUE(Snapshot(dest).empty()) << h.label << "\n" << Describe(Snapshot(dest));
    EXPECT_FALSE(fs::exists("/tmp/evil.txt")) << h.label;
  }
}

TEST(ZipReader, FailedEntryLeavesNoPartialFile) {
  Member good{"good.txt", "fine"};
  Member bad{"sub/bad.txt", Noise(700000, 9)};
  bad.crc = 99;
  TempDir dir;
  MemorySource source(BuildZip({good, bad}));
  ZipArchive zip(source, L"x.zip");
  NativeExtractTarget target(dir.path());
  EXPECT_THROW(zip.ExtractAll(target, {}), ZipError);
  EXPECT_EQ(ReadText(dir / "good.txt"), "fine");
  EXPECT_FALSE(fs::exists(dir / "sub/bad.txt"));
}

// Real writers' refusals: a password and methods we do not inflate.
TEST(ZipReader, EncryptedAndUnsupportedFromRealWriters) {
  TempDir dir;
  WriteText(dir / "f.txt", std::string(4000, 'k'));
  ASSERT_EQ(Shell(dir.path(),
                  "zip -q -P parola zc.zip f.txt && "
                  "7zz a -tzip -mem=AES256 -pparola -bso0 -bsp0 aes.zip f.txt && "
                  "7zz a -tzip -mm=BZip2 -bso0 -bsp0 bz.zip f.txt && "
                  "7zz a -tzip -mm=LZMA -bso0 -bsp0 lz.zip f.txt"),
            0);
  struct {
    const char* file;
    const char* message;
  } cases[] = {
      {"zc.zip", "criptata"}, {"aes.zip", "criptata"}, {"bz.zip", "BZIP2"}, {"lz.zip", "LZMA"}};
  for (auto& c : cases) {
    NativeFileSource source(dir / c.file);
    ZipArchive zip(source, Utf8ToWide(c.file));
    TempDir out;
    try {
      NativeExtractTarget target(out.path());
      zip.ExtractAll(target, {});
      ADD_FAILURE() << c.file << " extracted";
    } catch (const ZipError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find("f.txt"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(Snapshot(out.path()).empty()) << c.file;
  }
}

TEST(ZipReader, FilterAndReplaceExisting) {
  TempDir dir;
  WriteText(dir / "keep.txt", "old");
  WriteText(dir / "IDAPI/x.dll", "old");
  Member a{"keep.txt", "new"};
  Member b{"IDAPI/x.dll", "new"};
  MemorySource source(BuildZip({a, b}));
  ZipArchive zip(source, L"x.zip");
  NativeExtractTarget target(dir.path());
  zip.ExtractAll(target, {}, [](const ZipEntry& e) { return e.name.rfind(L"IDAPI", 0) != 0; });
  EXPECT_EQ(ReadText(dir / "keep.txt"), "new");
  EXPECT_EQ(ReadText(dir / "IDAPI/x.dll"), "old");
}

}  // namespace
}  // namespace kolvar::deploy
