// The HTML document view of the toolkit: shows a local HTML file with its pictures, split into
// frames when it is a frame document; scrolls by wheel, scroll bars and keys; follows links
// (local documents in the view, anchors by scrolling, anything else in the user's browser).
// See supported.md beside this file for the markup it reads.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "htmlview/pictures.h"
#include "htmlview/pure/layout.h"
#include "htmlview/pure/parser.h"
#include "toolkit/control.h"

namespace kolvar::htmlview {

class TFrameViewer;
class ScreenFonts;

// One document on screen (the whole view, or one frame): a window with its own scroll bars.
class TDocumentView : public toolkit::TCustomControl {
 public:
  TDocumentView(TFrameViewer* viewer, toolkit::TWinControl* parent, std::wstring name);
  ~TDocumentView() override;

  // Shows `doc`, read from `path` (relative links and pictures are found beside it).
  void SetDocument(std::unique_ptr<Document> doc, const std::wstring& path);
  const std::wstring& Path() const { return path_; }
  const Document* GetDocument() const { return doc_.get(); }
  const LayoutResult& Layout() const { return layout_; }

  int ScrollY() const { return scrollY_; }
  int ScrollX() const { return scrollX_; }
  // Scrolls so that document point (x, y) is at the top-left (limited to the document).
  void ScrollTo(int x, int y);
  // Scrolls to the anchor `name`; false when the document has none of that name.
  bool ScrollToAnchor(const std::wstring& name);
  // The navigation keys: arrows, Page Up/Down, Home/End, Space. True when `key` scrolled.
  bool ScrollKey(WORD key, toolkit::TShiftState shift);
  // One wheel movement (`delta` in the system's units, 120 a notch).
  void Wheel(int delta);
  // The link under client point (x, y), or -1.
  int LinkAtClient(int x, int y) const;
  // The picture file a document's `src` names (resolved beside the document).
  std::wstring ResolvePath(const std::wstring& src) const;
  // The picture cache: size of `src` for the layout (nothing when unreadable).
  std::optional<std::pair<int, int>> PictureSize(const std::wstring& src);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void KeyDown(WORD& key, toolkit::TShiftState shift) override;
  bool WantsKey(WORD key) const override;
  void MouseDown(toolkit::TMouseButton button, toolkit::TShiftState shift, int x, int y) override;
  void MouseUp(toolkit::TMouseButton button, toolkit::TShiftState shift, int x, int y) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void PaintWindow(HDC dc) override;
  void BoundsChanged() override;

 private:
  struct PictureEntry {
    bool read = false;
    std::string bytes;  // kept until decoded
    std::optional<std::pair<int, int>> size;
    bool decoded = false;
    DecodedPicture picture;
  };
  PictureEntry& Entry(const std::wstring& src);
  void Relayout();
  void UpdateScrollBars();
  void OnScroll(int bar, int code);
  void PaintDocument(HDC dc, const RECT& clip);

  TFrameViewer* viewer_;
  std::unique_ptr<Document> doc_;
  std::wstring path_;
  std::wstring folder_;
  std::unique_ptr<ScreenFonts> fonts_;
  LayoutResult layout_;
  int laidOutWidth_ = -1;
  int scrollX_ = 0, scrollY_ = 0;
  int pressedLink_ = -1;
  std::map<std::wstring, PictureEntry> pictures_;
};

class TFrameViewer : public toolkit::TCustomControl {
 public:
  TFrameViewer(toolkit::TWinControl* parent, std::wstring name);
  ~TFrameViewer() override;

  // Loads the local file `path` and scrolls to the anchor `anchor` (without '#') when given.
  // False, and an empty view, when the file cannot be read.
  bool LoadFromFile(const std::wstring& path, const std::wstring& anchor = L"");
  // The title of the document shown (the frame document's title for frames).
  const std::wstring& DocumentTitle() const { return title_; }
  const std::wstring& CurrentFile() const { return file_; }

  std::wstring DefaultFontName = L"Times New Roman";
  std::wstring PreFontName = L"Courier New";

  // After a link replaced the whole document (the title may have changed).
  toolkit::TNotifyEvent OnDocumentChange;
  // A link outside the local files; the default hands the links that may leave the document
  // to the user's default program (OpenInDefaultProgram) and drops the others.
  std::function<void(const std::wstring& url)> OnExternalLink;
  // A form submitted in the document; forms are shown without their fields, so it never fires.
  toolkit::TNotifyEvent OnFormSubmit;

  // The document views: one, or one per frame (in document order).
  const std::vector<TDocumentView*>& Views() const { return views_; }
  // The view to scroll by keys and the wheel: the one with the focus, else the first.
  TDocumentView* ActiveView() const;
  // Scrolls the view under screen point `at` by a wheel movement; false when none is there.
  bool WheelAt(POINT at, int delta);
  // Called by a view when its link `link` was clicked.
  void LinkClicked(TDocumentView* view, int link);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void BoundsChanged() override;
  void Paint(HDC dc) override;

 private:
  struct FrameNode {
    std::wstring rows, cols;
    int border = 4;
    TDocumentView* view = nullptr;  // a leaf
    std::vector<FrameNode> children;
  };
  std::unique_ptr<Document> ReadDocument(const std::wstring& path) const;
  void Clear();
  void BuildFrames(const Node* frameset, const std::wstring& folder, FrameNode& into, int depth);
  void AddLeaf(const std::wstring& path, const std::wstring& name, FrameNode& into, int depth);
  void PlaceFrames(const FrameNode& node, RECT r);
  void Navigate();

  std::wstring title_;
  std::wstring file_;
  std::vector<TDocumentView*> views_;
  std::vector<std::unique_ptr<Document>> framesetDocs_;
  // Views made by a load, waiting for their places before their documents are laid out.
  struct Unplaced {
    TDocumentView* view;
    std::unique_ptr<Document> doc;
    std::wstring path;
  };
  std::vector<Unplaced> unplaced_;
  FrameNode root_;
  bool framed_ = false;
  struct Pending {
    bool active = false;
    bool top = false;
    TDocumentView* view = nullptr;
    std::wstring path, anchor;
  } pending_;
};

// Helpers shared with the tests.
// `href` is a link outside the local files (it names a scheme other than file:).
bool IsExternalLink(const std::wstring& href);
// The local file `href` names, seen from `folder`, and its "#anchor" (without '#').
void ResolveLocalLink(const std::wstring& folder,
                      const std::wstring& href,
                      std::wstring& path,
                      std::wstring& anchor);

}  // namespace kolvar::htmlview
