#pragma once
// What a reply can change, written out so that two moments compare as text:
// the busy gate, the running timers of the page and of the main window, the
// busy dialog, and every control's text, mark and picture.

#include <sstream>
#include <string>

#include "app/torvane_dlg.h"

namespace torvane::test {

inline std::string PageSnapshot(CTorvaneDlg& dlg, const Window& page, const WindowTimers& timers) {
    std::ostringstream out;
    out << "gate " << (dlg.BusyGateOpen() ? "open" : "closed") << "\npage timers:";
    // Every id the pages and the main window use lies below 8000.
    for (int id = 0; id < 8000; ++id)
        if (timers.IsRunning(id)) out << ' ' << id;
    out << "\nmain timers:";
    for (int id = 0; id < 8000; ++id)
        if (dlg.Timers().IsRunning(id)) out << ' ' << id;
    out << "\nbusy: " << (dlg.Busy().Flagged() ? dlg.Busy().BusyText() : "-")
        << (dlg.Busy().CheckMarkShown() ? " done" : "") << '\n';
    for (const Control& c : page.Controls().All())
        out << c.id << ' ' << c.text << (c.checked ? " [x]" : "") << " image " << c.image << '\n';
    return out.str();
}

}  // namespace torvane::test
