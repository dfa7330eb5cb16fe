#include "gallery_form.h"

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input_pages.h"
#include "toolkit/application.h"
#include "toolkit/mesaj.h"
#include "toolkit/std_controls.h"

namespace kolvar::gallery {

using namespace kolvar::toolkit;

namespace {

constexpr TColor kPageColor = 0x78695C;

// A windowless cell painted by a function.
class TPreview : public TGraphicControl {
 public:
  TPreview(TWinControl* parent, std::function<void(HDC, int, int)> painter)
      : TGraphicControl(parent, L""), painter_(std::move(painter)) {}
  void Paint(HDC dc) override { painter_(dc, Width(), Height()); }

 private:
  std::function<void(HDC, int, int)> painter_;
};

TLabel* Heading(TWinControl* parent, int x, int y, const std::wstring& text) {
  auto* label = new TLabel(parent, L"");
  label->SetTransparent(true);
  label->Font().Style = fsBold;
  label->Font().Color = clWhite;
  label->SetBounds(x, y, 100, 16);
  label->SetCaption(text);
  return label;
}

void BuildTitleBars(TPanel* p) {
  struct Bar {
    const wchar_t* caption;
    TColor start, end, text;
    TIconStyle icon;
    bool grayed, vertical;
    int height;
  };
  const Bar bars[] = {
      {L"Bara de titlu: culorile implicite", 0x4D3004, 0xEFEFEF, clBlack, TIconStyle::isNone, false,
       false, 25},
      {L"Pagina: TitleBar1 cu culoare unica", kPageColor, kPageColor, clWhite, TIconStyle::isNone,
       false, false, 25},
      {L"Atentie !", 0x825106, 0xEFEFEF, clBlack, TIconStyle::isNone, false, false, 25},
      {L"Cautare (isSearch)", 0x4D3004, 0xEFEFEF, clBlack, TIconStyle::isSearch, false, false, 25},
      {L"Detalii (isDetail)", 0x8A4507, 0x1ECDF9, clBlack, TIconStyle::isDetail, false, false, 25},
      {L"Sub o fereastra modala (Grayed)", 0x825106, 0xEFEFEF, clBlack, TIconStyle::isNone, true,
       false, 25},
      {L"Vertical", 0x4D3004, 0xEFEFEF, clWhite, TIconStyle::isNone, false, true, 40},
      {L"Un titlu mult prea lung pentru bara lui, taiat la latimea textului fara sa treaca pe "
       L"randul urmator",
       0x4D3004, 0xEFEFEF, clBlack, TIconStyle::isNone, false, false, 25},
  };
  int y = 8;
  for (const Bar& b : bars) {
    auto* bar = new TTitleBar(p, L"");
    bar->SetBounds(12, y, 470, b.height);
    bar->SetStartColor(b.start);
    bar->SetEndColor(b.end);
    bar->SetCaptionColor(b.text);
    bar->SetIconStyle(b.icon);
    bar->SetGrayed(b.grayed);
    bar->SetVertical(b.vertical);
    bar->SetCaption(b.caption);
    y += b.height + 8;
  }
  Heading(p, 500, 8, L"DialogIcon");
  int x = 500;
  for (TMsgDlgType t : {mtWarning, mtError, mtInformation, mtConfirmation}) {
    auto* image = new TTransImage(p, L"");
    image->SetLeft(x);
    image->SetTop(28);
    image->SetKindMare(t);
    x += 92;
  }
  Heading(p, 500, 92, L"MarkImage");
  for (int k = glPermis; k <= glNeoperat; ++k) {
    auto* image = new TTransImage(p, L"");
    int i = k - glPermis;
    image->SetLeft(500 + (i % 5) * 76);
    image->SetTop(112 + (i / 5) * 30);
    image->SetKindAlte(static_cast<TAlteGlife>(k));
  }
  Heading(p, 500, 240, L"TTransImage: Stretch, Proportional, Center");
  for (int i = 0; i < 3; ++i) {
    auto* image = new TTransImage(p, L"");
    image->SetAutoSize(false);
    image->SetBounds(500 + i * 60, 260, 43, 43);
    image->Stretch = true;
    image->Proportional = i > 0;
    image->Center = i > 1;
    image->SetKindMare(mtError);
    auto* frame = new TPreview(p, [](HDC dc, int w, int h) {
      FrameSolid(dc, RECT{0, 0, w, h}, 0xFFFFFF);
    });
    frame->SetBounds(499 + i * 60, 259, 45, 45);
  }

  Heading(p, 12, y + 4, L"Controale simple");
  y += 24;
  auto* raised = new TPanel(p, L"");
  raised->SetBounds(12, y, 150, 40);
  raised->SetCaption(L"TPanel ridicat");
  auto* lowered = new TPanel(p, L"");
  lowered->SetBounds(172, y, 150, 40);
  lowered->SetBevelOuter(TBevelCut::bvLowered);
  lowered->SetAlignment(TAlignment::taLeftJustify);
  lowered->SetCaption(L" Coborat, aliniat stanga");
  auto* move = new TMovePanel(p, L"");
  move->SetBounds(332, y, 150, 40);
  move->SetBevelInner(TBevelCut::bvLowered);
  move->SetCaption(L"TMovePanel");
  y += 50;
  auto* label = new TLabel(p, L"");
  label->SetBounds(12, y, 100, 16);
  label->SetCaption(L"Eticheta &activa");
  auto* disabled = new TLabel(p, L"");
  disabled->SetBounds(172, y, 100, 16);
  disabled->SetCaption(L"Eticheta dezactivata");
  disabled->SetEnabled(false);
  y += 22;
  auto* edit = new TEdit(p, L"");
  edit->SetBounds(12, y, 150, 21);
  edit->SetText(L"C:\\KOLVAR\\");
  label->FocusControl = edit;
  auto* memo = new TMemo(p, L"");
  memo->ScrollBars = TScrollStyle::ssVertical;
  memo->SetBounds(172, y, 310, 60);
  memo->SetLines({L"Memo cu mai multe randuri,", L"bara de derulare verticala", L"si text lung."});
  y += 70;
  for (int i = 0; i < 3; ++i) {
    auto* gauge = new TGauge(p, L"");
    gauge->SetBounds(12 + i * 160, y, 150, 20);
    gauge->SetProgress(i == 0 ? 0 : i == 1 ? 37 : 100);
  }
}

// The kind's name beside its row of samples.
void KindNameLabel(TPanel* p, int kind, int x, int y, int width) {
  auto* name = new TLabel(p, L"");
  name->SetTransparent(true);
  name->Font().Color = 0xE0E0E0;
  name->SetBounds(x, y, width, 14);
  const char* text = ButtonKindName(kind);
  name->SetCaption(std::wstring(text, text + strlen(text)));
}

const wchar_t* const kLookNames[] = {L"normal", L"hot", L"apasat", L"dezactivat"};

void BuildNiceButtons(TPanel* p, int first, int last) {
  auto* sample = new TNiceButton(p, L"Sample");
  sample->Hide();
  for (int col = 0; col < 2; ++col) {
    for (int look = 0; look < 4; ++look)
      Heading(p, 8 + col * 484 + look * 104 + 24, 4, kLookNames[look]);
  }
  for (int k = first; k <= last; ++k) {
    int i = k - first, col = i / 20, row = i % 20;
    int x = 8 + col * 484, y = 24 + row * 31;
    KindNameLabel(p, k, x + 424, y + 7, 40);
    for (int look = 0; look < 4; ++look) {
      auto* cell = new TPreview(p, [sample, k, look](HDC dc, int w, int h) {
        sample->SetKind(static_cast<TMButtonKind>(k));
        sample->PaintPreview(dc, w, h, static_cast<TNiceButton::Look>(look), false);
      });
      cell->SetBounds(x + look * 104, y, 100, 28);
    }
  }
}

void BuildLargeButtons(TPanel* p, int first, int last) {
  auto* sample = new TMButton(p, L"Sample");
  sample->Hide();
  sample->SetColor(kPageColor);
  sample->Font().Color = clWhite;
  sample->Font().Style = fsBold;
  sample->ColorOver = 0x9A8A7C;
  for (int col = 0; col < 2; ++col) {
    for (int look = 0; look < 4; ++look)
      Heading(p, 8 + col * 480 + look * 94 + 14, 4, kLookNames[look]);
  }
  for (int k = first; k <= last; ++k) {
    int i = k - first, col = i / 15, row = i % 15;
    int x = 8 + col * 480, y = 22 + row * 42;
    KindNameLabel(p, k, x + 378, y + 13, 80);
    for (int look = 0; look < 4; ++look) {
      auto* cell = new TPreview(p, [sample, k, look](HDC dc, int w, int h) {
        sample->SetCaption(L"");
        sample->CaptionVisible = true;
        sample->SetKind(mkCustom);
        sample->SetKind(static_cast<TMButtonKind>(k));
        if (sample->Caption().empty()) {
          std::string n = ButtonKindName(k) + 2;
          sample->SetCaption(std::wstring(n.begin(), n.end()));
        }
        sample->SetEnabled(look != 3);
        sample->PaintPreview(dc, RECT{0, 0, w, h}, look == 1 || look == 2, look == 2, false);
        sample->SetEnabled(true);
      });
      cell->SetBounds(x + look * 94, y, 90, 40);
    }
  }
}

void BuildLive(TPanel* p) {
  Heading(p, 12, 8, L"Butoane vii: treceti cu mouse-ul, Tab, Enter, Spatiu");
  const TMButtonKind large[] = {mkAbort, mkNext, mkPrev, mkClose};
  const wchar_t* captions[] = {L"&Abandon", L"&Continua", L"&Inapoi", L"I&esire#din program"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new TMButton(p, L"");
    b->SetBounds(12, 32 + i * 58, 90, i == 3 ? 56 : 50);
    b->SetColor(kPageColor);
    b->ColorOver = 0x9A8A7C;
    b->Font().Color = clWhite;
    b->Font().Style = fsBold;
    b->SetCaption(captions[i]);
    b->SetKind(large[i]);
    b->CaptionVisible = true;
  }
  auto* dim = new TMButton(p, L"");
  dim->SetBounds(12, 266, 90, 50);
  dim->SetColor(kPageColor);
  dim->SetKind(mkHelp);
  dim->SetEnabled(false);
  const TMButtonKind nice[] = {mkYes,    mkNo,  mkOK,   mkCancel, mkRetry,
                               mkIgnore, mkAll, mkHelp, mkClose};
  for (int i = 0; i < 9; ++i) {
    auto* b = new TNiceButton(p, L"");
    b->SetBounds(130 + (i % 3) * 104, 32 + (i / 3) * 34, 100, 28);
    b->SetKind(nice[i]);
    if (i == 8)
      b->SetEnabled(false);
  }
  auto* shown = new TNiceButton(p, L"");
  shown->SetBounds(130, 140, 40, 40);
  shown->SetKind(mkAbort);
  shown->Stretch = true;
  shown->CaptionVisible = false;
}

}  // namespace

// Every page is built here, at 96 dots per inch like the rest of the window, so that the
// window's scaling to the screen takes the pages along; the buttons show one at a time.
TGallery::TGallery() : TTitleForm(L"TGallery") {
  SetBorderStyle(TBorderStyle::bsNone);
  SetColor(kPageColor);
  SetBounds(4, 4, 1000, 740);
  TitleBar1->SetAlign(TAlign::alTop);
  TitleBar1->SetHeight(25);
  TitleBar1->SetStartColor(0x4D3004);
  TitleBar1->SetEndColor(0xEFEFEF);
  BBack->SetBounds(760, 700, 100, 28);
  BBack->SetKind(mkPrev);
  BBack->SetCaption(L"&Inapoi");
  BBack->OnClick = [this](TControl*) { ShowPage(page_ - 1); };
  BNext->SetBounds(870, 700, 100, 28);
  BNext->SetKind(mkNext);
  BNext->SetCaption(L"Ina&inte");
  BNext->OnClick = [this](TControl*) { ShowPage(page_ + 1); };
  BClose->SetBounds(12, 700, 100, 28);
  BClose->SetKind(mkClose);
  BClose->OnClick = [](TControl*) { Application().Terminate(); };

  pages_ = {
      {L"bare-si-imagini", BuildTitleBars, true},
      {L"bare-fara-gradient", BuildTitleBars, false},
      {L"butoane-mici-1", [](TPanel* p) { BuildNiceButtons(p, 0, 39); }, true},
      {L"butoane-mici-2", [](TPanel* p) { BuildNiceButtons(p, 40, kButtonKindCount - 1); }, true},
      {L"butoane-mici-fara-gradient", [](TPanel* p) { BuildNiceButtons(p, 0, 39); }, false},
      {L"butoane-mari-1", [](TPanel* p) { BuildLargeButtons(p, 0, 29); }, true},
      {L"butoane-mari-2", [](TPanel* p) { BuildLargeButtons(p, 30, kButtonKindCount - 1); }, true},
      {L"butoane-vii", BuildLive, true},
  };
  for (auto& page : InputControlPages())
    pages_.push_back({page.name, page.build, true});
  for (const Page& page : pages_) {
    auto* content = new TPanel(this, L"Content");
    content->SetBevelOuter(TBevelCut::bvLowered);
    content->SetBounds(8, 33, 984, 658);
    content->Hide();
    page.build(content);
    contents_.push_back(content);
  }
}

void TGallery::ShowPage(int index) {
  if (index < 0 || index >= PageCount())
    return;
  page_ = index;
  SetGradientsEnabled(pages_[index].gradients && machineGradients_);
  HideDialogPreviews();
  for (int i = 0; i < PageCount(); ++i)
    contents_[i]->SetVisible(i == index);
  SetCaption(L"Galeria controalelor - pagina " + std::to_wstring(index + 1) + L" din " +
             std::to_wstring(PageCount()) + L": " + pages_[index].name);
  BBack->SetEnabled(index > 0);
  BNext->SetEnabled(index + 1 < PageCount());
  Invalidate();
}

void TGallery::FormCreate() {
  machineGradients_ = GradientsEnabled();
  ShowPage(0);
}

}  // namespace kolvar::gallery
