// What the main window does when its link closes, fails or changes: the
// commands waiting on it end, and what it showed from the link goes.

#include "app/main_timers.h"
#include "app/torvane_dlg.h"

namespace torvane {

// While the link is reopened by itself, the status line tells the operator;
// a command tried meanwhile still names the failure.
void CTorvaneDlg::ReportLostLink(const char* text) {
    general_.Commands().MarkLinkLost();
    for (auto& page : pages_) page->OnLinkLost();
    if (supervisor_.Settings().reconnect)
        EndCommandsWithTheLink();
    else
        message_.ShowMessage(text);
    supervisor_.Lost(text);
}

// Commands are never sent again on a reopened link: whatever waited ends as
// lost, and the operator may start afresh.
void CTorvaneDlg::EndCommandsWithTheLink() {
    general_.Commands().LinkLost();
    for (auto& page : pages_) page->EndCommandsWithTheLink();
    entries_.Drop(main_timer::kPageEntryTimeout);
    busy_.CloseBusy();
    busyGate_ = true;
}

// What the General page showed came from the link that is gone.
void CTorvaneDlg::ClearLinkState() {
    general_.ClearLinkState();
    LinkChanged();
}

void CTorvaneDlg::LinkChanged() {
    if (onLinkChanged_) onLinkChanged_();
}

}  // namespace torvane
