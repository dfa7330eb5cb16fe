#include "deploy/copy_rules.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace kolvar::deploy {
namespace {

using bootstrap::NewInstallSet;
using bootstrap::UpgradeSet;

TEST(CopyRules, MediaFilesThatArePartsOfSelectedComponents) {
  struct Case {
    const wchar_t* name;
    bool local, client;
  } cases[] = {
      {L"EXE.1", true, true},         {L"exe.2", true, true},       {L"EXE.10", true, true},
      {L"DBDAT.1", true, false},      {L"BDE32.3", true, true},     {L"README.TXT", false, false},
      {L"EXE.1X", false, false},      {L"EXE", false, false},       {L"EXE.", false, false},
      {L"INSTALL.EXE", false, false}, {L"UPGRADE.1", false, false}, {L"DISK1", false, false},
      {L"EXE.OLD.7", true, true},     {L"EXEC.1", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsArchivePart(c.name, NewInstallSet(bootstrap::kTypeLocal)), c.local)
        << WideToUtf8(c.name);
    EXPECT_EQ(IsArchivePart(c.name, NewInstallSet(bootstrap::kTypeClient)), c.client)
        << WideToUtf8(c.name);
    EXPECT_FALSE(IsArchivePart(c.name, NewInstallSet(bootstrap::kTypeNone)));
  }
  EXPECT_EQ(JoinedArchiveName(L"Exe.2"), L"Exe.ZIP");
  EXPECT_EQ(JoinedArchiveName(L"EXE.OLD.7"), L"EXE.ZIP");
  EXPECT_EQ(PartExtension(L"EXE.OLD.7"), L".7");
  EXPECT_TRUE(PartNameLess(L"EXE.10", L"EXE.2"));
  EXPECT_TRUE(PartNameLess(L"exe.1", L"EXE.2"));
  EXPECT_TRUE(PartNameLess(L"BDE32.1", L"exe.1"));
}

TEST(CopyRules, SelectionFollowsTheSets) {
  EXPECT_EQ(SelectComponents(NewInstallSet(bootstrap::kTypeClient)),
            (std::vector<int>{0, 1, 4, 5, 6}));
  EXPECT_EQ(SelectComponents(UpgradeSet(bootstrap::kTypeServer)),
            (std::vector<int>{0, 1, 3, 5, 6}));
  EXPECT_TRUE(SelectComponents(UpgradeSet(bootstrap::kTypeNone)).empty());
  EXPECT_TRUE(SelectComponents(UpgradeSet(9)).empty());
}

TEST(CopyRules, OnlyTheComponentArchivesAreJoinedArchives) {
  EXPECT_TRUE(IsJoinedArchiveName(L"EXE.ZIP"));
  EXPECT_TRUE(IsJoinedArchiveName(L"lunaris.zip"));
  EXPECT_TRUE(IsJoinedArchiveName(L"TORNEVA.ZIP"));
  EXPECT_FALSE(IsJoinedArchiveName(L"BACKUP.ZIP"));
  EXPECT_FALSE(IsJoinedArchiveName(L"EXE.ZIP.OLD"));
  EXPECT_FALSE(IsJoinedArchiveName(L"UPGRADE.ZIP"));
}

TEST(CopyRules, UpgradeEntryFilter) {
  struct Case {
    const wchar_t* name;
    bool program, seed;
  } cases[] = {
      {L"IDAPI/IDAPI32.DLL", false, false}, {L"idapi32.cfg", false, false},
      {L"KOLVAR.EXE", true, false},         {L"bin/x.dll", true, false},
      {L"BIN/IDAPI/x.dll", true, false},    {L"NEW/DATA/FIRME.DB", true, true},
      {L"new\\firma\\p.db", true, true},    {L"NEWS.TXT", true, true},
      {L"DATA/FIRME.DB", true, false},      {L"IDAP.TXT", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConfirmEntry(c.name, true), c.program) << WideToUtf8(c.name);
    EXPECT_EQ(ConfirmEntry(c.name, false), c.seed) << WideToUtf8(c.name);
  }
}

TEST(CopyRules, EngineVersions) {
  struct Case {
    const wchar_t* text;
    int64_t number;
    bool old;
  } cases[] = {
      {L"4.0", 4, false},
      {L"5.01", 5, false},
      {L"3.5", 3, true},
      {L"5", 5, false},
      {L"", 0, true},
      {L"3,9", 3, true},
      {L"12.1", 12, false},
      {L"4.0 ", 4, false},
      {L"99999999999999999999999999", 576460752303423487, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EngineVersionNumber(c.text), c.number) << WideToUtf8(c.text);
    EXPECT_EQ(IsOldEngine(std::wstring(c.text)), c.old) << WideToUtf8(c.text);
  }
  EXPECT_FALSE(IsOldEngine(std::nullopt));
}

TEST(CopyRules, SeedFolderEntries) {
  EXPECT_EQ(SeedEntryAction(L"SIGLA.BMP", 0x21, true), SeedAction::kKeepWritable);
  EXPECT_EQ(SeedEntryAction(L"logo.png", 0x20, true), SeedAction::kKeepWritable);
  EXPECT_EQ(SeedEntryAction(L"PARAM.DB", 0x20, true), SeedAction::kDelete);
  EXPECT_EQ(SeedEntryAction(L"sub", 0x10, true), SeedAction::kLeave);
  EXPECT_EQ(SeedEntryAction(L"sub", 0x30, true), SeedAction::kDelete);
  EXPECT_EQ(SeedEntryAction(L"SIGLA.BMP", 0x21, false), SeedAction::kDelete);
}

TEST(CopyRules, Gauges) {
  GaugeState g;
  g.SetMaximum(3);
  g.SetPosition(7);
  EXPECT_EQ(g.position, 3);
  EXPECT_EQ(g.Percent(), 100);
  g.SetPosition(1);
  EXPECT_EQ(g.Percent(), 33);
  GaugeState empty;
  EXPECT_EQ(empty.Percent(), 0);

  // Two entries of 3000 and 2048 bytes: 2 KB + 2 KB; the first's rounding loss stays lost.
  UnzipCounter c;
  c.ZipSize = (3000 >> 10) + (2048 >> 10);
  EXPECT_EQ(c.OnUnzipProgress(3000, 1500), 1);
  EXPECT_EQ(c.OnUnzipProgress(3000, 3000), 2);
  EXPECT_EQ(c.ZipProgres, 2u);
  EXPECT_EQ(c.OnUnzipProgress(2048, 1024), 3);
  EXPECT_EQ(c.OnUnzipProgress(2048, 2048), 4);
  EXPECT_EQ(c.GaugeMaximum(), 4);
  UnzipCounter huge;
  huge.ZipSize = uint64_t{1} << 40;
  EXPECT_EQ(huge.GaugeMaximum(), 2147483647);
}

}  // namespace
}  // namespace kolvar::deploy
