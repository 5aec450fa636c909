#include "gui/profile_dialogs.h"

namespace torvane::gui {

void OfferProfileDialogs(FrontEnd& front, CTorvaneApp& app) {
    if (CNamesDlg* names = app.NamesDialog())
        front.AddMenuDialog(CNamesDlg::ItemText(), *names, [names] { names->Open(); });
    if (CPresetsDlg* presets = app.PresetsDialog())
        front.AddMenuDialog(CPresetsDlg::ItemText(), *presets, [presets] { presets->Open(); });
}

}  // namespace torvane::gui
