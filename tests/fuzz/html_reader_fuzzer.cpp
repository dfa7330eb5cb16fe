// libFuzzer target: any bytes as a document. Decoding, building the tree and laying it out at a
// width taken from the input must end, without a crash, a hang or an unbounded allocation;
// the picture header check and the frame size arithmetic get the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "htmlview/pure/charset.h"
#include "htmlview/pure/image_info.h"
#include "htmlview/pure/layout.h"
#include "htmlview/pure/parser.h"
#include "htmlview/pure/table_widths.h"

namespace {

using namespace kolvar::htmlview;

class FuzzMeasurer : public Measurer {
 public:
  FontMetrics Metrics(int, const FontSpec& fontSpec) override {
    return {fontSpec.sizePx, fontSpec.sizePx / 4};
  }
  int TextWidth(int, const FontSpec& fontSpec, const wchar_t*, size_t n) override {
    return static_cast<int>(n) * (fontSpec.sizePx / 2 + 1);
  }
  std::optional<std::pair<int, int>> ImageSize(const std::wstring& src) override {
    if (src.size() % 3 == 0)
      return std::nullopt;
    return std::make_pair(static_cast<int>(src.size() * 7 % 500),
                          static_cast<int>(src.size() * 13 % 400));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::wstring text = DecodeDocument(bytes);
  Document doc = ParseHtml(text);
  FuzzMeasurer measurer;
  LayoutOptions options;
  options.width = size > 0 ? 40 + data[0] * 4 : 600;
  options.truncatedNote = L"(cut)";
  LayoutResult layout = LayoutDocument(doc, measurer, options);
  (void)LinkAt(layout, 10, 10);
  (void)FindAnchor(layout, L"a");
  if (doc.frameset) {
    if (const std::wstring_view* cols = doc.frameset->Attr("cols"))
      (void)SplitFrameSizes(std::wstring(*cols), options.width);
  }
  ImageInfo info = ReadImageInfo(bytes);
  (void)PlausibleImage(info, bytes.size(), bytes);
  return 0;
}
