#include "htmlview/pure/table_widths.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace kolvar::htmlview {

namespace {

// Shares `amount` among `count` parts in proportion to `weights` (evenly when they are all
// 0), adding to `out`; the rounding remainder goes to the last part with weight.
void Distribute(long long amount, const std::vector<long long>& weights, std::vector<int>& out) {
  if (amount <= 0 || out.empty())
    return;
  long long sum = std::accumulate(weights.begin(), weights.end(), 0LL);
  size_t n = out.size();
  long long given = 0;
  size_t last = n - 1;
  for (size_t i = 0; i < n; ++i) {
    if (sum == 0 || weights[i] > 0)
      last = i;
  }
  for (size_t i = 0; i < n; ++i) {
    long long share = sum > 0 ? amount * weights[i] / sum : amount / static_cast<long long>(n);
    out[i] += static_cast<int>(share);
    given += share;
  }
  out[last] += static_cast<int>(amount - given);
}

}  // namespace

TableWidths ColumnWidths(const TableWidthInput& in) {
  TableWidths result;
  const int n = std::max(0, in.columns);
  if (n == 0) {
    result.total = 2 * in.border + in.spacing;
    return result;
  }
  std::vector<int> minW(n, 0), maxW(n, 0), fixed(n, 0), percent(n, 0);
  std::vector<const CellNeed*> spanning;
  for (const CellNeed& c : in.cells) {
    if (c.first < 0 || c.first >= n)
      continue;
    if (c.span > 1 && c.first + 1 < n) {
      spanning.push_back(&c);
      continue;
    }
    int i = c.first;
    minW[i] = std::max(minW[i], c.min);
    maxW[i] = std::max(maxW[i], std::max(c.min, c.max));
    if (c.width.unit == Length::Unit::kPixels)
      fixed[i] = std::max(fixed[i], c.width.value);
    else if (c.width.unit == Length::Unit::kPercent)
      percent[i] = std::max(percent[i], c.width.value);
  }
  // Narrower spans first, in the cells' order within one width. The C library's sort, with the
  // cells' order (their addresses) as the last key, gives that without the library's stable sort
  // in the program (two kilobytes).
  if (spanning.size() > 1)
    std::qsort(spanning.data(), spanning.size(), sizeof(spanning[0]),
               [](const void* a, const void* b) {
                 const CellNeed* x = *static_cast<const CellNeed* const*>(a);
                 const CellNeed* y = *static_cast<const CellNeed* const*>(b);
                 if (x->span != y->span)
                   return x->span < y->span ? -1 : 1;
                 return x < y ? -1 : (x > y ? 1 : 0);
               });
  for (const CellNeed* c : spanning) {
    int last = std::min(n, c->first + c->span);
    int inner = in.spacing * (last - c->first - 1);
    std::vector<long long> weights;
    std::vector<int> add(last - c->first, 0);
    long long haveMin = inner, haveMax = inner;
    for (int i = c->first; i < last; ++i) {
      haveMin += minW[i];
      haveMax += maxW[i];
      weights.push_back(maxW[i]);
    }
    Distribute(c->min - haveMin, weights, add);
    for (int i = c->first; i < last; ++i)
      minW[i] += add[i - c->first], maxW[i] = std::max(maxW[i], minW[i]);
    std::fill(add.begin(), add.end(), 0);
    weights.clear();
    for (int i = c->first; i < last; ++i)
      weights.push_back(maxW[i]);
    haveMax = inner;
    for (int i = c->first; i < last; ++i)
      haveMax += maxW[i];
    Distribute(std::max(c->max, c->min) - haveMax, weights, add);
    for (int i = c->first; i < last; ++i)
      maxW[i] += add[i - c->first];
  }

  const long long overhead = static_cast<long long>(in.spacing) * (n + 1) + 2LL * in.border;
  long long sumMin = std::accumulate(minW.begin(), minW.end(), 0LL);
  // What each column would like: its fixed width, its share of the table, or its text on one
  // line.
  std::vector<long long> want(n);
  long long room = std::max<long long>(0, in.available - overhead);
  long long target;
  if (in.width.IsSet()) {
    target = std::max<long long>(in.width.Resolve(in.available, in.available) - overhead, 0);
  } else {
    target = -1;
  }
  long long base = target >= 0 ? target : room;
  for (int i = 0; i < n; ++i) {
    if (percent[i] > 0)
      want[i] = std::max<long long>(minW[i], base * percent[i] / 100);
    else if (fixed[i] > 0)
      want[i] = std::max(minW[i], fixed[i]);
    else
      want[i] = maxW[i];
  }
  long long sumWant = std::accumulate(want.begin(), want.end(), 0LL);
  if (target < 0)
    target = std::min(room, sumWant);
  target = std::max(target, sumMin);

  std::vector<int> width(minW);
  if (sumWant <= target) {
    for (int i = 0; i < n; ++i)
      width[i] = static_cast<int>(want[i]);
    // Extra room goes to the columns that asked for no width, else to all.
    std::vector<long long> weights(n, 0);
    bool anyAuto = false;
    for (int i = 0; i < n; ++i) {
      if (percent[i] == 0 && fixed[i] == 0) {
        weights[i] = std::max(1, maxW[i]);
        anyAuto = true;
      }
    }
    if (!anyAuto) {
      for (int i = 0; i < n; ++i)
        weights[i] = std::max<long long>(1, want[i]);
    }
    Distribute(target - sumWant, weights, width);
  } else {
    std::vector<long long> weights(n);
    for (int i = 0; i < n; ++i)
      weights[i] = want[i] - minW[i];
    Distribute(target - sumMin, weights, width);
  }
  result.columns = width;
  result.total = static_cast<int>(
      std::min<long long>(std::accumulate(width.begin(), width.end(), 0LL) + overhead, 1 << 24));
  return result;
}

std::vector<int> SplitFrameSizes(const std::wstring& sizeList, int total) {
  struct Part {
    enum { kPixels, kPercent, kStar } kind;
    long long value;
  };
  std::vector<Part> parts;
  size_t start = 0;
  while (start <= sizeList.size() && parts.size() < 64) {
    size_t end = sizeList.find(',', start);
    if (end == std::wstring::npos)
      end = sizeList.size();
    std::wstring item = sizeList.substr(start, end - start);
    start = end + 1;
    long long number = 0;
    bool digits = false;
    bool star = false, pct = false;
    for (wchar_t c : item) {
      if (c >= '0' && c <= '9' && !star && !pct) {
        number = std::min<long long>(number * 10 + (c - '0'), 100000);
        digits = true;
      } else if (c == '*') {
        star = true;
      } else if (c == '%') {
        pct = true;
      } else if (c == '.') {
        break;
      }
    }
    if (star)
      parts.push_back({Part::kStar, digits ? std::max<long long>(number, 1) : 1});
    else if (pct)
      parts.push_back({Part::kPercent, number});
    else if (digits)
      parts.push_back({Part::kPixels, number});
    else
      parts.push_back({Part::kStar, 1});
    if (end == sizeList.size())
      break;
  }
  total = std::max(total, 0);
  if (parts.empty())
    return {total};
  std::vector<int> sizes(parts.size(), 0);
  long long used = 0, stars = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].kind == Part::kPixels)
      sizes[i] = static_cast<int>(std::min<long long>(parts[i].value, total));
    else if (parts[i].kind == Part::kPercent)
      sizes[i] = static_cast<int>(total * std::min<long long>(parts[i].value, 100) / 100);
    else
      stars += parts[i].value;
    used += sizes[i];
  }
  long long left = total - used;
  std::vector<long long> weights(parts.size(), 0);
  if (left >= 0 && stars > 0) {
    for (size_t i = 0; i < parts.size(); ++i)
      weights[i] = parts[i].kind == Part::kStar ? parts[i].value : 0;
    Distribute(left, weights, sizes);
    return sizes;
  }
  // Fixed sizes that do not fill (or overflow) the whole are scaled to it.
  if (used <= 0) {
    std::fill(weights.begin(), weights.end(), 1);
    std::fill(sizes.begin(), sizes.end(), 0);
    Distribute(total, weights, sizes);
    return sizes;
  }
  for (size_t i = 0; i < parts.size(); ++i)
    weights[i] = sizes[i];
  std::fill(sizes.begin(), sizes.end(), 0);
  Distribute(total, weights, sizes);
  return sizes;
}

}  // namespace kolvar::htmlview
