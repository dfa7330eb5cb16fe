// Which links leave the document for the user's default program.
#include <gtest/gtest.h>

#include "htmlview/pure/links.h"

namespace kolvar::htmlview {
namespace {

TEST(Links, OnlyWebAndMailAddressesLeaveTheDocument) {
  struct {
    std::wstring href, opened;
  } cases[] = {
      {L"http://www.kolvar.ro/noutati", L"http://www.kolvar.ro/noutati"},
      {L"HTTPS://kolvar.ro", L"HTTPS://kolvar.ro"},
      {L"  mailto:suport@kolvar.ro \r\n", L"mailto:suport@kolvar.ro"},
      // Nothing after the scheme, or a scheme that starts a program or reads local files.
      {L"http://", L""},
      {L"mailto:", L""},
      {L"file:///C:/Windows/System32/calc.exe", L""},
      {L"javascript:alert(1)", L""},
      {L"ftp://kolvar.ro/", L""},
      {L"ms-settings:", L""},
      {L"C:\\Windows\\notepad.exe", L""},
      {L"\\\\server\\share\\setup.exe", L""},
      {L"httpx://kolvar.ro", L""},
      {L"Instruct.htm", L""},
      {L"", L""},
      // A control character inside could carry something else to the receiving program.
      {L"http://kolvar.ro/\nfile:C:/x", L""},
      {std::wstring(L"http://kolvar.ro/\0x", 19), L""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OpenableLink(c.href), c.opened) << std::string(c.href.begin(), c.href.end());
}

}  // namespace
}  // namespace kolvar::htmlview
