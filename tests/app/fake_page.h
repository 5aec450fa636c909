#pragma once
// A page that only counts the replies it is handed, for tests of the
// controller's page switching apart from any real page.

#include <cstdint>

#include "pages/edid_dlg.h"
#include "pages/fw_dlg.h"
#include "pages/matrix_dlg.h"
#include "pages/page.h"

namespace torvane::test {

class FakePage : public EmptyPage {
  public:
    // Placed and entered as the real page of `code` is.
    explicit FakePage(PageCode code) : EmptyPage(code, PlacementOf(code), EntryOf(code)) {}
    void OnReply(const std::uint8_t*) override { ++replies; }

    int replies = 0;

  private:
    static Point PlacementOf(PageCode code) {
        if (code == PageCode::kEdid) return CEDIDDlg::kPlacement;
        if (code == PageCode::kMatrix) return CMatrixDlg::kPlacement;
        return CFWDlg::kPlacement;
    }
    static PageEntry EntryOf(PageCode code) {
        if (code == PageCode::kEdid) return CEDIDDlg::EntryOf();
        if (code == PageCode::kMatrix) return CMatrixDlg::EntryOf();
        return CFWDlg::EntryOf();
    }
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
