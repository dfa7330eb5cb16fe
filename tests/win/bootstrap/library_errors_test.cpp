// The installer raises the standard library's container and string errors as errors of its own
// (see library_errors.cpp, linked into this test program as into the installer).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"

namespace {

TEST(LibraryErrors, ContainerAndStringFaultsArriveAsTheProgramsOwnErrors) {
  std::wstring text = L"abc";
  try {
    (void)text.at(7);
    FAIL() << "no error";
  } catch (const kolvar::Error& e) {
    EXPECT_EQ(e.message().rfind(L"Eroare interna a programului: basic_string::at", 0), 0u)
        << std::string(e.what());
  }
  EXPECT_THROW((void)text.substr(9), kolvar::Error);
  EXPECT_THROW(text.reserve(text.max_size() + 1), kolvar::Error);
  std::vector<int> numbers;
  EXPECT_THROW((void)numbers.at(0), kolvar::Error);
  // Whoever catches std::exception still sees them.
  try {
    (void)numbers.at(3);
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("vector::_M_range_check"), std::string::npos);
  }
}

}  // namespace
