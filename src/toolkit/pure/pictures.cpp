#include "toolkit/pure/pictures.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

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

// Symbols, drawn in a 24 × 24 unit square.
void Check(Raster& r, const Hue& h) {
  Fill(r, Union(Stroke(5, 12.5, 10, 17.5, 5), Stroke(10, 17.5, 19.5, 6, 5)), h);
}
void Cross(Raster& r, const Hue& h) {
  Fill(r, Union(Stroke(6, 6, 18, 18, 5), Stroke(18, 6, 6, 18, 5)), h);
}
void Badge(Raster& r, const Hue& h) {
  Fill(r, Circle(12, 12, 10), h);
}
void QuestionMark(Raster& r, TColor c) {
  Shape hook = Minus(Ring(12, 9, 2.2, 5), Block(0, 9, 11.9, 24));
  Solid(r, Union(hook, Stroke(14.5, 11.5, 12, 14, 2.8)), c);
  Solid(r, Circle(12, 18, 1.8), c);
}
void PlusSign(Raster& r, const Hue& h) {
  Fill(r, Union(Block(9, 3, 15, 21), Block(3, 9, 21, 15)), h);
}
void MinusSign(Raster& r, const Hue& h) {
  Fill(r, Block(3, 9, 21, 15), h);
}
void ArrowRight(Raster& r, const Hue& h) {
  Fill(r, Polygon({3, 9, 12, 9, 12, 3, 21, 12, 12, 21, 12, 15, 3, 15}), h);
}
void ArrowLeft(Raster& r, const Hue& h) {
  Fill(r, Polygon({21, 9, 12, 9, 12, 3, 3, 12, 12, 21, 12, 15, 21, 15}), h);
}
void Triangle(Raster& r, const Hue& h, bool right, double x0) {
  if (right) {
    Fill(r, Polygon({x0, 4, x0 + 12, 12, x0, 20}), h);
  } else {
    Fill(r, Polygon({x0 + 12, 4, x0, 12, x0 + 12, 20}), h);
  }
}
void Page(Raster& r, double x0, double y0, double x1, double y1) {
  Fill(r, Polygon({x0, y0, x1 - 4, y0, x1, y0 + 4, x1, y1, x0, y1}), kPaper);
  for (double y = y0 + 5; y < y1 - 2; y += 3)
    Solid(r, Block(x0 + 2.5, y, x1 - 3, y + 0.9), kBlue.bottom);
}
void Printer(Raster& r, const Hue& body) {
  Fill(r, Block(7, 3, 17, 10), kPaper);
  Fill(r, RoundBox(3, 9, 21, 18, 2), body);
  Fill(r, Block(7, 15, 17, 21), kPaper);
  Solid(r, Circle(18, 12, 1), kGreen.top);
}
void Floppy(Raster& r, const Hue& h) {
  Fill(r, Polygon({3, 3, 18, 3, 21, 6, 21, 21, 3, 21}), h);
  Fill(r, Block(7, 3.5, 16, 9), kGrey);
  Fill(r, Block(6, 13, 18, 20.5), kPaper);
}
void Magnifier(Raster& r) {
  Fill(r, Stroke(14, 14, 20, 20, 4.5), kBrown);
  Fill(r, Ring(10, 10, 4.5, 7.5), kGrey);
  Solid(r, Circle(10, 10, 4.5), Rgb(200, 225, 250));
}
void Pencil(Raster& r) {
  Fill(r, Polygon({16, 3, 21, 8, 9, 20, 4, 20, 4, 15}), kYellow);
  Fill(r, Polygon({4, 15, 9, 20, 4, 20}), kBrown);
}
void Door(Raster& r, const Hue& arrow) {
  Fill(r, Block(4, 3, 14, 21), kBrown);
  Solid(r, Circle(11.5, 12, 1), kYellow.top);
  Fill(r, Polygon({11, 10, 16, 10, 16, 6, 22, 12, 16, 18, 16, 14, 11, 14}), arrow);
}
void Gear(Raster& r, const Hue& h) {
  Shape teeth = Union(Union(Block(10, 2, 14, 22), Block(2, 10, 22, 14)),
                      Union(Stroke(5, 5, 19, 19, 4), Stroke(19, 5, 5, 19, 4)));
  Fill(r,
       Minus(Union(Circle(12, 12, 7.5), Intersect(teeth, Circle(12, 12, 10))), Circle(12, 12, 3)),
       h);
}
void Wrench(Raster& r) {
  Fill(r, Union(Stroke(6, 18, 15, 9, 4), Minus(Circle(16.5, 7.5, 5), Block(15, 1, 24, 7))), kGrey);
}
void Envelope(Raster& r) {
  Fill(r, Block(2, 6, 22, 19), kPaper);
  Solid(r, Union(Stroke(2.5, 6.5, 12, 13, 1.2), Stroke(12, 13, 21.5, 6.5, 1.2)), kBlue.bottom);
}
void Bars(Raster& r) {
  Fill(r, Block(3, 12, 8, 21), kBlue);
  Fill(r, Block(9.5, 6, 14.5, 21), kGreen);
  Fill(r, Block(16, 9, 21, 21), kOrange);
}
void Book(Raster& r, const Hue& h) {
  Fill(r, Block(4, 3, 20, 21), h);
  Fill(r, Block(7, 5, 18, 8), kPaper);
  Solid(r, Block(4, 3, 6, 21), Edge(h));
}
void Eye(Raster& r) {
  Fill(r, Intersect(Circle(12, 18, 12), Circle(12, 6, 12)), kPaper);
  Fill(r, Circle(12, 12, 4), kBlue);
  Solid(r, Circle(12, 12, 1.6), kInk);
}
void Coins(Raster& r) {
  for (double y : {17.0, 13.0, 9.0})
    Fill(r, Ellipse(12, y, 8, 3.5), kYellow);
}
void Banknote(Raster& r) {
  Fill(r, Block(2, 6, 22, 18), kGreen);
  Fill(r, Circle(12, 12, 3.5), {Rgb(200, 240, 190), Rgb(150, 210, 140)});
}
void Boxes(Raster& r) {
  Fill(r, Block(3, 12, 11, 20), kBrown);
  Fill(r, Block(13, 12, 21, 20), kBrown);
  Fill(r, Block(8, 4, 16, 12), kOrange);
}
void Building(Raster& r) {
  Fill(r, Block(5, 4, 19, 21), kGrey);
  for (double y = 7; y < 18; y += 4.5) {
    Solid(r, Block(8, y, 10.5, y + 2.5), kBlue.bottom);
    Solid(r, Block(13.5, y, 16, y + 2.5), kBlue.bottom);
  }
}
void Bubble(Raster& r) {
  Fill(r, Union(RoundBox(2, 3, 22, 16, 4), Polygon({6, 14, 12, 14, 5, 21})), kYellow);
  QuestionMark(r, kInk);
}
void KLetter(Raster& r, const Hue& badge) {
  Fill(r, RoundBox(2, 2, 22, 22, 5), badge);
  Solid(r,
        Union(Block(7, 6, 10, 18), Union(Stroke(9, 13, 16, 6, 3), Stroke(10.5, 11.5, 16.5, 18, 3))),
        kWhite);
}
void Chevrons(Raster& r, const Hue& h) {
  Fill(r,
       Union(Polygon({3, 5, 7, 5, 13, 12, 7, 19, 3, 19, 9, 12}),
             Polygon({11, 5, 15, 5, 21, 12, 15, 19, 11, 19, 17, 12})),
       h);
}
void Pie(Raster& r) {
  Fill(r, Circle(12, 12, 9), kBlue);
  Fill(r, Intersect(Circle(12, 12, 9), Polygon({12, 12, 12, 0, 24, 0, 24, 12})), kOrange);
}
void Hourglass(Raster& r) {
  Fill(r, Polygon({6, 3, 18, 3, 12, 12, 18, 21, 6, 21, 12, 12}), kGrey);
}
void Screw(Raster& r) {
  Fill(r, Circle(12, 12, 8), kGrey);
  Solid(r, Stroke(7, 12, 17, 12, 2.2), kInk);
}
void Lines(Raster& r) {
  for (double y = 5; y < 20; y += 5)
    Fill(r, Block(3, y, 21, y + 2.5), kNavy);
}
void Grip(Raster& r, bool vertical) {
  for (double p = 6; p < 20; p += 4) {
    Shape dot = vertical ? Block(10, p, 14, p + 2) : Block(p, 10, p + 2, 14);
    Fill(r, dot, kGrey);
  }
}
void Keycap(Raster& r) {
  Fill(r, RoundBox(2, 5, 22, 19, 3), kGrey);
  Solid(r, Union(Block(6, 9, 7.5, 15), Union(Block(6, 9, 10, 10.2), Block(6, 13.8, 10, 15))), kInk);
  Solid(r, Union(Block(13, 9, 18, 10.2), Union(Block(13, 11.4, 18, 12.6), Block(13, 13.8, 18, 15))),
        kInk);
}
void GroupBox(Raster& r, bool crossed) {
  Fill(r, Block(3, 3, 21, 21), kPaper);
  if (crossed) {
    Solid(r, Union(Stroke(7, 7, 17, 17, 2.5), Stroke(17, 7, 7, 17, 2.5)), kRed.bottom);
  } else {
    Solid(r, Ring(12, 12, 3, 5.5), kBlue.bottom);
  }
}
void NoEntry(Raster& r) {
  Fill(r, Circle(12, 12, 10), kRed);
  Solid(r, Block(6, 10.5, 18, 13.5), kWhite);
}
void Forbidden(Raster& r) {
  Fill(r, Ring(12, 12, 6.5, 10), kRed);
  Solid(r, Stroke(7.5, 16.5, 16.5, 7.5, 3), kRed.bottom);
}
void RetryArrow(Raster& r) {
  Fill(r,
       Union(Minus(Ring(12, 13, 5, 8.5), Polygon({12, 13, 24, 4, 24, 13})),
             Polygon({14, 1, 21, 7.5, 12.5, 10})),
       kGreen);
}
void Double(Raster& r, const Hue& h) {
  Fill(r, Union(Stroke(2, 12, 6, 16, 3.5), Stroke(6, 16, 13, 7, 3.5)), h);
  Fill(r, Union(Stroke(10, 12, 14, 16, 3.5), Stroke(14, 16, 21, 7, 3.5)), h);
}
void Seal(Raster& r) {
  Page(r, 4, 2, 18, 22);
  Fill(r, Circle(16, 17, 4.5), kRed);
}
void PageArrow(Raster& r, bool right, bool end) {
  Page(r, 2, 2, 15, 22);
  if (right) {
    Triangle(r, kGreen, true, 10);
  } else {
    Triangle(r, kGreen, false, 10);
  }
  if (end)
    Fill(r, Block(right ? 21 : 8, 4, right ? 23.5 : 10.5, 20), kGreen);
}
void PlayBar(Raster& r, bool right, bool bar) {
  Triangle(r, kBlue, right, bar ? (right ? 4 : 8) : 6);
  if (bar)
    Fill(r, Block(right ? 17 : 4, 4, right ? 20 : 7, 20), kBlue);
}
void Logo(Raster& r, const Hue& h) {
  Fill(r, Circle(12, 12, 10), h);
  Solid(r, Ring(12, 12, 4, 6.5), kWhite);
}

using Drawer = std::function<void(Raster&)>;

// What each button or mark picture shows.
const std::map<std::string, Drawer>& Symbols() {
  static const std::map<std::string, Drawer> symbols = {
      {"OK", [](Raster& r) { Check(r, kGreen); }},
      {"Cancel", [](Raster& r) { Cross(r, kRed); }},
      {"Help",
       [](Raster& r) {
         Badge(r, kBlue);
         QuestionMark(r, kWhite);
       }},
      {"Nu", [](Raster& r) { NoEntry(r); }},
      {"Exit", [](Raster& r) { Door(r, kGreen); }},
      {"Retry", [](Raster& r) { RetryArrow(r); }},
      {"All", [](Raster& r) { Double(r, kGreen); }},
      {"Add", [](Raster& r) { PlusSign(r, kGreen); }},
      {"Delete", [](Raster& r) { MinusSign(r, kRed); }},
      {"Jurnal", [](Raster& r) { Book(r, kBlue); }},
      {"Vizual", [](Raster& r) { Eye(r); }},
      {"Print", [](Raster& r) { Printer(r, kGrey); }},
      {"PrnSetup", [](Raster& r) { Printer(r, kTeal); }},
      {"Edit", [](Raster& r) { Pencil(r); }},
      {"Analitic", [](Raster& r) { Bars(r); }},
      {"Detalii", [](Raster& r) { Page(r, 4, 2, 20, 22); }},
      {"Kolvar", [](Raster& r) { KLetter(r, kNavy); }},
      {"Save", [](Raster& r) { Floppy(r, kBlue); }},
      {"SaveAs", [](Raster& r) { Floppy(r, kViolet); }},
      {"Plus", [](Raster& r) { PlusSign(r, kGreen); }},
      {"BUnelte", [](Raster& r) { Wrench(r); }},
      {"Config", [](Raster& r) { Gear(r, kGrey); }},
      {"Stoc", [](Raster& r) { Boxes(r); }},
      {"Sold", [](Raster& r) { Coins(r); }},
      {"BIntr",
       [](Raster& r) {
         Fill(r, Block(12, 3, 21, 21), kBrown);
         ArrowRight(r, kGreen);
       }},
      {"BSediu", [](Raster& r) { Building(r); }},
      {"BIes",
       [](Raster& r) {
         Fill(r, Block(3, 3, 12, 21), kBrown);
         ArrowRight(r, kRed);
       }},
      {"BBani", [](Raster& r) { Banknote(r); }},
      {"Mail", [](Raster& r) { Envelope(r); }},
      {"BigExit", [](Raster& r) { Door(r, kRed); }},
      {"PlusAdd", [](Raster& r) { PlusSign(r, kGreen); }},
      {"PlusBlue", [](Raster& r) { PlusSign(r, kBlue); }},
      {"PlusPorto", [](Raster& r) { PlusSign(r, kOrange); }},
      {"PlusPeach", [](Raster& r) { PlusSign(r, kPeach); }},
      {"PlusSnorkel", [](Raster& r) { PlusSign(r, kTeal); }},
      {"MinusDel", [](Raster& r) { MinusSign(r, kRed); }},
      {"FirstPag", [](Raster& r) { PageArrow(r, false, true); }},
      {"LastPag", [](Raster& r) { PageArrow(r, true, true); }},
      {"PrevPag", [](Raster& r) { PageArrow(r, false, false); }},
      {"NextPag", [](Raster& r) { PageArrow(r, true, false); }},
      {"nPrev", [](Raster& r) { PlayBar(r, false, false); }},
      {"nNext", [](Raster& r) { PlayBar(r, true, false); }},
      {"nFirst", [](Raster& r) { PlayBar(r, false, true); }},
      {"nLast", [](Raster& r) { PlayBar(r, true, true); }},
      {"Find", [](Raster& r) { Magnifier(r); }},
      {"FindNext",
       [](Raster& r) {
         Magnifier(r);
         Triangle(r, kGreen, true, 12);
       }},
      {"Grafic", [](Raster& r) { Pie(r); }},
      {"Contract", [](Raster& r) { Seal(r); }},
      {"Explicatii", [](Raster& r) { Bubble(r); }},
      {"Permis",
       [](Raster& r) {
         Badge(r, kGreen);
         Check(r, {kWhite, kWhite});
       }},
      {"UrmatorBlue", [](Raster& r) { ArrowRight(r, kBlue); }},
      {"Avansat", [](Raster& r) { Chevrons(r, kBlue); }},
      {"Buget",
       [](Raster& r) {
         Coins(r);
         Fill(r, Circle(17, 7, 4), kGreen);
       }},
      {"Precedent", [](Raster& r) { ArrowLeft(r, kGreen); }},
      {"Urmator", [](Raster& r) { ArrowRight(r, kGreen); }},
      // marks
      {"Interzis", [](Raster& r) { Forbidden(r); }},
      {"Surub", [](Raster& r) { Screw(r); }},
      {"Linii", [](Raster& r) { Lines(r); }},
      {"Anulat", [](Raster& r) { Cross(r, kRed); }},
      {"GrupX", [](Raster& r) { GroupBox(r, true); }},
      {"Grup0", [](Raster& r) { GroupBox(r, false); }},
      {"crescator",
       [](Raster& r) {
         Fill(r, Polygon({12, 4, 21, 19, 3, 19}), kGreen);
       }},
      {"descrescator",
       [](Raster& r) {
         Fill(r, Polygon({3, 5, 21, 5, 12, 20}), kRed);
       }},
      {"ToolbVert", [](Raster& r) { Grip(r, true); }},
      {"ToolbOriz", [](Raster& r) { Grip(r, false); }},
      {"EscapeImg", [](Raster& r) { Keycap(r); }},
      {"SCLogo", [](Raster& r) { Logo(r, kNavy); }},
      {"Pag", [](Raster& r) { Page(r, 4, 2, 20, 22); }},
      {"Neoperat", [](Raster& r) { Hourglass(r); }},
      {"Constante", [](Raster& r) { Book(r, kTeal); }},
      {"StopModi", [](Raster& r) { Forbidden(r); }},
      {"MainExitImg", [](Raster& r) { Door(r, kRed); }},
      {"SagRight", [](Raster& r) { Triangle(r, kNavy, true, 7); }},
      {"SagLeft", [](Raster& r) { Triangle(r, kNavy, false, 5); }},
      {"SagUp",
       [](Raster& r) {
         Fill(r, Polygon({4, 17, 12, 6, 20, 17}), kNavy);
       }},
      {"SagDown",
       [](Raster& r) {
         Fill(r, Polygon({4, 7, 20, 7, 12, 18}), kNavy);
       }},
      {"PalmaDeMajorca", [](Raster& r) { Logo(r, kTeal); }},
      {"SiglaWhiteL", [](Raster& r) { Logo(r, kGrey); }},
      {"SiglaWhiteR", [](Raster& r) { Logo(r, kGrey); }},
      {"SiglaBlackL", [](Raster& r) { Logo(r, kNavy); }},
      {"SiglaBlackR", [](Raster& r) { Logo(r, kNavy); }},
      {"SiglaProKolvarImg", [](Raster& r) { KLetter(r, kNavy); }},
      {"SiglaProKolvar2Img", [](Raster& r) { KLetter(r, kBlue); }},
  };
  return symbols;
}

// The dialog icons: a large symbol on the left half of an 86 × 53 picture.
void DialogIcon(Raster& r, const std::string& name, double unit) {
  r.SetTransform(19 * unit, 3 * unit, 47.0 / 24 * unit);
  if (name == "Warning") {
    Fill(r, RoundBox(0, 0, 0, 0, 0), kYellow);
    r.Fill(Polygon({12, 1.5, 23, 21.5, 1, 21.5}), kYellow.top, kYellow.bottom, Rgb(150, 90, 0));
    Solid(r, Union(Polygon({10.8, 7, 13.2, 7, 12.7, 15, 11.3, 15}), Circle(12, 18, 1.4)), kInk);
  } else if (name == "Error") {
    Badge(r, kRed);
    Solid(r, Union(Stroke(8, 8, 16, 16, 2.8), Stroke(16, 8, 8, 16, 2.8)), kWhite);
  } else if (name == "Information") {
    Badge(r, kBlue);
    Solid(r, Union(Circle(12, 7, 1.7), Block(10.7, 10, 13.3, 18)), kWhite);
  } else {
    Badge(r, kGreen);
    QuestionMark(r, kWhite);
  }
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
    if (name == "ImageListe") {
      Lines(r);
    } else {
      Page(r, 4, 2, 20, 22);
    }
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
    DialogIcon(r, n, unit);
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
  } else if (auto it = Symbols().find(n); it != Symbols().end()) {
    int cellW = width / layout->cells;
    double scale = std::min(cellW, height) / 24.0;
    r.SetTransform((cellW - 24 * scale) / 2, (height - 24 * scale) / 2, scale);
    it->second(r);
    if (IsStrip(*layout)) {
      r.CopyCell(0, cellW, cellW, DisabledLook);
      r.CopyCell(0, 2 * cellW, cellW, HotLook);
    }
  } else {
    Face(r, n, unit);
  }
  return r;
}

}  // namespace kolvar::toolkit
