// The document view on its own: where links lead, and what it does with damaged pictures and
// documents too large to read whole.
#include <gtest/gtest.h>

#include "htmlview/frame_viewer.h"
#include "toolkit/form.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::htmlview {
namespace {

TEST(DocumentView, LinksResolveBesideTheDocument) {
  struct {
    const wchar_t* href;
    const wchar_t* path;
    const wchar_t* anchor;
  } cases[] = {
      {L"x.htm", L"C:\\a\\b\\x.htm", L""},
      {L"../y.htm#top", L"C:\\a\\y.htm", L"top"},
      {L"sub/z%20w.htm", L"C:\\a\\b\\sub\\z w.htm", L""},
      {L" x.htm?q=1#n ", L"C:\\a\\b\\x.htm", L"n"},
      {L"file:///C:/q/r.htm", L"C:\\q\\r.htm", L""},
      {L"D:\\abs.htm", L"D:\\abs.htm", L""},
      {L"#only", L"", L"only"},
  };
  for (const auto& c : cases) {
    std::wstring path, anchor;
    ResolveLocalLink(L"C:\\a\\b\\", c.href, path, anchor);
    EXPECT_EQ(path, c.path) << testing::Narrow(c.href);
    EXPECT_EQ(anchor, c.anchor) << testing::Narrow(c.href);
  }
  for (const wchar_t* external : {L"http://example.com/", L"HTTPS://x", L"mailto:a@b.ro",
                                  L"javascript:void(0)", L"ftp://h/f"})
    EXPECT_TRUE(IsExternalLink(external)) << testing::Narrow(external);
  for (const wchar_t* local : {L"x.htm", L"C:\\x.htm", L"file:///C:/x.htm", L"#a", L"a:b.htm"})
    EXPECT_FALSE(IsExternalLink(local)) << testing::Narrow(local);
}

TEST(DocumentView, DamagedPicturesShowTheirTextAndLargeDocumentsAreCut) {
  testing::TempFolder folder(L"view");
  // A PNG header claiming 60000 × 60000 pixels over a few bytes, and bytes that are no picture.
  std::string huge("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\xEA\x60\0\0\xEA\x60\x08\x02\0\0\0", 29);
  testing::WriteFile(folder / L"huge.png", huge + std::string(64, '\0'));
  testing::WriteFile(folder / L"text.gif", "not a picture at all");
  testing::WriteFile(folder / L"page.htm",
                     "<p>a<img src=huge.png alt=Stricat><img src=text.gif alt=Nimic>"
                     "<img src=absent.jpg alt=Lipsa>");
  auto form = toolkit::CreateForm<toolkit::TMForm>();
  form->SetBorderStyle(toolkit::TBorderStyle::bsNone);
  form->SetBounds(0, 0, 600, 400);
  auto* viewer = new TFrameViewer(form.get(), L"FrameViewer");
  viewer->SetAlign(toolkit::TAlign::alClient);
  form->Show();
  ASSERT_TRUE(viewer->LoadFromFile(folder / L"page.htm"));
  testing::PumpFor(100);
  TDocumentView* view = viewer->Views().at(0);
  EXPECT_EQ(view->PictureSize(L"huge.png"), std::nullopt);
  EXPECT_EQ(view->PictureSize(L"text.gif"), std::nullopt);
  const auto& pictures = view->Layout().items.pictures;
  ASSERT_EQ(pictures.size(), 3u);
  for (const Picture& p : pictures) {
    EXPECT_LT(p.r.w, 200);  // the room of the text, not of the claimed size
    EXPECT_GT(p.r.w, 24);
  }

  // Past the size the view reads, the rest is cut and a note says so.
  std::string big = "<title>Mare</title><p>inceput<!--";
  big += std::string(9 * 1024 * 1024, 'x');
  testing::WriteFile(folder / L"big.htm", big);
  ASSERT_TRUE(viewer->LoadFromFile(folder / L"big.htm"));
  EXPECT_EQ(viewer->DocumentTitle(), L"Mare");
  const auto& texts = viewer->Views().at(0)->Layout().items.texts;
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.front().Text(), L"inceput");
  EXPECT_NE(texts.back().Text().find(L"prea mare"), std::wstring::npos);

  EXPECT_FALSE(viewer->LoadFromFile(folder / L"missing.htm"));
  EXPECT_TRUE(viewer->Views().empty());
  form->Hide();
}

}  // namespace
}  // namespace kolvar::htmlview
