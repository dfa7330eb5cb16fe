// The folders page's checks against a fake file system, and the picker's path arithmetic.
#include "pages/pure/folder_rules.h"

#include <gtest/gtest.h>

#include <set>

namespace kolvar::pages {
namespace {

using bootstrap::InstallState;

// Folders that exist; creating one needs its parent to exist (one level).
class FakeDisk : public DirsEnvironment {
 public:
  explicit FakeDisk(std::set<std::wstring> folders) : folders_(std::move(folders)) {}
  bool FolderExists(const std::wstring& path) override { return folders_.count(Trim(path)) > 0; }
  bool CreateFolder(const std::wstring& path) override {
    std::wstring p = Trim(path);
    size_t slash = p.rfind(L'\\');
    if (p.empty() || slash == std::wstring::npos)
      return false;
    std::wstring parent = p.substr(0, slash);
    if (parent.size() == 2)
      parent += L'\\';
    if (!folders_.count(parent))
      return false;
    created.push_back(p);
    folders_.insert(p);
    return true;
  }
  void ClientDataMissing() override { ++messages; }

  std::vector<std::wstring> created;
  int messages = 0;

 private:
  static std::wstring Trim(std::wstring p) {
    while (p.size() > 3 && p.back() == L'\\')
      p.pop_back();
    return p;
  }
  std::set<std::wstring> folders_;
};

InstallState StateOfType(uint8_t type) {
  InstallState state;
  state.InstallType = type;
  state.ProposedProgramDir = L"C:\\ProKolv";
  state.ProposedDataDir = L"C:\\ProKolvData";
  state.DataDir = L"D:\\Earlier";
  return state;
}

TEST(DirsLayout, FieldsAndVisibilityFollowTheInstallType) {
  DirsLayout local = LayoutFor(StateOfType(bootstrap::kTypeLocal));
  EXPECT_EQ(L"C:\\ProKolv", local.program);
  EXPECT_FALSE(local.dataShown);
  EXPECT_FALSE(local.memoShown);
  EXPECT_TRUE(local.nextEnabled);

  DirsLayout server = LayoutFor(StateOfType(bootstrap::kTypeServer));
  EXPECT_EQ(L"C:\\ProKolvData", server.data);
  EXPECT_TRUE(server.dataShown);
  EXPECT_FALSE(server.memoShown);
  EXPECT_TRUE(server.nextEnabled);

  // A client starts with an empty data field and must change it before going on.
  DirsLayout client = LayoutFor(StateOfType(bootstrap::kTypeClient));
  EXPECT_EQ(L"", client.data);
  EXPECT_TRUE(client.dataShown);
  EXPECT_TRUE(client.memoShown);
  EXPECT_FALSE(client.nextEnabled);
}

TEST(StoreFolders, LocalDataFolderIsTheProgramFolderAsTyped) {
  InstallState state = StateOfType(bootstrap::kTypeLocal);
  FakeDisk disk({L"C:\\", L"C:\\Apps"});
  EXPECT_TRUE(StoreFolders(state, L"C:\\Apps\\K\\", L"ignored", disk));
  EXPECT_EQ(L"C:\\Apps\\K\\", state.ProgramDir);
  EXPECT_EQ(L"C:\\Apps\\K\\", state.DataDir);
  EXPECT_EQ(std::vector<std::wstring>{L"C:\\Apps\\K"}, disk.created);
  EXPECT_EQ(L"C:\\Apps\\K\\", state.ProposedProgramDir);
  EXPECT_EQ(L"C:\\Apps\\K\\", state.ProposedDataDir);
}

TEST(StoreFolders, ServerDataFolderIsCreatedOneLevelOrTheCheckFailsSilently) {
  {
    SCOPED_TRACE("missing, parent exists: created");
    InstallState state = StateOfType(bootstrap::kTypeServer);
    FakeDisk disk({L"C:\\", L"C:\\ProKolv", L"D:\\"});
    EXPECT_TRUE(StoreFolders(state, L"C:\\ProKolv", L"D:\\Date", disk));
    EXPECT_EQ(L"D:\\Date", state.DataDir);
    EXPECT_EQ(std::vector<std::wstring>{L"D:\\Date"}, disk.created);
  }
  {
    SCOPED_TRACE("existing other folder");
    InstallState state = StateOfType(bootstrap::kTypeServer);
    FakeDisk disk({L"C:\\", L"C:\\ProKolv", L"E:\\Baza"});
    EXPECT_TRUE(StoreFolders(state, L"C:\\ProKolv", L"E:\\Baza", disk));
    EXPECT_EQ(L"E:\\Baza", state.DataDir);
    EXPECT_TRUE(disk.created.empty());
  }
  {
    SCOPED_TRACE("parent missing: fails, no message, DataDir kept, program still made");
    InstallState state = StateOfType(bootstrap::kTypeServer);
    FakeDisk disk({L"C:\\"});
    EXPECT_FALSE(StoreFolders(state, L"C:\\NouKolv", L"D:\\Nu\\Exista", disk));
    EXPECT_EQ(L"D:\\Earlier", state.DataDir);
    EXPECT_EQ(0, disk.messages);
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\NouKolv"}, disk.created);
    // The proposals keep what was stored, so the next visit shows them.
    EXPECT_EQ(L"C:\\NouKolv", state.ProposedProgramDir);
    EXPECT_EQ(L"D:\\Earlier", state.ProposedDataDir);
  }
}

TEST(StoreFolders, ClientDataFolderMustExistAndIsNeverCreated) {
  {
    InstallState state = StateOfType(bootstrap::kTypeClient);
    FakeDisk disk({L"C:\\", L"C:\\ProKolv", L"N:\\", L"N:\\KDATE"});
    EXPECT_TRUE(StoreFolders(state, L"C:\\ProKolv", L"N:\\KDATE", disk));
    EXPECT_EQ(L"N:\\KDATE", state.DataDir);
    EXPECT_EQ(0, disk.messages);
  }
  for (const wchar_t* data : {L"N:\\Lipsa", L""}) {
    SCOPED_TRACE(testing::Message() << "data field of " << std::wstring(data).size() << " chars");
    InstallState state = StateOfType(bootstrap::kTypeClient);
    FakeDisk disk({L"C:\\", L"N:\\"});
    EXPECT_FALSE(StoreFolders(state, L"C:\\ProKolv", data, disk));
    EXPECT_EQ(1, disk.messages);
    EXPECT_EQ(L"D:\\Earlier", state.DataDir);
    // Only the program folder is made.
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\ProKolv"}, disk.created);
  }
}

TEST(StoreFolders, AnEmptyOrUncreatableProgramFolderKeepsThePageOpen) {
  for (const wchar_t* program : {L"", L"Q:\\Fara\\Parinte"}) {
    InstallState state = StateOfType(bootstrap::kTypeLocal);
    FakeDisk disk({L"C:\\"});
    EXPECT_FALSE(StoreFolders(state, program, L"", disk));
    EXPECT_TRUE(disk.created.empty());
    EXPECT_EQ(program, state.ProposedProgramDir);
  }
}

// Names that hang on the current drive or folder exist there as far as the system can tell,
// yet the copy would put its files somewhere else: they are refused, the refused field named.
TEST(StoreFolders, AFolderWithoutARootIsRefusedAndItsFieldNamed) {
  const std::set<std::wstring> current = {L"C:\\",     L"C:\\ProKolv", L"N:\\KDATE", L"Kolvar",
                                          L"D:Kolvar", L"\\Kolvar",    L"Date"};
  for (const wchar_t* program : {L"Kolvar", L"D:Kolvar", L"\\Kolvar"}) {
    InstallState state = StateOfType(bootstrap::kTypeLocal);
    FakeDisk disk(current);
    FolderCheck check = StoreFolders(state, program, L"", disk);
    EXPECT_FALSE(check) << program;
    EXPECT_EQ(DirsField::kProgram, check.refused) << program;
    EXPECT_TRUE(disk.created.empty());
  }
  for (uint8_t type : {bootstrap::kTypeServer, bootstrap::kTypeClient}) {
    InstallState state = StateOfType(type);
    FakeDisk disk(current);
    FolderCheck check = StoreFolders(state, L"C:\\ProKolv", L"Date", disk);
    EXPECT_EQ(DirsField::kData, check.refused);
    EXPECT_EQ(L"D:\\Earlier", state.DataDir);
    EXPECT_EQ(0, disk.messages);  // not "the server database must exist"
    // Both refused: the program field comes first.
    EXPECT_EQ(DirsField::kProgram, StoreFolders(state, L"Kolvar", L"Date", disk).refused);
  }
  // A drive's root and a share are folders from a root.
  InstallState state = StateOfType(bootstrap::kTypeClient);
  FakeDisk disk(current);
  EXPECT_TRUE(StoreFolders(state, L"C:\\", L"N:\\KDATE", disk));
  EXPECT_EQ(L"C:\\", state.ProgramDir);
}

TEST(FolderPaths, PickerAnswerEndsWithOneBackslash) {
  EXPECT_EQ(L"C:\\", PickerAnswer(L"C:\\"));
  EXPECT_EQ(L"C:\\Apps\\K\\", PickerAnswer(L"C:\\Apps\\K"));
  EXPECT_EQ(L"\\\\srv\\share\\", PickerAnswer(L"\\\\srv\\share"));
}

TEST(FolderPaths, ChainGoesFromTheRootDown) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ((V{L"C:\\"}), PathChain(L"C:\\"));
  EXPECT_EQ((V{L"C:\\"}), PathChain(L"C:"));
  EXPECT_EQ((V{L"C:\\", L"C:\\Apps", L"C:\\Apps\\K"}), PathChain(L"C:\\Apps\\K\\"));
  EXPECT_EQ((V{L"C:\\", L"C:\\a", L"C:\\a\\b"}), PathChain(L"C:\\a\\\\b"));
  EXPECT_EQ((V{L"\\\\srv\\share", L"\\\\srv\\share\\kolv"}), PathChain(L"\\\\srv\\share\\kolv"));
  EXPECT_EQ(V{}, PathChain(L"relative\\path"));
  EXPECT_EQ(V{}, PathChain(L"\\\\srv"));
  EXPECT_EQ(V{}, PathChain(L""));

  EXPECT_EQ(L"C:\\", FolderCaption(L"C:\\"));
  EXPECT_EQ(L"K", FolderCaption(L"C:\\Apps\\K\\"));
  EXPECT_EQ(L"\\\\srv\\share", FolderCaption(L"\\\\srv\\share"));
}

TEST(FolderPaths, DriveLinesAndFolderOrder) {
  EXPECT_EQ(L"c: [SISTEM]", DriveLine(L'C', L"SISTEM"));
  EXPECT_EQ(L"a:", DriveLine(L'A', L""));
  EXPECT_EQ(L"n: [\\\\srv\\kolv]", DriveLine(L'N', L"\\\\srv\\kolv"));
  std::vector<std::wstring> names = {L"beta", L"Alfa", L"_x", L"alfa", L"Gama"};
  SortFolderNames(names);
  EXPECT_EQ((std::vector<std::wstring>{L"Alfa", L"alfa", L"beta", L"Gama", L"_x"}), names);
}

}  // namespace
}  // namespace kolvar::pages
