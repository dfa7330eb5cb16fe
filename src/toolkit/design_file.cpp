#include "toolkit/design_file.h"

#include "platform/files.h"
#include "platform/text.h"

namespace kolvar::toolkit {

Design ReadDesignFile(const std::wstring& folder,
                      const std::wstring& fileName,
                      int kind,
                      const std::wstring& moduleName) {
  std::wstring text;
  try {
    text = AnsiToWide(ReadFileBytes(JoinPath(folder, fileName)));
  } catch (...) {
    // A design that cannot be read is the design of fallbacks.
  }
  DesignSection where = DesignSectionFor(fileName, kind);
  return ReadDesign(IniText(text), where.section, where.suffix, kind, moduleName);
}

void LoadStartupDesigns() {
  constexpr int kDefaultPreset = 2;
  LoadDesign(0, kDefaultPreset);
  LoadDesign(1, kDefaultPreset);
}

}  // namespace kolvar::toolkit
