// A memo without a border, its text left-aligned or centred, as the pages show their notes.
#pragma once

#include "toolkit/actives.h"

namespace kolvar::pages {

template <typename Memo>
class TNoteMemo : public Memo {
 public:
  TNoteMemo(toolkit::TWinControl* parent, std::wstring name, bool centred)
      : Memo(parent, std::move(name)), centred_(centred) {
    this->SetReadOnly(true);
  }

 protected:
  void CreateParams(typename Memo::TCreateParams& params) override {
    Memo::CreateParams(params);
    params.ExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    if (centred_)
      params.Style |= ES_CENTER;
  }

 private:
  bool centred_;
};

}  // namespace kolvar::pages
