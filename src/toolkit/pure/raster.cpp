#include "toolkit/pure/raster.h"

#include <algorithm>
#include <cmath>

namespace kolvar::toolkit {

namespace {

enum class Kind : uint8_t {
  kCircle,
  kEllipse,
  kBlock,
  kRoundBox,
  kStroke,
  kPolygon,
  kUnion,
  kMinus,
  kIntersect
};
struct Node {
  Kind kind;
  double p[5];
  uint32_t a, b;  // children; for a polygon the first point and the point count
};

std::vector<Node>& Nodes() {
  static std::vector<Node> nodes;
  return nodes;
}
std::vector<double>& Points() {
  static std::vector<double> points;
  return points;
}

Shape Make(Kind kind,
           double p0,
           double p1,
           double p2,
           double p3,
           double p4,
           uint32_t a,
           uint32_t b) {
  std::vector<Node>& nodes = Nodes();
  nodes.push_back(Node{kind, {p0, p1, p2, p3, p4}, a, b});
  return Shape{static_cast<uint32_t>(nodes.size() - 1)};
}

bool Inside(uint32_t index, double x, double y) {
  const Node& n = Nodes()[index];
  const double* p = n.p;
  switch (n.kind) {
    case Kind::kCircle:
      return (x - p[0]) * (x - p[0]) + (y - p[1]) * (y - p[1]) <= p[2] * p[2];
    case Kind::kEllipse: {
      double dx = (x - p[0]) / p[2], dy = (y - p[1]) / p[3];
      return dx * dx + dy * dy <= 1.0;
    }
    case Kind::kBlock:
      return x >= p[0] && x <= p[2] && y >= p[1] && y <= p[3];
    case Kind::kRoundBox: {
      if (x < p[0] || x > p[2] || y < p[1] || y > p[3])
        return false;
      double cx = std::clamp(x, p[0] + p[4], p[2] - p[4]);
      double cy = std::clamp(y, p[1] + p[4], p[3] - p[4]);
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= p[4] * p[4];
    }
    case Kind::kStroke: {
      double dx = p[2] - p[0], dy = p[3] - p[1];
      double len2 = dx * dx + dy * dy;
      double t = len2 > 0 ? std::clamp(((x - p[0]) * dx + (y - p[1]) * dy) / len2, 0.0, 1.0) : 0.0;
      double px = p[0] + t * dx - x, py = p[1] + t * dy - y;
      return px * px + py * py <= p[4] * p[4] / 4;
    }
    case Kind::kPolygon: {
      const double* xy = Points().data() + n.a;
      bool inside = false;
      size_t count = n.b;
      for (size_t i = 0, j = count - 1; i < count; j = i++) {
        double xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
          inside = !inside;
      }
      return inside;
    }
    case Kind::kUnion:
      return Inside(n.a, x, y) || Inside(n.b, x, y);
    case Kind::kMinus:
      return Inside(n.a, x, y) && !Inside(n.b, x, y);
    case Kind::kIntersect:
      return Inside(n.a, x, y) && Inside(n.b, x, y);
  }
  return false;
}

}  // namespace

bool Shape::operator()(double x, double y) const {
  return node < Nodes().size() && Inside(node, x, y);
}

void ClearShapes() {
  Nodes().clear();
  Points().clear();
}

Shape Circle(double cx, double cy, double r) {
  return Make(Kind::kCircle, cx, cy, r, 0, 0, 0, 0);
}

Shape Ellipse(double cx, double cy, double rx, double ry) {
  return Make(Kind::kEllipse, cx, cy, rx, ry, 0, 0, 0);
}

Shape Block(double x0, double y0, double x1, double y1) {
  return Make(Kind::kBlock, x0, y0, x1, y1, 0, 0, 0);
}

Shape RoundBox(double x0, double y0, double x1, double y1, double radius) {
  return Make(Kind::kRoundBox, x0, y0, x1, y1, radius, 0, 0);
}

Shape Stroke(double x0, double y0, double x1, double y1, double w) {
  return Make(Kind::kStroke, x0, y0, x1, y1, w, 0, 0);
}

Shape Polygon(std::initializer_list<double> xy) {
  std::vector<double>& points = Points();
  uint32_t first = static_cast<uint32_t>(points.size());
  points.insert(points.end(), xy.begin(), xy.end());
  return Make(Kind::kPolygon, 0, 0, 0, 0, 0, first, static_cast<uint32_t>(xy.size() / 2));
}

Shape Ring(double cx, double cy, double inner, double outer) {
  return Minus(Circle(cx, cy, outer), Circle(cx, cy, inner));
}

Shape Union(Shape a, Shape b) {
  return Make(Kind::kUnion, 0, 0, 0, 0, 0, a.node, b.node);
}

Shape Minus(Shape a, Shape b) {
  return Make(Kind::kMinus, 0, 0, 0, 0, 0, a.node, b.node);
}

Shape Intersect(Shape a, Shape b) {
  return Make(Kind::kIntersect, 0, 0, 0, 0, 0, a.node, b.node);
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
