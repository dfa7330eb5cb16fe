// The instructions viewer: a borderless, always-on-top window beside the background window
// that shows the release instructions of the installed version.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "htmlview/frame_viewer.h"
#include "htmlview/open_link.h"
#include "toolkit/buttons.h"
#include "toolkit/title_bar.h"

namespace kolvar::bootstrap {

class TEditInfo : public toolkit::TTitleForm {
 public:
  TEditInfo();

  // Chooses the document under the program folder `xPath`: the unread Instruct.htm, or (when
  // `aIsAuto` is false) the read Instruct.html; when both exist the unread copy is deleted
  // first. True with FName set when there is one; false with FName empty otherwise.
  bool FilePrepared(const std::wstring& xPath, bool aIsAuto);

  bool IsAuto = false;
  std::wstring FName;
  // Hands a link that leaves the document to the user's default program; true when it did.
  // Held as a lambda: a plain function's type information in a std::function brings in the run
  // time's support for pointer types.
  std::function<bool(const std::wstring& link)> OpenLink = [](const std::wstring& link) {
    return htmlview::OpenInDefaultProgram(link);
  };
  // Back among the always-on-top windows after a link's program had the front (the viewer is
  // shown or activated again).
  void BackOnTop();

  toolkit::TMovePanel* Panel1 = new toolkit::TMovePanel(this, L"Panel1");
  toolkit::TNiceButton* NiceButton3 = new toolkit::TNiceButton(Panel1, L"NiceButton3");
  toolkit::TTitleBar* TitleBar1 = new toolkit::TTitleBar(this, L"TitleBar1");
  htmlview::TFrameViewer* FrameViewer = new htmlview::TFrameViewer(this, L"FrameViewer");

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void FormShow() override;
  void FormClose(toolkit::TCloseAction& action) override;
  void FormKeyDown(WORD& key, toolkit::TShiftState shift) override;
  void EnabledByModal(bool enabled) override;
  void WindowStyles(DWORD& style, DWORD& exStyle) const override;
  void BoundsChanged() override;

 private:
  void NiceButton3Click(toolkit::TControl* sender);
  void FrameViewerFormSubmit(toolkit::TControl* sender);
  void FrameViewerDocumentChange(toolkit::TControl* sender);
  void FrameViewerExternalLink(const std::wstring& href);
  void PlaceCloseButton();
};

// The viewer made by CreateInstructionsViewer, or null.
TEditInfo* InstructionsViewer();

}  // namespace kolvar::bootstrap
