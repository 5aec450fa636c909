// Supervision of the link the operator opened: reopening it when it is lost,
// the program's own readings of the switcher's state and the keep-alive,
// and showing on the pages what those readings find.

#include "app/torvane_dlg.h"
#include "res/resource_ids.h"

namespace torvane {
namespace {

// A reading waits until the operator's traffic has been quiet this long, so
// it never slips between a reply and the query a page sends next.
constexpr TimeMs kQuietMs = 300;
// A unit of the operator's that was never answered stops holding a reading
// back after this long.
constexpr TimeMs kUnansweredMs = 1000;

}  // namespace

void CTorvaneDlg::Reopen() { connection_.Reopen(); }

void CTorvaneDlg::CloseQuietly() {
    StopReading();
    connection_.CloseNotAnswering();
    EndCommandsWithTheLink();
}

void CTorvaneDlg::ReadState(bool whole) { reading_.Start(whole); }

bool CTorvaneDlg::SendKeepAlive() {
    if (!ReadingMayStart()) return false;
    reading_.KeepAlive();
    return true;
}

bool CTorvaneDlg::ReadingMayStart() const {
    const bool linkOpen = connection_.LinkOpen();
    const TimeMs quiet = loop_.Now() - lastForegroundAt_;
    const bool answered = !dispatcher_.AwaitingReply() || quiet >= kUnansweredMs;
    return linkOpen && busyGate_ && answered && quiet >= kQuietMs && held_.empty() &&
           !message_.Showing() && !busy_.Flagged() && !general_.Commands().AnyWaiting() &&
           !PageEntryPending();
}

void CTorvaneDlg::SendForReading(const CommandFrame& query) {
    CommandFrame unit = query;
    sendingForReading_ = true;
    SendFrame(unit.data(), unit.size());
    sendingForReading_ = false;
}

void CTorvaneDlg::OnReadingAnswer(const std::uint8_t* frame, const CommandFrame& answered) {
    const ReplyView reply(frame);
    showingFound_ = true;
    state_.OnReply(reply, ReplyView(answered.data()));
    showingFound_ = false;
    reading_.OnAnswer(reply);
    // The operator's input held meanwhile goes first; the reading's next
    // query waits until the link is quiet again.
    if (!reading_.InFlight()) ReleaseHeldInput();
}

void CTorvaneDlg::OnReadingFinished(bool whole) {
    if (!whole) return;
    supervisor_.StateRead();
    ShowKnownState();
    // The Upgrade page's device line holds more than the readings keep (the
    // switcher's size): it asks again, as when the operator enters it,
    // unless the operator is acting already.
    const PageCode shown = ActivePage();
    if (shown == PageCode::kGeneral || PageFor(shown).ShownByReadings()) return;
    if (held_.empty() && busyGate_ && !message_.Showing() && !busy_.Flagged()) EnterPage(shown);
}

void CTorvaneDlg::StopReading() {
    reading_.Stop();
    ReleaseHeldInput();
}

void CTorvaneDlg::ReleaseHeldInput() {
    std::vector<std::function<void()>> held;
    held.swap(held_);
    for (auto& input : held) input();
}

void CTorvaneDlg::ShowFound(StateItem what, int index, const StateValue& value) {
    if (general_.ShowFound(what, index, value)) return;
    const bool* on = std::get_if<bool>(&value);
    const int* number = std::get_if<int>(&value);
    for (auto& page : pages_) {
        if (!page->PageCreated()) continue;
        if (what == StateItem::kRoute && number) page->ShowRoute(index, *number);
        if (what == StateItem::kArc && on) page->ShowArc(index, *on);
        if (what == StateItem::kEdid && number) page->ShowEdidCode(index, *number);
    }
}

// After a reconnect the pages show what the switcher holds now, whether or
// not it changed while the link was down.
void CTorvaneDlg::ShowKnownState() {
    for (StateItem what : {StateItem::kPower, StateItem::kBeep})
        ShowFound(what, 0, state_.Value(what));
    for (int n = 1; n <= SwitcherState::kPorts; ++n)
        for (StateItem what : {StateItem::kInputConnection, StateItem::kOutputConnection,
                               StateItem::kRoute, StateItem::kArc, StateItem::kEdid})
            ShowFound(what, n, state_.Value(what, n));
}

}  // namespace torvane
