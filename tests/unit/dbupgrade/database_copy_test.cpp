#include "dbupgrade/database_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "deploy/native_files.h"
#include "platform/text.h"
#include "test_files.h"

namespace kolvar::dbupgrade {
namespace {

using deploy::FaultInjection;
using deploy::NativeFileSystem;
using namespace deploy::testing;
namespace fs = std::filesystem;

// The host path of a path the file layer was given ("\\" read as "/").
std::string Host(const std::wstring& path) {
  std::string host = WideToUtf8(path);
  for (char& c : host)
    if (c == '\\')
      c = '/';
  return host;
}

// A data folder of firms and months in nested folders, with blanks and Romanian letters in
// names, read-only files, and what is not the firm's: the seed tree, an earlier copy, a
// program file of the run, the installer's own leftovers.
struct Database {
  TempDir dir;
  std::string root = dir.path() + "/Date";
  std::wstring wroot = Utf8ToWide(root);
  NativeFileSystem files;
  Database() {
    for (int firm = 0; firm < 12; ++firm)
      for (int month = 1; month <= 12; ++month)
        WriteText(root + "/DATA/Firma " + std::to_string(firm) + " Brașov/Luna " +
                      std::to_string(month) + "/SOLDURI ÎNCHISE.DB",
                  "firm " + std::to_string(firm) + " month " + std::to_string(month) +
                      std::string(static_cast<size_t>(firm * 37 + month), 'x'));
    WriteText(root + "/DATA/FIRME.DB", "the firms");
    WriteText(root + "/DATA/CONSTANTE.DB", "constants");
    ::chmod((root + "/DATA/CONSTANTE.DB").c_str(), 0444);
    WriteText(root + "/NEW/DATA/FIRME.DB", "seed");
    WriteText(root + "/COPII/2026-01-01 10-00-00/DATA/FIRME.DB", "an earlier copy");
    WriteText(root + "/KOLVAR.EXE", "the program");
    WriteText(root + "/~INSTKOLV.RBK/1", "our own");
  }
  std::vector<std::wstring> Programs() const { return {wroot + L"\\KOLVAR.EXE"}; }
  // The firm's part of the tree, as the copy must hold it.
  std::map<std::string, FileState> Firm() const {
    auto tree = Snapshot(root);
    for (auto it = tree.begin(); it != tree.end();) {
      const std::string& name = it->first;
      bool ours = name.rfind("NEW", 0) == 0 || name.rfind("COPII", 0) == 0 ||
                  name.rfind("~INSTKOLV.RBK", 0) == 0 || name == "KOLVAR.EXE";
      it = ours ? tree.erase(it) : ++it;
    }
    return tree;
  }
};

TEST(DatabaseCopy, TheCopyHoldsTheFirmsTreeExactlyAndNothingElse) {
  Database db;
  auto items = ListDatabase(db.files, db.wroot, db.Programs());
  std::wstring copy = db.wroot + L"\\" + CopyFolderName(2026, 12, 9, 14, 3, 7);
  EXPECT_EQ(copy, db.wroot + L"\\COPII\\2026-12-09 14-03-07");
  std::vector<int> percents;
  CopyResult result =
      CopyDatabase(db.files, db.wroot, items, copy, [&](int p) { percents.push_back(p); });
  EXPECT_EQ(result.files, 12u * 12u + 2u);
  EXPECT_EQ(Snapshot(Host(copy)), db.Firm()) << Describe(Snapshot(Host(copy)));
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  // Rounded to whole clusters: never less than the bytes themselves.
  EXPECT_GE(BytesNeeded(items, 4096), result.bytes);
}

// The steps changed a table, added files and a folder, and removed one: putting the copy back
// gives the firm's tree byte for byte, and leaves the seed tree, the program and the copies.
TEST(DatabaseCopy, PuttingTheCopyBackUndoesEveryChange) {
  Database db;
  auto before = db.Firm();
  auto items = ListDatabase(db.files, db.wroot, db.Programs());
  std::wstring copy = db.wroot + L"\\" + CopyFolderName(2026, 12, 9, 14, 3, 7);
  CopyDatabase(db.files, db.wroot, items, copy, {});
  WriteText(db.root + "/DATA/FIRME.DB", "half converted");
  WriteText(db.root + "/DATA/LISTE NOI.DB", "added by a step");
  WriteText(db.root + "/DATA/Arhiva/2027.DB", "added too");
  fs::remove(db.root + "/DATA/Firma 3 Brașov/Luna 4/SOLDURI ÎNCHISE.DB");
  std::wstring failure;
  ASSERT_TRUE(RestoreDatabase(db.files, db.wroot, copy, db.Programs(), failure))
      << WideToUtf8(failure);
  EXPECT_EQ(db.Firm(), before) << Describe(db.Firm());
  EXPECT_EQ(ReadText(db.root + "/NEW/DATA/FIRME.DB"), "seed");
  EXPECT_EQ(ReadText(db.root + "/KOLVAR.EXE"), "the program");
  EXPECT_TRUE(fs::exists(Host(copy) + "/DATA/FIRME.DB"));
  EXPECT_TRUE(fs::exists(db.root + "/COPII/2026-01-01 10-00-00/DATA/FIRME.DB"));
}

// A fault at any change of the copy leaves no copy folder and the database as it was; a fault
// while putting back is told, and a second try completes it.
TEST(DatabaseCopy, AFaultAtAnyStepLosesNothing) {
  uint64_t total = 0;
  {
    Database db;
    FaultInjection faults(db.files);
    auto items = ListDatabase(faults, db.wroot, db.Programs());
    CopyDatabase(faults, db.wroot, items, db.wroot + L"\\COPII\\x", {});
    total = faults.Count();
  }
  ASSERT_GT(total, 100u);
  for (uint64_t n = 1; n <= total; n += 7) {
    Database db;
    auto before = Snapshot(db.root);
    FaultInjection faults(db.files, n);
    auto items = ListDatabase(faults, db.wroot, db.Programs());
    EXPECT_THROW(CopyDatabase(faults, db.wroot, items, db.wroot + L"\\COPII\\x", {}), Error)
        << n;
    EXPECT_EQ(Snapshot(db.root), before) << "fault " << n;
  }
  Database db;
  auto before = db.Firm();
  auto items = ListDatabase(db.files, db.wroot, db.Programs());
  std::wstring copy = db.wroot + L"\\COPII\\x";
  CopyDatabase(db.files, db.wroot, items, copy, {});
  WriteText(db.root + "/DATA/FIRME.DB", "half converted");
  FaultInjection faults(db.files, 3);
  std::wstring failure;
  EXPECT_FALSE(RestoreDatabase(faults, db.wroot, copy, db.Programs(), failure));
  EXPECT_FALSE(failure.empty());
  failure.clear();
  EXPECT_TRUE(RestoreDatabase(db.files, db.wroot, copy, db.Programs(), failure));
  EXPECT_EQ(db.Firm(), before);
}

}  // namespace
}  // namespace kolvar::dbupgrade
