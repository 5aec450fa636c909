#pragma once
// A page that only counts the replies it is handed, for tests of the
// controller's page switching apart from any real page.

#include <cstdint>

#include "pages/page.h"

namespace torvane::test {

class FakePage : public EmptyPage {
  public:
    using EmptyPage::EmptyPage;
    void OnReply(const std::uint8_t*) override { ++replies; }

    int replies = 0;
};

// Installs a fake page for `code` in `dlg` and returns it.
template <typename Dlg>
FakePage& InstallFakePage(Dlg& dlg, PageCode code) {
    auto page = std::make_unique<FakePage>(code);
    FakePage& installed = *page;
    dlg.SetPage(std::move(page));
    return installed;
}

}  // namespace torvane::test
