#include "bootstrap/install_state.h"

#include <gtest/gtest.h>

#include <string>

namespace kolvar::bootstrap {
namespace {

std::wstring Members(ComponentSet set) {
  std::wstring names;
  for (int i = 0; i < kComponentCount; ++i) {
    if (!set.Contains(i)) continue;
    if (!names.empty()) names += L",";
    names += Components[i].FileName;
  }
  return names;
}

TEST(ComponentSets, MatchTheInstallationTypes) {
  EXPECT_EQ(Members(NewInstallSet(kTypeNone)), L"");
  EXPECT_EQ(Members(NewInstallSet(kTypeLocal)), L"EXE,LUNARIS,DBDAT,DBNEW,BDE32,HELP,TORNEVA");
  EXPECT_EQ(Members(NewInstallSet(kTypeServer)), L"EXE,LUNARIS,DBDAT,DBNEW,BDE32,HELP,TORNEVA");
  EXPECT_EQ(Members(NewInstallSet(kTypeClient)), L"EXE,LUNARIS,BDE32,HELP,TORNEVA");
  EXPECT_EQ(Members(UpgradeSet(kTypeNone)), L"");
  EXPECT_EQ(Members(UpgradeSet(kTypeLocal)), L"EXE,LUNARIS,DBNEW,HELP,TORNEVA");
  EXPECT_EQ(Members(UpgradeSet(kTypeServer)), L"EXE,LUNARIS,DBNEW,HELP,TORNEVA");
  EXPECT_EQ(Members(UpgradeSet(kTypeClient)), L"EXE,LUNARIS,HELP,TORNEVA");
}

TEST(ComponentSets, OutOfRangeTypesAndPositionsAreEmpty) {
  EXPECT_TRUE(NewInstallSet(4).Empty());
  EXPECT_TRUE(UpgradeSet(255).Empty());
  EXPECT_FALSE(NewInstallSet(kTypeLocal).Contains(-1));
  EXPECT_FALSE(NewInstallSet(kTypeLocal).Contains(kComponentCount));
}

TEST(ComponentTable, KeepsProcessingOrderAndDestinations) {
  const wchar_t* order[] = {L"EXE", L"LUNARIS", L"DBDAT", L"DBNEW", L"BDE32", L"HELP", L"TORNEVA"};
  const TDestType dest[] = {TDestType::dtProgram,     TDestType::dtProgram,
                            TDestType::dtDatabaseDat, TDestType::dtDatabaseNew,
                            TDestType::dtProgramFiles, TDestType::dtProgram,
                            TDestType::dtProgram};
  for (int i = 0; i < kComponentCount; ++i) {
    EXPECT_STREQ(Components[i].FileName, order[i]);
    EXPECT_EQ(Components[i].DestType, dest[i]) << i;
  }
}

TEST(InstallState, StartsWithTheDocumentedDefaults) {
  InstallState s;
  EXPECT_EQ(s.ProgramDir, L"C:\\ProKolv");
  EXPECT_EQ(s.DataDir, L"C:\\ProKolv");
  EXPECT_EQ(s.DiskCount, 1);
  EXPECT_EQ(s.InstallType, kTypeNone);
  EXPECT_FALSE(s.UpgradeMode);
  EXPECT_EQ(std::wstring(AliasSubdirs[3]), L"DATA");
  EXPECT_EQ(std::wstring(AliasNames[3]), L"KOLVAR");
}

}  // namespace
}  // namespace kolvar::bootstrap
