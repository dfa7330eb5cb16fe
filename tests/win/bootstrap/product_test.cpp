// What INSTALL.EXE carries besides its code: the manifest Windows reads before starting it and
// the logo typeface.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "win_test_support.h"

namespace kolvar {
namespace {

class ProductResources : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_) << "INSTALL.EXE not built"; }
  void TearDown() override {
    if (module_)
      ::FreeLibrary(module_);
  }
  std::string Resource(const wchar_t* name, const wchar_t* type) {
    HRSRC found = ::FindResourceW(module_, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module_, found) : nullptr;
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    return data ? std::string(data, ::SizeofResource(module_, found)) : std::string();
  }
  HMODULE module_ = ::LoadLibraryExW(testing::DistFile(L"INSTALL.EXE").c_str(),
                                     nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE);
};

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++n;
  return n;
}

TEST_F(ProductResources, ManifestAsksForAdministratorRightsAndNamesTheSystemsAndScaling) {
  std::string manifest = Resource(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_FALSE(manifest.empty());
  EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"requireAdministrator\""),
            std::string::npos);
  // Vista, 7, 8, 8.1, 10 and 11 (XP reads no such list).
  EXPECT_EQ(Count(manifest, "<supportedOS Id=\"{"), 5u);
  for (const char* id :
       {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
        "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
        "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
    EXPECT_NE(manifest.find(id), std::string::npos) << id;
  EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

TEST_F(ProductResources, CarriesTheLogoTypefaceAsTrueType) {
  std::string font = Resource(L"HELVETICAR", MAKEINTRESOURCEW(10));
  ASSERT_GT(font.size(), 1000u);
  EXPECT_EQ(font.substr(0, 4), std::string("\x00\x01\x00\x00", 4));
  EXPECT_LT(font.size(), 20000u) << "the subset holds only the logo's letters";
}

}  // namespace
}  // namespace kolvar
