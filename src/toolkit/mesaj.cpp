#include "toolkit/mesaj.h"

#include <algorithm>
#include <tuple>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/text.h"
#include "toolkit/design_file.h"
#include "toolkit/pure/layout.h"
#include "toolkit/pure/pictures.h"

namespace kolvar::toolkit {
namespace {

struct Globals {
  bool initialized = false;
  std::wstring programFolder;
  TPicture empty = std::make_shared<TBitmap>();
  TPicture hatch;
  bool gradients = true;
  TColor hintColor = 0xE6E2D9;
  SIZE maxFormSize{};
  std::unique_ptr<TMesaj> holder;
  // Pictures drawn for other screens, by (serial, cells, dots per inch).
  std::map<std::tuple<uint64_t, int, int>, TPicture> scaled;
};

Globals& G() {
  static Globals globals;
  return globals;
}

const TPicture& Named(const char* name) {
  return Mesaj().Picture(name);
}

}  // namespace

int TMesaj::Count() const {
  return static_cast<int>(HolderPictures().size());
}

const std::map<std::string, TPicture>& TMesaj::All() const {
  for (const PictureLayout& layout : HolderPictures())
    Picture(layout.name);
  return pictures_;
}

const std::string* TMesaj::NameOf(const TBitmap& picture) const {
  auto it = names_.find(picture.Serial());
  return it == names_.end() ? nullptr : &it->second;
}

TPicture ScaledPicture(const TBitmap& picture, int cells, int ppi) {
  TPicture itself(TPicture(), &picture);
  if (ppi == 96 || ppi <= 0 || picture.Empty())
    return itself;
  cells = std::max(1, cells);
  Globals& g = G();
  auto key = std::make_tuple(picture.Serial(), cells, ppi);
  if (auto it = g.scaled.find(key); it != g.scaled.end())
    return it->second;
  const std::string* name = Mesaj().NameOf(picture);
  TPicture made;
  if (name) {
    Raster r = DrawPicture(*name, ppi);
    made = std::make_shared<TBitmap>(r.Width(), r.Height(), r.Pixels());
  } else {
    int cellWidth = ScaleValue(picture.Width() / cells, ppi, 96);
    int cellHeight = ScaleValue(picture.Height(), ppi, 96);
    std::vector<TColor> pixels = ResizeCells(picture.Pixels(), picture.Width(), picture.Height(),
                                             cells, cellWidth, cellHeight);
    if (pixels.empty())
      return itself;
    made = std::make_shared<TBitmap>(cells * cellWidth, cellHeight, pixels);
  }
  // Pictures of the program's own come and go; keep the memory of them bounded.
  if (g.scaled.size() > 512)
    g.scaled.clear();
  return g.scaled[key] = std::move(made);
}

const TPicture& TMesaj::Picture(const std::string& name) const {
  if (auto it = pictures_.find(name); it != pictures_.end())
    return it->second;
  const PictureLayout* layout = FindPicture(name);
  if (!layout)
    return G().empty;
  Raster r = DrawPicture(layout->name);
  auto picture = std::make_shared<TBitmap>(r.Width(), r.Height(), r.Pixels());
  names_[picture->Serial()] = std::string(layout->name);
  return pictures_[layout->name] = std::move(picture);
}

bool GradientsFor(bool lowColorFilePresent, int bitsPerPixel) {
  return !lowColorFilePresent && bitsPerPixel > 8;
}

void InitializeToolkit() {
  Globals& g = G();
  if (g.initialized)
    return;
  g.initialized = true;
  g.programFolder = IncludeTrailingBackslash(ExecutableFolder());
  std::vector<TColor> hatch(64, 0xFFFFFF);
  for (int i = 1; i < 8; i += 2) {
    for (int j = 0; j < 8; ++j) {
      hatch[i * 8 + j] = 0x808080;
      hatch[j * 8 + i] = 0x808080;
    }
  }
  g.hatch = std::make_shared<TBitmap>(8, 8, hatch);
  int bits = 32;
  {
    ScopedGetDC screen(nullptr);
    if (screen.get()) {
      bits = ::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES);
    }
  }
  g.gradients = GradientsFor(FileExists(g.programFolder + L"LowColor.dat"), bits);
  g.holder = std::make_unique<TMesaj>();
  LoadStartupDesigns();
  g.hintColor = g.gradients ? 0xE6E2D9 : 0x00FFFF;
  g.maxFormSize = SIZE{::GetSystemMetrics(SM_CXSCREEN) + 2 * ::GetSystemMetrics(SM_CXFRAME),
                       ::GetSystemMetrics(SM_CYSCREEN) + 2 * ::GetSystemMetrics(SM_CYFRAME)};
}

const TMesaj& Mesaj() {
  InitializeToolkit();
  return *G().holder;
}

const std::wstring& ProgramFolder() {
  InitializeToolkit();
  return G().programFolder;
}

bool GradientsEnabled() {
  InitializeToolkit();
  return G().gradients;
}

void SetGradientsEnabled(bool enabled) {
  InitializeToolkit();
  G().gradients = enabled;
}

TColor HintColor() {
  InitializeToolkit();
  return G().hintColor;
}

SIZE MaxFormSize() {
  InitializeToolkit();
  return G().maxFormSize;
}

const TPicture& EmptyPicture() {
  return G().empty;
}

const TPicture& HatchPattern() {
  InitializeToolkit();
  return G().hatch;
}

const TPicture& DialogIcon(TMsgDlgType type) {
  static const char* const names[] = {"Warning", "Error", "Information", "Confirmation"};
  return type >= mtWarning && type < mtCustom ? Named(names[type]) : EmptyPicture();
}

const TPicture& MarkImage(TAlteGlife kind) {
  static const char* const names[] = {
      "",          "Permis", "Interzis", "Surub",     "Linii",        "Check",     "Radio",
      "Anulat",    "GrupX",  "Grup0",    "crescator", "descrescator", "ToolbVert", "ToolbOriz",
      "EscapeImg", "SCLogo", "Pag",      "Kolvar",    "Buget",        "Neoperat"};
  return kind > glCustom && kind <= glNeoperat ? Named(names[kind]) : EmptyPicture();
}

const TPicture& ButtonImage(TMButtonKind kind) {
  const char* name = ButtonImageName(kind);
  return name[0] ? Named(name) : EmptyPicture();
}

const TPicture& NiceButtonImage(TMButtonKind kind) {
  const char* name = NiceButtonImageName(kind);
  return name[0] ? Named(name) : EmptyPicture();
}

// --- TTransImage --------------------------------------------------------------------------------

TTransImage::TTransImage(TWinControl* parent, std::wstring name) : TImage(parent, std::move(name)) {
  bounds_ = TRect{0, 0, 24, 24};
  autoSize_ = true;
  Transparent = true;
}

const TBitmap* TTransImage::CurrentPicture() const {
  if (kindMic_ != mkCustom)
    return ButtonImage(kindMic_).get();
  if (kindMare_ != mtCustom)
    return DialogIcon(kindMare_).get();
  if (kindAlte_ != glCustom)
    return MarkImage(kindAlte_).get();
  return Picture().get();
}

int TTransImage::CurrentPictureDpi() const {
  // The holder's pictures are made for 96 dots per inch.
  if (kindMic_ != mkCustom || kindMare_ != mtCustom || kindAlte_ != glCustom)
    return 96;
  return TImage::CurrentPictureDpi();
}

void TTransImage::SetKindMic(TMButtonKind kind) {
  kindMic_ = kind;
  kindMare_ = mtCustom;
  kindAlte_ = glCustom;
  PictureChanged();
}

void TTransImage::SetKindMare(TMsgDlgType kind) {
  kindMare_ = kind;
  kindMic_ = mkCustom;
  kindAlte_ = glCustom;
  PictureChanged();
}

void TTransImage::SetKindAlte(TAlteGlife kind) {
  kindAlte_ = kind;
  kindMic_ = mkCustom;
  kindMare_ = mtCustom;
  PictureChanged();
}

void TTransImage::SetBitmap(TPicture picture) {
  kindMic_ = mkCustom;
  kindMare_ = mtCustom;
  kindAlte_ = glCustom;
  SetPicture(std::move(picture));
}

void TTransImage::Paint(HDC dc) {
  if (!Visible())
    return;
  TImage::Paint(dc);
}

// --- TMImageList --------------------------------------------------------------------------------

}  // namespace kolvar::toolkit
