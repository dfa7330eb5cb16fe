#include "toolkit/pure/raster.h"

#include <algorithm>
#include <cmath>

namespace kolvar::toolkit {

Shape Circle(double cx, double cy, double r) {
  return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape Ellipse(double cx, double cy, double rx, double ry) {
  return [=](double x, double y) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
  };
}

Shape Block(double x0, double y0, double x1, double y1) {
  return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Shape RoundBox(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    if (x < x0 || x > x1 || y < y0 || y > y1)
      return false;
    double cx = std::clamp(x, x0 + radius, x1 - radius);
    double cy = std::clamp(y, y0 + radius, y1 - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

Shape Stroke(double x0, double y0, double x1, double y1, double w) {
  return [=](double x, double y) {
    double dx = x1 - x0, dy = y1 - y0;
    double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
    double px = x0 + t * dx - x, py = y0 + t * dy - y;
    return px * px + py * py <= w * w / 4;
  };
}

Shape Polygon(std::vector<double> xy) {
  return [xy = std::move(xy)](double x, double y) {
    bool inside = false;
    size_t n = xy.size() / 2;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
        inside = !inside;
    }
    return inside;
  };
}

Shape Ring(double cx, double cy, double inner, double outer) {
  return Minus(Circle(cx, cy, outer), Circle(cx, cy, inner));
}

Shape Union(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) || b(x, y); };
}

Shape Minus(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && !b(x, y); };
}

Shape Intersect(Shape a, Shape b) {
  return [=](double x, double y) { return a(x, y) && b(x, y); };
}

Raster::Raster(int width, int height, TColor key)
    : width_(std::max(0, width)),
      height_(std::max(0, height)),
      key_(key),
      pixels_(static_cast<size_t>(width_) * height_, key) {}

void Raster::SetTransform(double originX, double originY, double scale) {
  ox_ = originX;
  oy_ = originY;
  scale_ = scale > 0 ? scale : 1;
}

void Raster::Fill(const Shape& shape, TColor top, TColor bottom, TColor outline) {
  // Coverage from four samples a pixel; a pixel counts as inside from two samples on.
  std::vector<unsigned char> mask(pixels_.size(), 0);
  int minY = height_, maxY = -1;
  static const double offsets[4][2] = {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      int hits = 0;
      for (const auto& o : offsets) {
        if (shape((x + o[0] - ox_) / scale_, (y + o[1] - oy_) / scale_))
          ++hits;
      }
      if (hits >= 2) {
        mask[static_cast<size_t>(y) * width_ + x] = 1;
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
    }
  }
  auto inside = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < width_ && y < height_ &&
           mask[static_cast<size_t>(y) * width_ + x];
  };
  for (int y = minY; y <= maxY; ++y) {
    TColor shade = GradientColor(top, bottom, y - minY, std::max(1, maxY - minY));
    for (int x = 0; x < width_; ++x) {
      if (!inside(x, y))
        continue;
      bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
      At(x, y) = (edge && outline != clNone) ? outline : shade;
    }
  }
}

void Raster::FillRect(int x0, int y0, int x1, int y1, TColor color) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y) {
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x)
      At(x, y) = color;
  }
}

void Raster::CopyCell(int fromX, int toX, int w, const std::function<TColor(TColor)>& change) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < w; ++x) {
      if (fromX + x >= width_ || toX + x >= width_)
        continue;
      TColor c = At(fromX + x, y);
      At(toX + x, y) = c == key_ ? key_ : change(c);
    }
  }
}

}  // namespace kolvar::toolkit
