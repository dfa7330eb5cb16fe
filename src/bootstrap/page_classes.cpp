// The installer's page table: the page class shown at each wizard position. Compiled into the
// installer itself, which links every page subsystem. A page joins by including its header and
// filling its slot, e.g. `pages[1] = &Make<pages::TDirs>;`. Positions 5 (the end of the wizard)
// and 9 (turned into the end page) never hold a page.
#include <memory>

#include "bootstrap/wizard.h"
#include "dbupgrade/upgrade_page.h"
#include "deploy/copy_pages.h"
#include "pages/dirs.h"
#include "pages/end_screen.h"
#include "pages/find_app.h"
#include "pages/itype.h"
#include "sysconfig/config_page.h"
#include "toolkit/form.h"

namespace kolvar::bootstrap {

namespace {

template <class Page>
std::unique_ptr<toolkit::TMForm> Make() {
  return toolkit::CreateForm<Page>();
}

}  // namespace

PageTable InstallerPages() {
  PageTable pages{};
  pages[0] = &Make<pages::TIType>;
  pages[1] = &Make<pages::TDirs>;
  pages[2] = &Make<deploy::TCopy>;
  pages[3] = &Make<sysconfig::TConfig>;
  pages[4] = &Make<pages::TEndScreen>;
  pages[6] = &Make<pages::TFindApp>;
  pages[7] = &Make<deploy::TUpgCopy>;
  pages[8] = &Make<dbupgrade::TUpgData>;
  return pages;
}

}  // namespace kolvar::bootstrap
