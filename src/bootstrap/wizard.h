// The wizard driver: the page table and the page loop.
#pragma once

#include <array>
#include <memory>

namespace kolvar::toolkit {
class TMForm;
}

namespace kolvar::bootstrap {

// Makes a fresh window of one page (constructed, scaled, FormCreate run), ready to be placed
// and shown modally.
using PageFactory = std::unique_ptr<toolkit::TMForm> (*)();

// One entry per wizard position 0..9; positions 5 and 9 (and pages not built yet) hold nullptr.
using PageTable = std::array<PageFactory, 10>;

// The installer's own table: every position mapped to its page class. Defined beside the
// program entry, where every page subsystem is linked in.
PageTable InstallerPages();

}  // namespace kolvar::bootstrap
