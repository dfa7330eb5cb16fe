#include "toolkit/pure/markup.h"

#include <algorithm>

#include "toolkit/pure/palette.h"

namespace kolvar::toolkit {
namespace {

constexpr int kMaxPointSize = 400;

bool IsCode(wchar_t c) {
  return c == L'@' || c == L'&' || c == L'$' || c == L'%' || c == L'~';
}
bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

// Reads the digits at `pos`, advancing past them. -1 when there are none; a number too large
// for any setting reads as a huge value that every range check refuses.
int ReadNumber(std::wstring_view text, size_t& pos) {
  size_t begin = pos;
  long long value = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    if (value < 1000000)
      value = value * 10 + (text[pos] - L'0');
    ++pos;
  }
  if (pos == begin)
    return -1;
  return static_cast<int>(value);
}

class Parser {
 public:
  explicit Parser(const MarkupFont& start) { current_.font = start; }

  std::vector<MarkupLine> Run(std::wstring_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
      wchar_t c = text[pos++];
      if (c == L'\r' || c == L'\n') {
        if (c == L'\r' && pos < text.size() && text[pos] == L'\n')
          ++pos;
        EndLine();
      } else if (c == L'\\' && pos < text.size() && IsCode(text[pos])) {
        current_.text += text[pos++];
      } else if (IsCode(c)) {
        ApplyCode(c, text, pos);
      } else {
        current_.text += c;
      }
    }
    EndLine();
    return std::move(lines_);
  }

 private:
  void ApplyCode(wchar_t code, std::wstring_view text, size_t& pos) {
    MarkupSegment next = current_;
    next.text.clear();
    if (code == L'%') {
      next.shadow = !next.shadow;
    } else if (code == L'~') {
      next.blink = !next.blink;
    } else {
      int n = ReadNumber(text, pos);
      if (code == L'@') {
        if (auto color = MarkupColor(n))
          next.font.color = *color;
      } else if (code == L'&') {
        if (n > 0 && n <= kMaxPointSize)
          next.font.size = n;
      } else if (n >= 0 && n <= 3) {
        next.font.style = n;
      }
    }
    FlushSegment();
    current_ = std::move(next);
  }

  void FlushSegment() {
    if (!current_.text.empty())
      line_.segments.push_back(current_);
    current_.text.clear();
  }

  void EndLine() {
    FlushSegment();
    if (line_.segments.empty())
      line_.segments.push_back(current_);
    lines_.push_back(std::move(line_));
    line_ = MarkupLine();
  }

  MarkupSegment current_;
  MarkupLine line_;
  std::vector<MarkupLine> lines_;
};

struct Measured {
  MarkupSegment segment;
  TextExtent extent;
};

struct VisualLine {
  std::vector<Measured> segments;
  int width = 0;
};

Measured MeasureSegment(MarkupSegment segment, TextMeasurer& measurer) {
  TextExtent extent = measurer.Measure(segment.text, segment.font);
  return {std::move(segment), extent};
}

VisualLine MeasureLine(const std::vector<MarkupSegment>& segments, TextMeasurer& measurer) {
  VisualLine line;
  for (const MarkupSegment& segment : segments) {
    line.segments.push_back(MeasureSegment(segment, measurer));
    line.width += line.segments.back().extent.width;
  }
  return line;
}

// Pieces of a segment: each word with the blanks that follow it.
std::vector<std::wstring> SplitWords(const std::wstring& text) {
  std::vector<std::wstring> words;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(L' ', pos);
    end = end == std::wstring::npos ? text.size() : text.find_first_not_of(L' ', end);
    if (end == std::wstring::npos)
      end = text.size();
    words.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return words;
}

// Breaks one source line into lines no wider than `limit` where blanks allow it.
std::vector<VisualLine> WrapLine(const MarkupLine& line, TextMeasurer& measurer, int limit) {
  std::vector<std::vector<MarkupSegment>> rows(1);
  int rowWidth = 0;
  for (const MarkupSegment& segment : line.segments) {
    bool continuesSegment = false;
    for (std::wstring& word : SplitWords(segment.text)) {
      MarkupSegment piece = segment;
      piece.text = std::move(word);
      int pieceWidth = measurer.Measure(piece.text, piece.font).width;
      if (rowWidth > 0 && rowWidth + pieceWidth > limit) {
        rows.emplace_back();
        rowWidth = 0;
        continuesSegment = false;
      }
      if (continuesSegment) {
        rows.back().back().text += piece.text;
      } else {
        rows.back().push_back(std::move(piece));
      }
      continuesSegment = true;
      rowWidth += pieceWidth;
    }
  }
  std::vector<VisualLine> result;
  for (size_t i = 0; i < rows.size(); ++i) {
    std::vector<MarkupSegment>& row = rows[i];
    if (row.empty())
      continue;
    if (i + 1 < rows.size()) {
      std::wstring& last = row.back().text;
      last.erase(last.find_last_not_of(L' ') + 1);
    }
    result.push_back(MeasureLine(row, measurer));
  }
  return result;
}

}  // namespace

std::vector<MarkupLine> ParseMarkup(std::wstring_view text, const MarkupFont& start) {
  return Parser(start).Run(text);
}

MarkupLayout LayoutMarkup(const std::vector<MarkupLine>& lines,
                          TextMeasurer& measurer,
                          int width,
                          int height,
                          TextAlign alignment,
                          bool wordWrap) {
  std::vector<VisualLine> visual;
  for (const MarkupLine& line : lines) {
    VisualLine measured = MeasureLine(line.segments, measurer);
    if (wordWrap && width > 0 && measured.width > width) {
      for (VisualLine& part : WrapLine(line, measurer, width))
        visual.push_back(std::move(part));
    } else {
      visual.push_back(std::move(measured));
    }
  }

  MarkupLayout layout;
  int totalHeight = 0;
  int widest = 0;
  for (const VisualLine& line : visual) {
    int lineHeight = 0;
    for (const Measured& m : line.segments)
      lineHeight = std::max(lineHeight, m.extent.height);
    totalHeight += lineHeight;
    widest = std::max(widest, line.width);
  }
  layout.width = std::max(width, widest);
  layout.height = std::max(height, totalHeight);

  int top = 0;
  for (const VisualLine& line : visual) {
    int lineHeight = 0;
    int baseline = 0;
    for (const Measured& m : line.segments) {
      lineHeight = std::max(lineHeight, m.extent.height);
      baseline = std::max(baseline, m.extent.ascent);
    }
    int x = AlignedLeft(alignment, layout.width, line.width);
    for (const Measured& m : line.segments) {
      layout.segments.push_back({m.segment, x, top + baseline - m.extent.ascent, m.extent.width});
      x += m.extent.width;
    }
    top += lineHeight;
  }
  return layout;
}

}  // namespace kolvar::toolkit
