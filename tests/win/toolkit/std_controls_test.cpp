// The plain controls: aligned children, client sizes, the gauge, labels with accelerators, and
// the gallery's pictures of every page.
#include <gtest/gtest.h>

#include <stdexcept>

#include "toolkit/application.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"
#include "ui_driver.h"
#include "win_test_support.h"

namespace kolvar::toolkit {
namespace {

class TPlainForm : public TMForm {
 public:
  TPlainForm() : TMForm(L"TPlainForm") {
    SetBorderStyle(TBorderStyle::bsDialog);
    SetBounds(200, 200, 300, 200);
    Label1->SetBounds(10, 10, 10, 10);
    Label1->SetCaption(L"&Folder:");
    Label1->FocusControl = Edit1;
    Edit1->SetBounds(10, 30, 150, 21);
    Edit2->SetBounds(10, 60, 150, 21);
    Gauge1->SetBounds(10, 100, 200, 20);
  }
  TLabel* Label1 = new TLabel(this, L"Label1");
  TEdit* Edit1 = new TEdit(this, L"Edit1");
  TEdit* Edit2 = new TEdit(this, L"Edit2");
  TGauge* Gauge1 = new TGauge(this, L"Gauge1");
};

TEST(StdControls, ClientSizeAndAlignedChildren) {
  TPlainForm form;
  form.SetClientSize(400, 250);
  EXPECT_EQ(400, form.ClientWidth());
  EXPECT_EQ(250, form.ClientHeight());
  form.Handle();
  EXPECT_EQ(400, form.ClientWidth());  // the same once the window exists
  auto* top = new TPanel(&form, L"Top");
  top->SetHeight(30);
  top->SetAlign(TAlign::alTop);
  auto* rest = new TPanel(&form, L"Rest");
  rest->SetAlign(TAlign::alClient);
  form.Realign();
  EXPECT_EQ(400, top->Width()) << top->Left() << "," << top->Top() << " " << top->Height();
  EXPECT_EQ(30, rest->Top());
  EXPECT_EQ(220, rest->Height());
  form.SetClientSize(500, 300);
  EXPECT_EQ(500, top->Width());
  EXPECT_EQ(270, rest->Height());
}

TEST(StdControls, GaugeKeepsItsProgressWithinItsLimits) {
  TPlainForm form;
  TGauge* g = form.Gauge1;
  g->SetMaxValue(3);
  g->SetProgress(1);
  EXPECT_EQ(33, g->PercentDone());
  g->SetProgress(7);
  EXPECT_EQ(3, g->Progress());
  EXPECT_EQ(100, g->PercentDone());
  g->SetProgress(-2);
  EXPECT_EQ(0, g->Progress());
  g->SetMaxValue(-5);  // never below the minimum
  EXPECT_EQ(0, g->MaxValue());
  EXPECT_EQ(0, g->PercentDone());
}

TEST(StdControls, LabelAcceleratorFocusesItsControlAndSizesItself) {
  auto form = CreateForm<TPlainForm>();
  EXPECT_GT(form->Label1->Width(), 20);  // grown to its caption
  form->SetActiveControl(form->Edit2);
  form->Show();
  testing::PumpFor(50);
  bool done = false;
  testing::UserScript user([&] {
    testing::PressKey('F', ssAlt);
    ::Sleep(100);
    done = true;
  });
  testing::PumpUntil([&] { return done; });
  testing::PumpFor(50);
  wchar_t cls[64] = L"";
  ::GetClassNameW(::GetFocus(), cls, 64);
  auto* focused = TWinControl::FromHandle(::GetFocus());
  EXPECT_TRUE(form->Edit1->Focused())
      << testing::Narrow(cls) << " " << (focused ? testing::Narrow(focused->Name()) : "?");
  form->Hide();
}

TEST(StdControls, AnyExceptionInAHandlerIsReported) {
  std::vector<std::wstring> reports;
  Application().OnException = [&](const std::wstring& text) { reports.push_back(text); };
  TPlainForm form;
  form.Handle();
  form.Edit1->OnChange = [](TControl*) { throw std::runtime_error("disc plin"); };
  form.Edit1->SetText(L"x");  // the edit reports the change through its window
  Application().OnException = nullptr;
  EXPECT_EQ((std::vector<std::wstring>{L"disc plin"}), reports);
}

TEST(Gallery, SavesAPictureOfEveryPage) {
  auto pages = testing::GalleryShots(L"gallery");
  for (const auto& [file, shot] : pages)
    EXPECT_EQ(1000, shot.width) << testing::Narrow(file);
  EXPECT_GE(pages.size(), 8u);
}

}  // namespace
}  // namespace kolvar::toolkit
