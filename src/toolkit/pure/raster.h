// A small raster painter for the toolkit's generated pictures: shapes given as "is this point
// inside" tests, filled with a vertical shade and a one-pixel outline. No <windows.h> here.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "toolkit/pure/colors.h"

namespace kolvar::toolkit {

// A shape: an "is this point inside" test, held as a node of the shapes made since the last
// ClearShapes. A plain handle: making and combining shapes leaves nothing to clean up, so the
// many pictures drawn from them stay small. Not for use from two threads at once.
struct Shape {
  uint32_t node = 0;
  // Whether point (x, y) lies inside the shape.
  bool operator()(double x, double y) const;
};

Shape Circle(double cx, double cy, double r);
Shape Ellipse(double cx, double cy, double rx, double ry);
Shape Block(double x0, double y0, double x1, double y1);
Shape RoundBox(double x0, double y0, double x1, double y1, double radius);
// A stroke of width `w` from (x0, y0) to (x1, y1) with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double w);
// A polygon of x, y pairs (even-odd rule).
Shape Polygon(std::initializer_list<double> xy);
Shape Ring(double cx, double cy, double inner, double outer);
Shape Union(Shape a, Shape b);
Shape Minus(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
// Forgets every shape made so far (their handles must no longer be used).
void ClearShapes();

// An image of `width` × `height` pixels filled with the key colour.
class Raster {
 public:
  Raster(int width, int height, TColor key);
  int Width() const { return width_; }
  int Height() const { return height_; }
  TColor Key() const { return key_; }
  TColor& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  TColor At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const std::vector<TColor>& Pixels() const { return pixels_; }

  // Shape coordinates are mapped to pixels as x * scale + originX (likewise y). Pixels mostly
  // inside the shape get a shade from `top` to `bottom` over the shape's rows; pixels at its edge
  // get `outline` (clNone: no outline).
  void SetTransform(double originX, double originY, double scale);
  void Fill(const Shape& shape, TColor top, TColor bottom, TColor outline = clNone);
  void FillRect(int x0, int y0, int x1, int y1, TColor color);
  // Copies the pixels of `cell` (x from `fromX`, `w` wide) to x `toX`, passing each non-key pixel
  // through `change`.
  void CopyCell(int fromX, int toX, int w, const std::function<TColor(TColor)>& change);

 private:
  int width_;
  int height_;
  TColor key_;
  std::vector<TColor> pixels_;
  double ox_ = 0, oy_ = 0, scale_ = 1;
};

}  // namespace kolvar::toolkit
