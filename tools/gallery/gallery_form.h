// The gallery window: every toolkit control in each of its states, page by page (GALLERY.EXE
// shows it; the tests at other screen settings look it over).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/buttons.h"
#include "toolkit/form.h"
#include "toolkit/title_bar.h"

namespace kolvar::gallery {

class TGallery : public toolkit::TTitleForm {
 public:
  TGallery();
  toolkit::TTitleBar* TitleBar1 = new toolkit::TTitleBar(this, L"TitleBar1");
  toolkit::TNiceButton* BClose = new toolkit::TNiceButton(this, L"BClose");
  toolkit::TNiceButton* BBack = new toolkit::TNiceButton(this, L"BBack");
  toolkit::TNiceButton* BNext = new toolkit::TNiceButton(this, L"BNext");

  int PageCount() const { return static_cast<int>(pages_.size()); }
  const std::wstring& PageName(int i) const { return pages_[i].name; }
  // Shows page `index` (from 0) alone; out of range does nothing.
  void ShowPage(int index);

 protected:
  void FormCreate() override;

 private:
  struct Page {
    std::wstring name;
    std::function<void(toolkit::TPanel*)> build;
    bool gradients = true;
  };
  std::vector<Page> pages_;
  std::vector<toolkit::TPanel*> contents_;
  int page_ = 0;
  bool machineGradients_ = true;
};

}  // namespace kolvar::gallery
