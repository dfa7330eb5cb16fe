#include "find_app_files.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/unique_handle.h"
#include "win_test_support.h"

namespace kolvar::testing {

void MakeProgramFile(const std::wstring& path, uint64_t size) {
  ForceDirectories(path.substr(0, path.find_last_of(L'\\')));
  ScopedFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file) << Narrow(path);
  LARGE_INTEGER length;
  length.QuadPart = static_cast<LONGLONG>(size);
  ASSERT_TRUE(::SetFilePointerEx(file.get(), length, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(file.get()));
}

void MakeAcceptedProgram(const std::wstring& folder) {
  MakeProgramFile(folder + L"\\KOLVAR.EXE", 6000001);
}

void MakeFolder(const std::wstring& folder, DWORD attributes) {
  ASSERT_TRUE(ForceDirectories(folder)) << Narrow(folder);
  if (attributes)
    ASSERT_TRUE(::SetFileAttributesW(folder.c_str(), attributes)) << Narrow(folder);
}

namespace {

// Folders whose names begin with a dot are hidden and kept (the large tree of the tests).
void EmptyE() {
  for (const std::wstring& name : ListFolders(L"E:\\"))
    if (name[0] != L'.')
      RemoveTree(L"E:\\" + name);
}

}  // namespace

EmptyDriveE::EmptyDriveE() {
  EXPECT_EQ(DRIVE_FIXED, ::GetDriveTypeW(L"E:\\")) << "E: is prepared by prepare_drives.sh";
  EmptyE();
}

EmptyDriveE::~EmptyDriveE() {
  EmptyE();
}

}  // namespace kolvar::testing
