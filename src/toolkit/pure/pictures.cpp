#include "toolkit/pure/pictures.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kolvar::toolkit {
namespace {

// The palette of the picture set: each hue as a light top and a dark bottom shade.
struct Hue {
  TColor top;
  TColor bottom;
};
constexpr Hue kGreen{Rgb(120, 200, 90), Rgb(30, 120, 40)};
constexpr Hue kRed{Rgb(240, 110, 90), Rgb(170, 30, 30)};
constexpr Hue kBlue{Rgb(110, 160, 230), Rgb(30, 70, 160)};
constexpr Hue kYellow{Rgb(255, 225, 110), Rgb(220, 150, 20)};
constexpr Hue kGrey{Rgb(235, 235, 235), Rgb(150, 150, 160)};
constexpr Hue kPaper{Rgb(255, 255, 255), Rgb(215, 220, 230)};
constexpr Hue kBrown{Rgb(200, 150, 100), Rgb(120, 80, 40)};
constexpr Hue kTeal{Rgb(100, 200, 200), Rgb(20, 120, 130)};
constexpr Hue kViolet{Rgb(190, 140, 220), Rgb(100, 50, 150)};
constexpr Hue kOrange{Rgb(255, 190, 110), Rgb(220, 110, 30)};
constexpr Hue kPeach{Rgb(255, 210, 180), Rgb(230, 140, 110)};
constexpr Hue kNavy{Rgb(90, 110, 170), Rgb(20, 40, 100)};
constexpr TColor kInk = Rgb(40, 40, 50);
constexpr TColor kWhite = Rgb(255, 255, 255);

TColor Edge(const Hue& h) {
  return DarkenColor(h.bottom, 2);
}

void Fill(Raster& r, const Shape& s, const Hue& h) {
  r.Fill(s, h.top, h.bottom, Edge(h));
}
void Solid(Raster& r, const Shape& s, TColor c) {
  r.Fill(s, c, c, clNone);
}

// The pictures are small programs for a stack of shapes, drawn in a 24 × 24 unit square: shape
// operations push a shape made of their numbers, the set operations combine the top two, and the
// paint operations fill the top one and take it off. Numbers are bytes: halves of units up to
// 99.5, or from 200 on the values of kOdd, so that every coordinate is the very double it was.
enum Op : uint8_t {
  kEnd,
  kCircle,     // cx cy r
  kEllipse,    // cx cy rx ry
  kBlock,      // x0 y0 x1 y1
  kRoundBox,   // x0 y0 x1 y1 radius
  kStroke,     // x0 y0 x1 y1 width
  kRing,       // cx cy inner outer
  kPolygon,    // n, then n x y pairs
  kUnion,      //
  kMinus,      //
  kIntersect,  //
  kFill,       // hue: shaded, with the hue's edge
  kSolid,      // colour
  kLined,      // hue colour: shaded, with the outline given
  kPage,       // x0 y0 x1 y1: a sheet with lines of text
};
// How many bytes follow each operation (a polygon's points come on top).
constexpr uint8_t kArgs[] = {0, 3, 4, 4, 5, 5, 4, 1, 0, 0, 0, 1, 1, 2, 4};

constexpr double kOdd[] = {2.2,  11.9, 2.8,  1.8,  10.2, 13.8, 11.4, 12.6, 1.2,
                           10.8, 13.2, 12.7, 11.3, 1.4,  1.7,  10.7, 13.3, 1.6};

constexpr uint8_t N(double v) {
  if (static_cast<int>(v * 2) == v * 2)
    return static_cast<uint8_t>(v * 2);
  uint8_t i = 0;
  while (kOdd[i] != v)
    ++i;  // a value missing from kOdd stops the compilation here
  return static_cast<uint8_t>(200 + i);
}

double Number(const uint8_t*& p) {
  uint8_t b = *p++;
  return b < 200 ? b / 2.0 : kOdd[b - 200];
}

enum HueIndex : uint8_t {
  hGreen,
  hRed,
  hBlue,
  hYellow,
  hGrey,
  hPaper,
  hBrown,
  hTeal,
  hViolet,
  hOrange,
  hPeach,
  hNavy,
  hWhite,
  hMint
};
constexpr Hue kHues[] = {kGreen,
                         kRed,
                         kBlue,
                         kYellow,
                         kGrey,
                         kPaper,
                         kBrown,
                         kTeal,
                         kViolet,
                         kOrange,
                         kPeach,
                         kNavy,
                         {kWhite, kWhite},
                         {Rgb(200, 240, 190), Rgb(150, 210, 140)}};
// Colours of solid paint; from cEdge on, the edge of hue (colour - cEdge).
enum ColorIndex : uint8_t {
  cInk,
  cWhite,
  cBlueDark,
  cRedDark,
  cGreenTop,
  cYellowTop,
  cGlass,
  cAmber,
  cEdge
};
constexpr TColor kColors[] = {kInk,       kWhite,      kBlue.bottom,       kRed.bottom,
                              kGreen.top, kYellow.top, Rgb(200, 225, 250), Rgb(150, 90, 0)};

void Page(Raster& r, double x0, double y0, double x1, double y1) {
  Fill(r, Polygon({x0, y0, x1 - 4, y0, x1, y0 + 4, x1, y1, x0, y1}), kPaper);
  for (double y = y0 + 5; y < y1 - 2; y += 3)
    Solid(r, Block(x0 + 2.5, y, x1 - 3, y + 0.9), kBlue.bottom);
}

// Draws the program at `p` and leaves `p` past its end.
void Run(Raster& r, const uint8_t*& p) {
  Shape stack[8];
  int n = 0;
  for (;;) {
    uint8_t op = *p++;
    if (op == kEnd)
      return;
    if (op >= kUnion && op <= kIntersect) {
      Shape b = stack[--n], a = stack[n - 1];
      stack[n - 1] = op == kUnion ? Union(a, b) : op == kMinus ? Minus(a, b) : Intersect(a, b);
      continue;
    }
    if (op >= kFill && op <= kLined) {
      uint8_t k = *p++;
      const Shape& s = stack[--n];
      if (op == kSolid) {
        Solid(r, s, k >= cEdge ? Edge(kHues[k - cEdge]) : kColors[k]);
      } else {
        const Hue& h = kHues[k];
        r.Fill(s, h.top, h.bottom, op == kFill ? Edge(h) : kColors[*p++]);
      }
      continue;
    }
    double v[5];
    if (op == kPolygon) {
      int points = *p++;
      // Seven points, the first repeated after the last: an edge from a point to itself crosses
      // no row, so the polygon is the same, and one call serves them all.
      double xy[14] = {};
      for (int i = 0; i < 14; ++i)
        xy[i] = i < 2 * points ? Number(p) : xy[i & 1];
      Shape s = Polygon({xy[0], xy[1], xy[2], xy[3], xy[4], xy[5], xy[6], xy[7], xy[8], xy[9],
                         xy[10], xy[11], xy[12], xy[13]});
      stack[n++] = s;
      continue;
    }
    for (int i = 0; i < kArgs[op]; ++i)
      v[i] = Number(p);
    Shape s;
    switch (op) {
      case kCircle:
        s = Circle(v[0], v[1], v[2]);
        break;
      case kEllipse:
        s = Ellipse(v[0], v[1], v[2], v[3]);
        break;
      case kBlock:
        s = Block(v[0], v[1], v[2], v[3]);
        break;
      case kRoundBox:
        s = RoundBox(v[0], v[1], v[2], v[3], v[4]);
        break;
      case kStroke:
        s = Stroke(v[0], v[1], v[2], v[3], v[4]);
        break;
      case kRing:
        s = Ring(v[0], v[1], v[2], v[3]);
        break;
      default:
        Page(r, v[0], v[1], v[2], v[3]);
        continue;
    }
    stack[n++] = s;
  }
}

// Leaves `p` past the program it points at without drawing.
void Skip(const uint8_t*& p) {
  for (uint8_t op; (op = *p++) != kEnd;)
    p += op == kPolygon ? 1 + 2 * *p : kArgs[op];
}

#define CIRCLE(x, y, r) kCircle, N(x), N(y), N(r)
#define ELLIPSE(x, y, rx, ry) kEllipse, N(x), N(y), N(rx), N(ry)
#define BLOCK(x0, y0, x1, y1) kBlock, N(x0), N(y0), N(x1), N(y1)
#define ROUNDBOX(x0, y0, x1, y1, rad) kRoundBox, N(x0), N(y0), N(x1), N(y1), N(rad)
#define STROKE(x0, y0, x1, y1, w) kStroke, N(x0), N(y0), N(x1), N(y1), N(w)
#define RING(x, y, in, out) kRing, N(x), N(y), N(in), N(out)
#define POLY(points) kPolygon, points
#define P(x, y) N(x), N(y)
#define PAGE(x0, y0, x1, y1) kPage, N(x0), N(y0), N(x1), N(y1)
#define FILL(hue) kFill, hue
#define SOLID(color) kSolid, color
#define CHECK(hue) STROKE(5, 12.5, 10, 17.5, 5), STROKE(10, 17.5, 19.5, 6, 5), kUnion, FILL(hue)
#define CROSS(hue) STROKE(6, 6, 18, 18, 5), STROKE(18, 6, 6, 18, 5), kUnion, FILL(hue)
#define BADGE(hue) CIRCLE(12, 12, 10), FILL(hue)
#define QUESTION(color)                                                                        \
  RING(12, 9, 2.2, 5), BLOCK(0, 9, 11.9, 24), kMinus, STROKE(14.5, 11.5, 12, 14, 2.8), kUnion, \
      SOLID(color), CIRCLE(12, 18, 1.8), SOLID(color)
#define PLUS(hue) BLOCK(9, 3, 15, 21), BLOCK(3, 9, 21, 15), kUnion, FILL(hue)
#define MINUS(hue) BLOCK(3, 9, 21, 15), FILL(hue)
#define ARROW_RIGHT(hue) \
  POLY(7), P(3, 9), P(12, 9), P(12, 3), P(21, 12), P(12, 21), P(12, 15), P(3, 15), FILL(hue)
#define TRIANGLE_RIGHT(hue, x0) POLY(3), P(x0, 4), P(x0 + 12, 12), P(x0, 20), FILL(hue)
#define TRIANGLE_LEFT(hue, x0) POLY(3), P(x0 + 12, 4), P(x0, 12), P(x0 + 12, 20), FILL(hue)
#define PRINTER(hue)                                                                             \
  BLOCK(7, 3, 17, 10), FILL(hPaper), ROUNDBOX(3, 9, 21, 18, 2), FILL(hue), BLOCK(7, 15, 17, 21), \
      FILL(hPaper), CIRCLE(18, 12, 1), SOLID(cGreenTop)
#define FLOPPY(hue)                                                                           \
  POLY(5), P(3, 3), P(18, 3), P(21, 6), P(21, 21), P(3, 21), FILL(hue), BLOCK(7, 3.5, 16, 9), \
      FILL(hGrey), BLOCK(6, 13, 18, 20.5), FILL(hPaper)
#define MAGNIFIER                                                                 \
  STROKE(14, 14, 20, 20, 4.5), FILL(hBrown), RING(10, 10, 4.5, 7.5), FILL(hGrey), \
      CIRCLE(10, 10, 4.5), SOLID(cGlass)
#define DOOR(hue)                                                                                \
  BLOCK(4, 3, 14, 21), FILL(hBrown), CIRCLE(11.5, 12, 1), SOLID(cYellowTop), POLY(7), P(11, 10), \
      P(16, 10), P(16, 6), P(22, 12), P(16, 18), P(16, 14), P(11, 14), FILL(hue)
#define BOOK(hue)                                                                       \
  BLOCK(4, 3, 20, 21), FILL(hue), BLOCK(7, 5, 18, 8), FILL(hPaper), BLOCK(4, 3, 6, 21), \
      SOLID(cEdge + hue)
#define COINS                                                                     \
  ELLIPSE(12, 17, 8, 3.5), FILL(hYellow), ELLIPSE(12, 13, 8, 3.5), FILL(hYellow), \
      ELLIPSE(12, 9, 8, 3.5), FILL(hYellow)
#define KLETTER(hue)                                                                  \
  ROUNDBOX(2, 2, 22, 22, 5), FILL(hue), BLOCK(7, 6, 10, 18), STROKE(9, 13, 16, 6, 3), \
      STROKE(10.5, 11.5, 16.5, 18, 3), kUnion, kUnion, SOLID(cWhite)
#define FORBIDDEN \
  RING(12, 12, 6.5, 10), FILL(hRed), STROKE(7.5, 16.5, 16.5, 7.5, 3), SOLID(cRedDark)
#define LOGO(hue) CIRCLE(12, 12, 10), FILL(hue), RING(12, 12, 4, 6.5), SOLID(cWhite)
#define LINES                                                                                     \
  BLOCK(3, 5, 21, 7.5), FILL(hNavy), BLOCK(3, 10, 21, 12.5), FILL(hNavy), BLOCK(3, 15, 21, 17.5), \
      FILL(hNavy)
#define GROUP BLOCK(3, 3, 21, 21), FILL(hPaper)

// The programs' names, one entry (a name and the names of its twins) per program, in the order
// of kPrograms.
// clang-format off
constexpr const char* kProgramNames[] = {
    "Warning", "Error", "Information", "Confirmation", "OK", "Cancel Anulat", "Help", "Nu", "Exit",
    "Retry", "All", "Add Plus PlusAdd", "Delete MinusDel", "Jurnal", "Vizual", "Print", "PrnSetup",
    "Edit", "Analitic", "Detalii Pag", "Kolvar SiglaProKolvarImg", "Save", "SaveAs", "BUnelte",
    "Config", "Stoc", "Sold", "BIntr", "BSediu", "BIes", "BBani", "Mail", "BigExit MainExitImg",
    "PlusBlue", "PlusPorto", "PlusPeach", "PlusSnorkel", "FirstPag", "LastPag", "PrevPag",
    "NextPag", "nPrev", "nNext", "nFirst", "nLast", "Find", "FindNext", "Grafic", "Contract",
    "Explicatii", "Permis", "UrmatorBlue", "Avansat", "Buget", "Precedent", "Urmator",
    "Interzis StopModi", "Surub", "Linii", "GrupX", "Grup0", "crescator", "descrescator",
    "ToolbVert", "ToolbOriz", "EscapeImg", "SCLogo SiglaBlackL SiglaBlackR", "Neoperat",
    "Constante", "SagRight", "SagLeft", "SagUp", "SagDown", "PalmaDeMajorca",
    "SiglaWhiteL SiglaWhiteR", "SiglaProKolvar2Img",
};
// clang-format on

// The programs, one after another, each ended by kEnd.
// clang-format off
constexpr uint8_t kPrograms[] = {
    // Warning, Error, Information, Confirmation: the dialog icons
    ROUNDBOX(0, 0, 0, 0, 0), FILL(hYellow),
    POLY(3), P(12, 1.5), P(23, 21.5), P(1, 21.5), kLined, hYellow, cAmber,
    POLY(4), P(10.8, 7), P(13.2, 7), P(12.7, 15), P(11.3, 15), CIRCLE(12, 18, 1.4), kUnion,
    SOLID(cInk), kEnd,
    BADGE(hRed), STROKE(8, 8, 16, 16, 2.8), STROKE(16, 8, 8, 16, 2.8), kUnion, SOLID(cWhite), kEnd,
    BADGE(hBlue), CIRCLE(12, 7, 1.7), BLOCK(10.7, 10, 13.3, 18), kUnion, SOLID(cWhite), kEnd,
    BADGE(hGreen), QUESTION(cWhite), kEnd,
    CHECK(hGreen), kEnd,                                                      // OK
    CROSS(hRed), kEnd,                                                        // Cancel
    BADGE(hBlue), QUESTION(cWhite), kEnd,                                     // Help
    CIRCLE(12, 12, 10), FILL(hRed), BLOCK(6, 10.5, 18, 13.5), SOLID(cWhite), kEnd,  // Nu
    DOOR(hGreen), kEnd,                                                       // Exit
    RING(12, 13, 5, 8.5), POLY(3), P(12, 13), P(24, 4), P(24, 13), kMinus,   // Retry
    POLY(3), P(14, 1), P(21, 7.5), P(12.5, 10), kUnion, FILL(hGreen), kEnd,
    STROKE(2, 12, 6, 16, 3.5), STROKE(6, 16, 13, 7, 3.5), kUnion, FILL(hGreen),  // All
    STROKE(10, 12, 14, 16, 3.5), STROKE(14, 16, 21, 7, 3.5), kUnion, FILL(hGreen), kEnd,
    PLUS(hGreen), kEnd,                                                       // Add
    MINUS(hRed), kEnd,                                                        // Delete
    BOOK(hBlue), kEnd,                                                        // Jurnal
    CIRCLE(12, 18, 12), CIRCLE(12, 6, 12), kIntersect, FILL(hPaper),         // Vizual
    CIRCLE(12, 12, 4), FILL(hBlue), CIRCLE(12, 12, 1.6), SOLID(cInk), kEnd,
    PRINTER(hGrey), kEnd,                                                     // Print
    PRINTER(hTeal), kEnd,                                                     // PrnSetup
    POLY(5), P(16, 3), P(21, 8), P(9, 20), P(4, 20), P(4, 15), FILL(hYellow),  // Edit
    POLY(3), P(4, 15), P(9, 20), P(4, 20), FILL(hBrown), kEnd,
    BLOCK(3, 12, 8, 21), FILL(hBlue), BLOCK(9.5, 6, 14.5, 21), FILL(hGreen),  // Analitic
    BLOCK(16, 9, 21, 21), FILL(hOrange), kEnd,
    PAGE(4, 2, 20, 22), kEnd,                                                 // Detalii
    KLETTER(hNavy), kEnd,                                                     // Kolvar
    FLOPPY(hBlue), kEnd,                                                      // Save
    FLOPPY(hViolet), kEnd,                                                    // SaveAs
    STROKE(6, 18, 15, 9, 4), CIRCLE(16.5, 7.5, 5), BLOCK(15, 1, 24, 7), kMinus, kUnion,  // BUnelte
    FILL(hGrey), kEnd,
    CIRCLE(12, 12, 7.5), BLOCK(10, 2, 14, 22), BLOCK(2, 10, 22, 14), kUnion,  // Config
    STROKE(5, 5, 19, 19, 4), STROKE(19, 5, 5, 19, 4), kUnion, kUnion, CIRCLE(12, 12, 10),
    kIntersect, kUnion, CIRCLE(12, 12, 3), kMinus, FILL(hGrey), kEnd,
    BLOCK(3, 12, 11, 20), FILL(hBrown), BLOCK(13, 12, 21, 20), FILL(hBrown),  // Stoc
    BLOCK(8, 4, 16, 12), FILL(hOrange), kEnd,
    COINS, kEnd,                                                              // Sold
    BLOCK(12, 3, 21, 21), FILL(hBrown), ARROW_RIGHT(hGreen), kEnd,            // BIntr
    BLOCK(5, 4, 19, 21), FILL(hGrey),                                         // BSediu
    BLOCK(8, 7, 10.5, 9.5), SOLID(cBlueDark), BLOCK(13.5, 7, 16, 9.5), SOLID(cBlueDark),
    BLOCK(8, 11.5, 10.5, 14), SOLID(cBlueDark), BLOCK(13.5, 11.5, 16, 14), SOLID(cBlueDark),
    BLOCK(8, 16, 10.5, 18.5), SOLID(cBlueDark), BLOCK(13.5, 16, 16, 18.5), SOLID(cBlueDark), kEnd,
    BLOCK(3, 3, 12, 21), FILL(hBrown), ARROW_RIGHT(hRed), kEnd,               // BIes
    BLOCK(2, 6, 22, 18), FILL(hGreen), CIRCLE(12, 12, 3.5), FILL(hMint), kEnd,  // BBani
    BLOCK(2, 6, 22, 19), FILL(hPaper), STROKE(2.5, 6.5, 12, 13, 1.2),        // Mail
    STROKE(12, 13, 21.5, 6.5, 1.2), kUnion, SOLID(cBlueDark), kEnd,
    DOOR(hRed), kEnd,                                                         // BigExit
    PLUS(hBlue), kEnd,                                                        // PlusBlue
    PLUS(hOrange), kEnd,                                                      // PlusPorto
    PLUS(hPeach), kEnd,                                                       // PlusPeach
    PLUS(hTeal), kEnd,                                                        // PlusSnorkel
    PAGE(2, 2, 15, 22), TRIANGLE_LEFT(hGreen, 10), BLOCK(8, 4, 10.5, 20), FILL(hGreen), kEnd,
    PAGE(2, 2, 15, 22), TRIANGLE_RIGHT(hGreen, 10), BLOCK(21, 4, 23.5, 20), FILL(hGreen), kEnd,
    PAGE(2, 2, 15, 22), TRIANGLE_LEFT(hGreen, 10), kEnd,                      // PrevPag
    PAGE(2, 2, 15, 22), TRIANGLE_RIGHT(hGreen, 10), kEnd,                     // NextPag
    TRIANGLE_LEFT(hBlue, 6), kEnd,                                            // nPrev
    TRIANGLE_RIGHT(hBlue, 6), kEnd,                                           // nNext
    TRIANGLE_LEFT(hBlue, 8), BLOCK(4, 4, 7, 20), FILL(hBlue), kEnd,           // nFirst
    TRIANGLE_RIGHT(hBlue, 4), BLOCK(17, 4, 20, 20), FILL(hBlue), kEnd,        // nLast
    MAGNIFIER, kEnd,                                                          // Find
    MAGNIFIER, TRIANGLE_RIGHT(hGreen, 12), kEnd,                              // FindNext
    CIRCLE(12, 12, 9), FILL(hBlue), CIRCLE(12, 12, 9),                        // Grafic
    POLY(4), P(12, 12), P(12, 0), P(24, 0), P(24, 12), kIntersect, FILL(hOrange), kEnd,
    PAGE(4, 2, 18, 22), CIRCLE(16, 17, 4.5), FILL(hRed), kEnd,                // Contract
    ROUNDBOX(2, 3, 22, 16, 4), POLY(3), P(6, 14), P(12, 14), P(5, 21), kUnion,  // Explicatii
    FILL(hYellow), QUESTION(cInk), kEnd,
    BADGE(hGreen), CHECK(hWhite), kEnd,                                       // Permis
    ARROW_RIGHT(hBlue), kEnd,                                                 // UrmatorBlue
    POLY(6), P(3, 5), P(7, 5), P(13, 12), P(7, 19), P(3, 19), P(9, 12),       // Avansat
    POLY(6), P(11, 5), P(15, 5), P(21, 12), P(15, 19), P(11, 19), P(17, 12), kUnion, FILL(hBlue),
    kEnd,
    COINS, CIRCLE(17, 7, 4), FILL(hGreen), kEnd,                              // Buget
    POLY(7), P(21, 9), P(12, 9), P(12, 3), P(3, 12), P(12, 21), P(12, 15), P(21, 15),  // Precedent
    FILL(hGreen), kEnd,
    ARROW_RIGHT(hGreen), kEnd,                                                // Urmator
    FORBIDDEN, kEnd,                                                          // Interzis
    CIRCLE(12, 12, 8), FILL(hGrey), STROKE(7, 12, 17, 12, 2.2), SOLID(cInk), kEnd,  // Surub
    LINES, kEnd,                                                              // Linii
    GROUP, STROKE(7, 7, 17, 17, 2.5), STROKE(17, 7, 7, 17, 2.5), kUnion, SOLID(cRedDark), kEnd,
    GROUP, RING(12, 12, 3, 5.5), SOLID(cBlueDark), kEnd,                      // Grup0
    POLY(3), P(12, 4), P(21, 19), P(3, 19), FILL(hGreen), kEnd,               // crescator
    POLY(3), P(3, 5), P(21, 5), P(12, 20), FILL(hRed), kEnd,                  // descrescator
    BLOCK(10, 6, 14, 8), FILL(hGrey), BLOCK(10, 10, 14, 12), FILL(hGrey),     // ToolbVert
    BLOCK(10, 14, 14, 16), FILL(hGrey), BLOCK(10, 18, 14, 20), FILL(hGrey), kEnd,
    BLOCK(6, 10, 8, 14), FILL(hGrey), BLOCK(10, 10, 12, 14), FILL(hGrey),     // ToolbOriz
    BLOCK(14, 10, 16, 14), FILL(hGrey), BLOCK(18, 10, 20, 14), FILL(hGrey), kEnd,
    ROUNDBOX(2, 5, 22, 19, 3), FILL(hGrey),                                   // EscapeImg
    BLOCK(6, 9, 7.5, 15), BLOCK(6, 9, 10, 10.2), BLOCK(6, 13.8, 10, 15), kUnion, kUnion,
    SOLID(cInk), BLOCK(13, 9, 18, 10.2), BLOCK(13, 11.4, 18, 12.6), BLOCK(13, 13.8, 18, 15),
    kUnion, kUnion, SOLID(cInk), kEnd,
    LOGO(hNavy), kEnd,                                                        // SCLogo
    POLY(6), P(6, 3), P(18, 3), P(12, 12), P(18, 21), P(6, 21), P(12, 12), FILL(hGrey), kEnd,
    BOOK(hTeal), kEnd,                                                        // Constante
    TRIANGLE_RIGHT(hNavy, 7), kEnd,                                           // SagRight
    TRIANGLE_LEFT(hNavy, 5), kEnd,                                            // SagLeft
    POLY(3), P(4, 17), P(12, 6), P(20, 17), FILL(hNavy), kEnd,                // SagUp
    POLY(3), P(4, 7), P(20, 7), P(12, 18), FILL(hNavy), kEnd,                 // SagDown
    LOGO(hTeal), kEnd,                                                        // PalmaDeMajorca
    LOGO(hGrey), kEnd,                                                        // SiglaWhiteL
    KLETTER(hBlue), kEnd,                                                     // SiglaProKolvar2Img
};
// clang-format on

// The program of picture `name`, or null when it is drawn otherwise.
const uint8_t* FindProgram(const std::string& name) {
  const uint8_t* p = kPrograms;
  for (const char* names : kProgramNames) {
    for (const char* at = names;; ++at) {
      const char* q = name.c_str();
      while (*q && *q == *at)
        ++q, ++at;
      if (!*q && (!*at || *at == ' '))
        return p;
      while (*at && *at != ' ')
        ++at;
      if (!*at)
        break;
    }
    Skip(p);
  }
  return nullptr;
}

void RunProgram(Raster& r, const std::string& name) {
  const uint8_t* p = FindProgram(name);
  Run(r, p);
}

// A plate cut into left edge, middle piece and right edge for three looks (normal, hot,
// pressed): `cols` columns of equal width across the picture.
void Plate(Raster& r, int cols, const Hue looks[3]) {
  int colW = r.Width() / cols, h = r.Height();
  for (int look = 0; look < 3; ++look) {
    double x0 = look * 3 * colW;
    r.SetTransform(0, 0, 1);
    Shape plate = RoundBox(x0 + 0.5, 0.5, x0 + 3 * colW - 0.5, h - 0.5, h / 3.0);
    r.Fill(plate, looks[look].top, looks[look].bottom, Edge(looks[look]));
  }
}

void Face(Raster& r, const std::string& name, double unit) {
  static const Hue kPlateLooks[3] = {{Rgb(250, 250, 252), Rgb(200, 205, 215)},
                                     {Rgb(255, 250, 225), Rgb(240, 210, 130)},
                                     {Rgb(190, 195, 205), Rgb(235, 238, 242)}};
  static const Hue kBluePlates[3] = {{Rgb(225, 235, 250), Rgb(160, 185, 225)},
                                     {Rgb(240, 245, 255), Rgb(180, 205, 240)},
                                     {Rgb(150, 175, 215), Rgb(210, 225, 245)}};
  r.SetTransform(0, 0, 1);
  double w = r.Width(), h = r.Height();
  if (name == "ButtonFacePKE" || name == "ButtonFacePKE120") {
    Plate(r, 9, kPlateLooks);
  } else if (name == "ButtonFace2" || name == "SpeedFace") {
    Plate(r, 9, kBluePlates);
  } else if (name == "HatchB") {
    // A pattern of single pixels at any size: lines at every odd row and column.
    r.FillRect(0, 0, r.Width(), r.Height(), Rgb(255, 255, 255));
    for (int i = 1; i < std::max(r.Width(), r.Height()); i += 2) {
      r.FillRect(i, 0, i + 1, r.Height(), Rgb(128, 128, 128));
      r.FillRect(0, i, r.Width(), i + 1, Rgb(128, 128, 128));
    }
    r.At(0, 0) = kPictureKey;
  } else if (name == "Hartie" || name == "Mijloc" || name == "MainTitleBarSliceE") {
    r.Fill(Block(0, 0.3, w, h), Rgb(250, 248, 240), Rgb(225, 220, 205), clNone);
  } else if (name == "ImageListe" || name == "ImageDate") {
    r.Fill(Block(0, 0.3, w, h), kBlue.top, kBlue.bottom, clNone);
    r.SetTransform(w / 2 - 40 * unit, h / 2 - 40 * unit, 80.0 / 24 * unit);
    RunProgram(r, name == "ImageListe" ? "Linii" : "Pag");
  } else {
    // IconFace, LookupFace, Tab, TabCtrlFace, MenuTabCtrlFace120: a soft rounded face.
    r.Fill(RoundBox(0.5, 0.5, w - 0.5, h - 0.5, std::min(w, h) / 4), Rgb(245, 246, 250),
           Rgb(200, 206, 220), Rgb(120, 128, 150));
  }
}

bool IsStrip(const PictureLayout& layout) {
  return layout.cells == 3 && layout.height == 24;
}

}  // namespace

TColor DisabledLook(TColor c) {
  int lum = (RedOf(c) * 30 + GreenOf(c) * 59 + BlueOf(c) * 11) / 100;
  int v = 128 + lum / 2;
  return Rgb(v, v, v);
}

TColor HotLook(TColor c) {
  return LightenColor(c, 6);
}

const std::vector<PictureLayout>& HolderPictures() {
  static const std::vector<PictureLayout> pictures = [] {
    std::vector<PictureLayout> list = {{"Warning", 86, 53, 1},
                                       {"Error", 86, 53, 1},
                                       {"Information", 86, 53, 1},
                                       {"Confirmation", 86, 53, 1}};
    static const char* const kButtons[] = {
        "OK",       "Cancel",      "Help",    "Nu",       "Exit",      "Retry",     "All",
        "Add",      "Delete",      "Jurnal",  "Vizual",   "Print",     "PrnSetup",  "Edit",
        "Analitic", "Detalii",     "Kolvar",  "Save",     "SaveAs",    "Plus",      "BUnelte",
        "Config",   "Stoc",        "Sold",    "BIntr",    "BSediu",    "BIes",      "BBani",
        "Mail",     "BigExit",     "PlusAdd", "PlusBlue", "PlusPorto", "PlusPeach", "PlusSnorkel",
        "MinusDel", "FirstPag",    "LastPag", "PrevPag",  "NextPag",   "nPrev",     "nNext",
        "nFirst",   "nLast",       "Find",    "FindNext", "Grafic",    "Contract",  "Explicatii",
        "Permis",   "UrmatorBlue", "Avansat", "Buget",    "Precedent", "Urmator"};
    for (const char* name : kButtons)
      list.push_back({name, 72, 24, 3});
    static const char* const kMarks[] = {
        "Interzis",     "Surub",     "Linii",     "Anulat",    "GrupX",  "Grup0", "crescator",
        "descrescator", "ToolbVert", "ToolbOriz", "EscapeImg", "SCLogo", "Pag",   "Neoperat"};
    for (const char* name : kMarks)
      list.push_back({name, 16, 16, 1});
    list.push_back({"Check", 66, 15, 3});
    list.push_back({"Radio", 22, 11, 2});
    const PictureLayout rest[] = {{"ButtonFacePKE", 180, 28, 9},
                                  {"ButtonFacePKE120", 216, 34, 9},
                                  {"ButtonFace2", 180, 28, 9},
                                  {"SpeedFace", 90, 22, 9},
                                  {"LookupFace", 17, 21, 1},
                                  {"IconFace", 24, 22, 1},
                                  {"Tab", 90, 24, 1},
                                  {"TabCtrlFace", 90, 24, 1},
                                  {"MenuTabCtrlFace120", 108, 29, 1},
                                  {"HatchB", 8, 8, 1},
                                  {"Hartie", 64, 64, 1},
                                  {"Mijloc", 16, 28, 1},
                                  {"StopModi", 24, 24, 1},
                                  {"ImageListe", 160, 160, 1},
                                  {"ImageDate", 160, 160, 1},
                                  {"Constante", 24, 24, 1},
                                  {"PalmaDeMajorca", 64, 48, 1},
                                  {"MainTitleBarSliceE", 8, 40, 1},
                                  {"SiglaProKolvarImg", 120, 40, 1},
                                  {"SiglaProKolvar2Img", 120, 40, 1},
                                  {"MainExitImg", 72, 24, 3},
                                  {"SagRight", 16, 16, 1},
                                  {"SagUp", 16, 16, 1},
                                  {"SagDown", 16, 16, 1},
                                  {"SagLeft", 16, 16, 1},
                                  {"SiglaWhiteL", 40, 40, 1},
                                  {"SiglaBlackL", 40, 40, 1},
                                  {"SiglaWhiteR", 40, 40, 1},
                                  {"SiglaBlackR", 40, 40, 1}};
    list.insert(list.end(), std::begin(rest), std::end(rest));
    return list;
  }();
  return pictures;
}

const PictureLayout* FindPicture(const std::string& name) {
  for (const PictureLayout& layout : HolderPictures()) {
    if (name == layout.name)
      return &layout;
  }
  return nullptr;
}

void ScaledPictureSize(const PictureLayout& layout, int ppi, int& width, int& height) {
  int cells = std::max(1, layout.cells);
  width = cells * ScaleValue(layout.width / cells, ppi, 96);
  height = ScaleValue(layout.height, ppi, 96);
}

std::vector<TColor> ResizeCells(const std::vector<TColor>& pixels,
                                int width,
                                int height,
                                int cells,
                                int cellWidth,
                                int cellHeight) {
  cells = std::max(1, cells);
  int sourceCell = width / cells;
  if (sourceCell <= 0 || height <= 0 || cellWidth <= 0 || cellHeight <= 0 ||
      pixels.size() < static_cast<size_t>(width) * height) {
    return {};
  }
  int outWidth = cells * cellWidth;
  std::vector<TColor> out(static_cast<size_t>(outWidth) * cellHeight);
  for (int y = 0; y < cellHeight; ++y) {
    int sy = y * height / cellHeight;
    for (int x = 0; x < outWidth; ++x) {
      int cell = x / cellWidth;
      int sx = cell * sourceCell + (x % cellWidth) * sourceCell / cellWidth;
      out[static_cast<size_t>(y) * outWidth + x] = pixels[static_cast<size_t>(sy) * width + sx];
    }
  }
  return out;
}

Raster DrawPicture(const std::string& name, int ppi) {
  const PictureLayout* layout = FindPicture(name);
  if (!layout || ppi <= 0)
    return Raster(0, 0, kPictureKey);
  int width = 0, height = 0;
  ScaledPictureSize(*layout, ppi, width, height);
  Raster r(width, height, kPictureKey);
  ClearShapes();  // the shapes of the pictures drawn before
  // The shapes are given at 96 dots per inch; `unit` is one of those pixels here.
  double unit = ppi / 96.0;
  std::string n = name;
  if (n == "Warning" || n == "Error" || n == "Information" || n == "Confirmation") {
    // the dialog icons: a large symbol on the left half of the picture
    r.SetTransform(19 * unit, 3 * unit, 47.0 / 24 * unit);
    RunProgram(r, n);
  } else if (n == "Check") {
    // checked, unchecked, greyed; a 13-pixel box in each 22 × 15 cell
    int cellW = width / 3;
    for (int cell = 0; cell < 3; ++cell) {
      r.SetTransform(cell * cellW + unit, unit, unit);
      r.Fill(Block(0, 0, 13, 13), Rgb(255, 255, 255), Rgb(226, 230, 238), Rgb(110, 118, 140));
      if (cell == 0)
        Solid(r, Union(Stroke(3, 6.5, 5.5, 9.5, 2), Stroke(5.5, 9.5, 10, 3.5, 2)), kGreen.bottom);
      if (cell == 2)
        Solid(r, Block(3, 3, 10, 10), Rgb(170, 170, 170));
    }
  } else if (n == "Radio") {
    int cellW = width / 2;
    for (int cell = 0; cell < 2; ++cell) {
      r.SetTransform(cell * cellW, 0, unit);
      r.Fill(Circle(5.5, 5.5, 5.4), Rgb(255, 255, 255), Rgb(226, 230, 238), Rgb(110, 118, 140));
      if (cell == 1)
        Solid(r, Circle(5.5, 5.5, 2.3), kInk);
    }
  } else if (const uint8_t* program = FindProgram(n)) {
    int cellW = width / layout->cells;
    double scale = std::min(cellW, height) / 24.0;
    r.SetTransform((cellW - 24 * scale) / 2, (height - 24 * scale) / 2, scale);
    Run(r, program);
    if (IsStrip(*layout)) {
      r.CopyCell(0, cellW, cellW, [](TColor c) { return DisabledLook(c); });
      r.CopyCell(0, 2 * cellW, cellW, [](TColor c) { return HotLook(c); });
    }
  } else {
    Face(r, n, unit);
  }
  return r;
}

}  // namespace kolvar::toolkit
