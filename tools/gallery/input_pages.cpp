#include "input_pages.h"

#include <algorithm>
#include <memory>

#include "toolkit/actives.h"
#include "toolkit/buttons.h"
#include "toolkit/fmt_label.h"
#include "toolkit/msg_dialog.h"
#include "toolkit/pure/palette.h"

using namespace kolvar::toolkit;

namespace kolvar::gallery {
namespace {

constexpr TColor kFace = 0xE0E0E0;

TLabel* Title(TWinControl* parent, int x, int y, const std::wstring& text) {
  auto* label = new TLabel(parent, L"");
  label->SetTransparent(true);
  label->Font().Style = fsBold;
  label->Font().Color = clWhite;
  label->SetBounds(x, y, 300, 16);
  label->SetCaption(text);
  return label;
}

// A light panel to hold a group of samples.
TPanel* Box(TWinControl* parent, int x, int y, int w, int h) {
  auto* box = new TPanel(parent, L"");
  box->SetBevelOuter(TBevelCut::bvLowered);
  box->SetColor(kFace);
  box->SetBounds(x, y, w, h);
  return box;
}

TActiveLabel* EditRow(TWinControl* box,
                      int y,
                      const wchar_t* caption,
                      const wchar_t* text,
                      TAlignment alignment,
                      bool flat) {
  auto* label = new TActiveLabel(box, L"");
  label->SetBounds(10, y + 3, 110, 16);
  label->SetColor(kFace);
  label->SetCaption(caption);
  auto* edit = new TActiveEdit(box, L"");
  edit->SetBounds(125, y, 170, 21);
  edit->SetAlignment(alignment);
  edit->FlatStyle = flat;
  edit->BorderColor = cl3;
  edit->BorderColorF = cl2;
  edit->SetAssocLabel(label);
  edit->SetLabelColor(0x0000C0);
  edit->SetText(text);
  return label;
}

void BuildInputs(TPanel* p) {
  Title(p, 12, 6, L"TActiveLabel, TActiveEdit, TActiveMemo");
  TPanel* edits = Box(p, 12, 26, 310, 250);
  EditRow(edits, 10, L"&Program:", L"C:\\KOLVAR\\", TAlignment::taLeftJustify, false);
  EditRow(edits, 38, L"&Date (plat):", L"C:\\KOLVAR\\DATE\\", TAlignment::taLeftJustify, true);
  EditRow(edits, 66, L"&Suma (dreapta):", L"1250.00", TAlignment::taRightJustify, true);
  EditRow(edits, 94, L"&Cod (centrat):", L"KV-2026", TAlignment::taCenter, true);
  TActiveLabel* off = EditRow(edits, 122, L"&Inactiv:", L"", TAlignment::taLeftJustify, false);
  off->SetEnabled(false);
  auto* memoLabel = new TActiveLabel(edits, L"");
  memoLabel->SetBounds(10, 153, 110, 16);
  memoLabel->SetColor(kFace);
  memoLabel->SetCaption(L"&Observatii:");
  auto* memo = new TActiveMemo(edits, L"");
  memo->SetBounds(125, 150, 170, 88);
  memo->SetAssocLabel(memoLabel);
  memo->SetLabelColor(0x0000C0);
  memo->SetLines({L"Eticheta se aprinde", L"cat timp memo-ul", L"are focusul."});

  Title(p, 340, 6, L"TActiveCheckBox, TMRadioButton");
  TPanel* checks = Box(p, 340, 26, 300, 250);
  const wchar_t* states[] = {L"&Nebifat", L"&Bifat", L"&Gri (AllowGrayed)"};
  for (int i = 0; i < 3; ++i) {
    auto* box = new TActiveCheckBox(checks, L"");
    box->SetBounds(10, 10 + i * 24, 180, 17);
    box->SetColor(kFace);
    box->AllowGrayed = true;
    box->SetCaption(states[i]);
    box->SetState(static_cast<TCheckBoxState>(i));
  }
  auto* left = new TActiveCheckBox(checks, L"");
  left->SetBounds(10, 82, 180, 17);
  left->SetColor(kFace);
  left->SetAlignment(TAlignment::taLeftJustify);
  left->SetCaption(L"Text la &stanga");
  left->SetChecked(true);
  auto* disabled = new TActiveCheckBox(checks, L"");
  disabled->SetBounds(10, 106, 180, 17);
  disabled->SetColor(kFace);
  disabled->SetCaption(L"&Dezactivat");
  disabled->SetChecked(true);
  disabled->SetEnabled(false);
  auto* one = new TMRadioButton(checks, L"");
  one->SetBounds(10, 140, 180, 17);
  one->SetColor(kFace);
  one->SetCaption(L"Buton &radio ales");
  one->SetChecked(true);
  auto* two = new TMRadioButton(checks, L"");
  two->SetBounds(10, 164, 180, 17);
  two->SetColor(kFace);
  two->SetCaption(L"Alt &buton radio");

  Title(p, 660, 6, L"TMRadioGroup (OnModify)");
  TPanel* groups = Box(p, 660, 26, 310, 250);
  auto* type = new TMRadioGroup(groups, L"");
  type->SetColor(kFace);
  type->SetBounds(10, 10, 140, 66);
  type->SetItems({L"&LOCAL", L"&SERVER", L"&CLIENT"});
  type->SetItemIndex(1);
  auto* columns = new TMRadioGroup(groups, L"");
  columns->SetColor(kFace);
  columns->SetBounds(10, 100, 290, 66);
  columns->SetColumns(2);
  columns->SetItems({L"Luni", L"Marti", L"Miercuri", L"Joi", L"Vineri", L"Sambata"});
  columns->SetItemIndex(4);
  auto* locked = new TMRadioGroup(groups, L"");
  locked->SetColor(kFace);
  locked->SetBounds(10, 190, 290, 44);
  locked->SetColumns(2);
  locked->SetItems({L"Refuza schimbarea", L"(OnModify)"});
  locked->SetItemIndex(0);
  locked->OnModify = [](TControl*, bool& can) { can = false; };

  Title(p, 12, 290, L"TFmtLabel: coduri @ && $ % ~ si \\");
  TPanel* markup = Box(p, 12, 310, 628, 330);
  std::wstring palette;
  for (int i = 0; i < 16; ++i)
    palette += L"@" + std::to_wstring(i) + L"%" + std::to_wstring(i) + L"% ";
  const wchar_t* samples[] = {
      L"Culori: @9rosu @2verde @12albastru @5mov @0negru",
      L"Marimi: &8opt &10zece &12doisprezece &14paisprezece",
      L"Stiluri: $0normal $1cursiv $2gros $3gros cursiv",
      L"Umbra: %text cu umbra% si fara; clipeste: ~@9!!!@0~ gata",
      L"Escape: 50\\% sigur, \\@adresa, \\&, \\$, \\~",
      L"Mai multe randuri\rtrec la linie\rla fiecare CR",
  };
  int y = 8;
  for (const wchar_t* s : samples) {
    auto* label = new TFmtLabel(markup, L"");
    label->SetColor(kFace);
    label->SetBounds(10, y, 400, 16);
    label->SetCaption(s);
    y = label->Top() + label->Height() + 8;
  }
  auto* colors = new TFmtLabel(markup, L"");
  colors->SetColor(kFace);
  colors->Font().Style = fsBold;
  colors->FontChanged();
  colors->SetBounds(10, y, 400, 20);
  colors->SetCaption(palette);
  auto* tick = new TFmtLabel(markup, L"");
  tick->SetColor(kFace);
  tick->Font().Name = L"Wingdings";
  tick->Font().Charset = SYMBOL_CHARSET;
  tick->Font().Height = -24;
  tick->Font().Color = 0x008000;
  tick->FontChanged();
  tick->SetBounds(10, y + 30, 30, 30);
  tick->SetCaption(L"%\xFC");
  auto* tickText = new TLabel(markup, L"");
  tickText->SetColor(kFace);
  tickText->SetBounds(46, y + 38, 300, 16);
  tickText->SetCaption(L"\"%\xFC\" in Wingdings: semnul de pas terminat");

  Title(p, 660, 290, L"TFmtLabel: Align (alMTop ... alMCenter)");
  TPanel* aligned = Box(p, 660, 310, 310, 200);
  const std::pair<TMAlign, const wchar_t*> places[] = {
      {TMAlign::alMTop, L"$2alMTop"},         {TMAlign::alMBottom, L"$2alMBottom"},
      {TMAlign::alMLeft, L"$2@4alMLeft"},     {TMAlign::alMRight, L"$2@4alMRight"},
      {TMAlign::alMCenter, L"$2@9alMCenter"},
  };
  for (const auto& [place, caption] : places) {
    auto* label = new TFmtLabel(aligned, L"");
    label->SetColor(0xF4F4F4);
    int top = place == TMAlign::alMLeft || place == TMAlign::alMRight ? 90 : 20;
    label->SetBounds(120, top, 10, 10);
    label->SetCaption(caption);
    label->SetAlign(place);
  }
}

struct DialogSample {
  const wchar_t* button;
  const wchar_t* text;
  int dlgType;
  uint16_t buttons;
  int defaultButton;
  bool heading;
};

// Shows the dialogs as windows over the page while the page exists (they are top-level windows:
// a dialog cannot live inside a panel).
class TDialogPreviews : public TGraphicControl {
 public:
  TDialogPreviews(TWinControl* parent, std::vector<DialogSample> samples)
      : TGraphicControl(parent, L""), samples_(std::move(samples)) {
    Live().push_back(this);
  }
  ~TDialogPreviews() override { Live().erase(std::find(Live().begin(), Live().end(), this)); }

  // Every preview control in the process.
  static std::vector<TDialogPreviews*>& Live() {
    static std::vector<TDialogPreviews*> live;
    return live;
  }

  void HideDialogs() {
    for (auto& dialog : dialogs_)
      dialog->Hide();
  }

  void Paint(HDC) override {
    if (!dialogs_.empty()) {
      for (auto& dialog : dialogs_)
        dialog->Show();
      return;
    }
    int x = 0, y = 0, rowHeight = 0;
    for (const DialogSample& s : samples_) {
      std::wstring text = ApplyMessageHeading(s.heading ? L"Pentru continuare" : L"", s.text);
      auto dialog =
          CreateMsgDialog(text, L"", s.dlgType, TAlignment::taCenter, s.buttons, s.defaultButton);
      if (x > 0 && x + dialog->Width() > Width()) {
        x = 0;
        y += rowHeight + 12;
        rowHeight = 0;
      }
      POINT at = ClientToScreen(x, y);
      dialog->Position = TPosition::poDesigned;
      dialog->SetBounds(at.x, at.y, dialog->Width(), dialog->Height());
      dialog->Show();
      x += dialog->Width() + 12;
      rowHeight = std::max(rowHeight, dialog->Height());
      dialogs_.push_back(std::move(dialog));
    }
  }

 private:
  std::vector<DialogSample> samples_;
  std::vector<std::unique_ptr<TMessageForm>> dialogs_;
};

void BuildDialogs(TPanel* p) {
  Title(p, 12, 6, L"ShowMsgDialog: fiecare dialog al instalarii");
  Title(p, 760, 6, L"Deschide-l (modal):");
  const std::vector<DialogSample> samples = {
      {L"Da + Nu", L"Doriti actualizarea bazei de date\rde pe server?", 3, 3, mbNo, false},
      {L"Doar OK", L"Instalarea s-a terminat cu succes.", 2, 4, mbOK, false},
      {L"Doar Renunt", L"Nu exista spatiu suficient pe disc.", 1, 8, mbCancel, false},
      {L"OK + Renunt", L"Introduceti discul 3 si apasati OK.", 0, 12, mbOK, false},
      {L"Cu titlu", L"Introduceti discul 2 in unitatea A:", 2, 12, mbOK, true},
      {L"mtCustom", L"Mesaj @9fara icoana\r%cu umbra%", 4, 4, mbOK, false},
  };
  auto* result = new TLabel(p, L"");
  result->SetTransparent(true);
  result->Font().Color = clWhite;
  result->SetBounds(760, 250, 200, 16);
  result->SetCaption(L"Raspuns: -");
  int i = 0;
  for (const DialogSample& s : samples) {
    auto* b = new TNiceButton(p, L"");
    b->SetBounds(760, 30 + i * 36, 140, 28);
    b->SetKind(mkCustom);
    b->SetCaption(s.button);
    b->OnClick = [s, result](TControl*) {
      if (s.heading)
        MessageHeading = L"Pentru continuare";
      int answer =
          ShowMsgDialog(s.text, L"", s.dlgType, TAlignment::taCenter, s.buttons, s.defaultButton);
      MessageHeading.clear();
      result->SetCaption(L"Raspuns: " + std::to_wstring(answer));
    };
    ++i;
  }
  auto* previews = new TDialogPreviews(p, samples);
  previews->SetBounds(12, 28, 730, 620);
}

}  // namespace

void HideDialogPreviews() {
  for (TDialogPreviews* previews : TDialogPreviews::Live())
    previews->HideDialogs();
}

std::vector<ExtraPage> InputControlPages() {
  return {{L"intrari-si-etichete", BuildInputs}, {L"dialoguri", BuildDialogs}};
}

}  // namespace kolvar::gallery
