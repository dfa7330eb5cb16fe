// The shared image holder, the toolkit's start-up values, the transparent picture control and
// the fixed-cell image list.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/control.h"
#include "toolkit/pure/button_kinds.h"
#include "toolkit/std_controls.h"

namespace kolvar::toolkit {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TAlteGlife {
  glCustom,
  glPermis,
  glInterzis,
  glSurub,
  glLinii,
  glCheck,
  glRadio,
  glAnulat,
  glGrupX,
  glGrup0,
  glCrescator,
  glDescrescator,
  glToolVert,
  glToolOriz,
  glImgEsc,
  glSCLogo,
  glPag,
  glKolvar,
  glBuget,
  glNeoperat,
};

// The holder of the 104 shared pictures, each drawn the first time it is asked for (the first
// page needs a handful of them) and kept.
class TMesaj {
 public:
  // Picture `name`, or the empty picture when there is no such name.
  const TPicture& Picture(const std::string& name) const;
  int Count() const;
  // Every picture, all drawn.
  const std::map<std::string, TPicture>& All() const;
  // The holder's name of `picture`, or null when it is not one of the holder's.
  const std::string* NameOf(const TBitmap& picture) const;

 private:
  mutable std::map<std::string, TPicture> pictures_;
  mutable std::map<uint64_t, std::string> names_;
};

// Start-up (once per process, before any toolkit window): records the program folder, makes the
// empty picture and the hatch pattern, sets the gradient switch ("LowColor.dat" in the program
// folder, or a screen of 8 bits per pixel or fewer, turns gradients off), creates the holder,
// sets the hint colour and the maximum form size. Later calls do nothing.
void InitializeToolkit();
// The holder (InitializeToolkit runs first when needed).
const TMesaj& Mesaj();

// Start-up values.
const std::wstring& ProgramFolder();
bool GradientsEnabled();
// Sets the gradient switch (the gallery shows both looks; start-up sets it from the machine).
void SetGradientsEnabled(bool enabled);
// Whether gradients are on for these inputs: no marker file and more than 8 bits per pixel.
bool GradientsFor(bool lowColorFilePresent, int bitsPerPixel);
TColor HintColor();
SIZE MaxFormSize();
const TPicture& EmptyPicture();
const TPicture& HatchPattern();

// `picture` (a strip of `cells` equal cells) as it is drawn on a screen of `ppi` dots per inch:
// itself at 96; otherwise the holder's pictures drawn anew at that size and any other picture
// grown (or shrunk) pixel by pixel, cell by cell. Made once and kept; at 96 (or when it cannot be
// resized) the result points at `picture` itself without owning it. Never null.
TPicture ScaledPicture(const TBitmap& picture, int cells, int ppi);

// Lookups by kind; the empty picture where a kind has none.
const TPicture& DialogIcon(TMsgDlgType type);
const TPicture& MarkImage(TAlteGlife kind);
const TPicture& ButtonImage(TMButtonKind kind);
const TPicture& NiceButtonImage(TMButtonKind kind);

// The toolkit's picture control: its own picture or a shared one chosen by kind, its top-left
// pixel's colour transparent.
class TTransImage : public TImage {
 public:
  TTransImage(TWinControl* parent, std::wstring name);

  TMButtonKind KindMic() const { return kindMic_; }
  void SetKindMic(TMButtonKind kind);
  TMsgDlgType KindMare() const { return kindMare_; }
  void SetKindMare(TMsgDlgType kind);
  TAlteGlife KindAlte() const { return kindAlte_; }
  void SetKindAlte(TAlteGlife kind);
  // Own picture; resets the three kinds.
  void SetBitmap(TPicture picture);
  void Paint(HDC dc) override;

 protected:
  const TBitmap* CurrentPicture() const override;
  int CurrentPictureDpi() const override;

 private:
  TMButtonKind kindMic_ = mkCustom;
  TMsgDlgType kindMare_ = mtCustom;
  TAlteGlife kindAlte_ = glCustom;
};

// A list of equal cells, optionally masked. Errors are thrown as kolvar::Error.
class TMImageList {
 public:
  // Throws "Invalid image size" for a width or height below 1.
  TMImageList(int width, int height);
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return static_cast<int>(cells_.size()); }
  // Adds a cell; `mask` may be null. Returns its index. Throws "Image dimensions do not match
  // image list dimensions" for a picture of another size and "Too many images" when the strip
  // would grow past 32768 pixels.
  int Add(const TBitmap& image, const TBitmap* mask);
  // Adds a cell whose pixels of `maskColor` are transparent. Returns its index.
  int AddMasked(const TBitmap& image, TColor maskColor);
  void Replace(int index, const TBitmap& image, const TBitmap* mask);
  void ReplaceMasked(int index, const TBitmap& image, TColor maskColor);
  void Delete(int index);
  // Draws cell `index` with its top-left corner at (x, y); on a screen of `ppi` dots per inch
  // the cell is drawn in proportion (Width × Height at 96).
  void Draw(HDC dc, int x, int y, int index, int ppi = 96) const;

 private:
  struct Cell {
    std::vector<TColor> image;
    std::vector<bool> mask;  // empty: drawn plainly; true: transparent pixel
  };
  Cell MakeCell(const TBitmap& image, const TBitmap* mask, bool useColor, TColor color) const;
  int StripCapacity() const;

  int width_;
  int height_;
  std::vector<Cell> cells_;
};

}  // namespace kolvar::toolkit
