#include "app/switcher_state.h"

#include <algorithm>
#include <string>

#include "ui/text_codec.h"

namespace torvane {
namespace {

constexpr std::uint8_t kEdidGroup = op::kEdidPreset.group;
constexpr unsigned kAllTextParts = 0xF;

bool IsPort(int n) { return n >= 1 && n <= SwitcherState::kPorts; }
bool IsOnOff(std::uint8_t state) { return state == kStateOn || state == kStateOff; }

}  // namespace

bool SwitcherState::HasIndex(StateItem what) {
    switch (what) {
        case StateItem::kInputConnection:
        case StateItem::kOutputConnection:
        case StateItem::kRoute:
        case StateItem::kArc:
        case StateItem::kEdid:
            return true;
        default:
            return false;
    }
}

std::size_t SwitcherState::Slot(StateItem what, int index) {
    const auto item = static_cast<std::size_t>(what);
    // The five items per port come first, the single ones after them.
    if (HasIndex(what)) return (item - 2) * kPorts + static_cast<std::size_t>(index - 1);
    return item < 2 ? 5 * kPorts + item : 5 * kPorts + item - 5;
}

const StateValue& SwitcherState::Value(StateItem what, int index) const {
    static const StateValue unknown;
    if (HasIndex(what) && !IsPort(index)) return unknown;
    return values_[Slot(what, index)];
}

int SwitcherState::AddListener(Listener listener) {
    listeners_[nextListener_] = std::move(listener);
    return nextListener_++;
}

void SwitcherState::RemoveListener(int id) { listeners_.erase(id); }

void SwitcherState::Forget() {
    values_.fill(StateValue{});
    ownChangeExpected_.fill(false);
    textPartsRead_ = 0;
}

void SwitcherState::Set(StateItem what, int index, StateValue value, ChangeCause cause) {
    StateValue& slot = values_[Slot(what, index)];
    if (slot == value) return;
    StateChange change{what, index, slot, value, cause};
    slot = std::move(value);
    // A listener may remove itself or another one.
    auto listeners = listeners_;
    for (auto& [id, listener] : listeners)
        if (listeners_.count(id)) listener(change);
}

void SwitcherState::Read(StateItem what, int index, StateValue value) {
    bool& expected = ownChangeExpected_[Slot(what, index)];
    const ChangeCause cause = expected ? ChangeCause::kThisProgram : ChangeCause::kElsewhere;
    // Only the first reading after the program's command is its result.
    expected = false;
    Set(what, index, std::move(value), cause);
}

void SwitcherState::ExpectOwnChange(StateItem what, int index) {
    if (!HasIndex(what)) {
        ownChangeExpected_[Slot(what, 0)] = true;
        return;
    }
    for (int n = 1; n <= kPorts; ++n)
        if (index == 0 || index == n) ownChangeExpected_[Slot(what, n)] = true;
}

void SwitcherState::OnReply(const ReplyView& r, const ReplyView& sent) {
    const bool acknowledged = r.First() == kAcknowledged;
    if (r.Is(op::kPowerState) && IsOnOff(r.First()))
        return Read(StateItem::kPower, 0, r.First() == kStateOn);
    if (r.Is(op::kPowerSet) && acknowledged && IsOnOff(r.Third()))
        return Set(StateItem::kPower, 0, r.Third() == kStateOn, ChangeCause::kThisProgram);
    if (r.Is(op::kBeepState) && acknowledged) return Read(StateItem::kBeep, 0, r.Third() == 0x00);
    if (r.Is(op::kBeepSet) && acknowledged && r.Mark() == kAcknowledged)
        return Set(StateItem::kBeep, 0, r.Third() == kBeepOnMark, ChangeCause::kThisProgram);
    if ((r.Is(op::kInputState) || r.Is(op::kOutputState)) && IsPort(r.First())) {
        const StateItem what =
            r.Is(op::kInputState) ? StateItem::kInputConnection : StateItem::kOutputConnection;
        return Read(what, r.First(), r.Third() == kConnected);
    }
    // An acknowledgement is told from a status answer as the Matrix page
    // tells them: by its answer byte and its mark, whatever its command.
    if (r.Group() == op::kArcSet.group && acknowledged && IsOnOff(r.Mark())) {
        if (IsPort(r.Third()))
            Set(StateItem::kArc, r.Third(), r.Mark() == kStateOn, ChangeCause::kThisProgram);
        return;
    }
    if (r.Is(op::kArcStatus) && IsPort(r.Third()) && IsOnOff(r.First()))
        return Read(StateItem::kArc, r.Third(), r.First() == kStateOn);
    if (r.Is(op::kRoute) && acknowledged) {
        if (sent.Is(op::kRoute) && IsPort(sent.First()) && IsPort(sent.Third()))
            Set(StateItem::kRoute, sent.Third(), int{sent.First()}, ChangeCause::kThisProgram);
        return;
    }
    if (r.Is(op::kMatrixStatus) && IsPort(r.First()) && IsPort(r.Third()))
        return Read(StateItem::kRoute, r.First(), int{r.Third()});
    if (r.Is(op::kEdidState) && IsPort(r.First()))
        return Read(StateItem::kEdid, r.First(), int{r.Third()});
    if (r.Group() == kEdidGroup && acknowledged && r.Second() == 0x00 &&
        sent.Group() == kEdidGroup && sent.Command() == r.Command() && r.Third() == sent.Third() &&
        r.Fourth() == sent.Fourth())
        return OnEdidAcknowledged(sent);
    if (r.Is(op::kFactoryReset) && acknowledged) {
        // Whatever the reset changed is found by the next reading.
        for (StateItem what : {StateItem::kBeep, StateItem::kPower, StateItem::kRoute,
                               StateItem::kArc, StateItem::kEdid, StateItem::kDeviceText})
            ExpectOwnChange(what, 0);
        return;
    }
    if (r.IsCommandFrame() && r.Group() == op::kDeviceTextGroup) return OnDeviceTextPart(r);
    if (r.Is(op::kDeviceType) && r.Mark() == kDeviceQueryMark)
        return Read(StateItem::kDeviceType, 0, int{r.First()});
    if (r.Is(op::kFirmwareVersion) && r.Mark() == kDeviceQueryMark)
        return Read(StateItem::kVersion, 0,
                    std::to_string(r.First()) + "." + std::to_string(r.Third()));
}

// The acknowledgement carries no code: the next reading of the inputs set
// finds it, and it is this program's change.
void SwitcherState::OnEdidAcknowledged(const ReplyView& sent) {
    const bool oneInput = sent.Is(op::kEdidPreset) || sent.Is(op::kEdidCopy);
    ExpectOwnChange(StateItem::kEdid, oneInput && IsPort(sent.Third()) ? sent.Third() : 0);
}

void SwitcherState::OnDeviceTextPart(const ReplyView& r) {
    const std::uint8_t command = r.Command();
    if (command == op::kLastTextWrite && r.First() == kAcknowledged)
        return ExpectOwnChange(StateItem::kDeviceText, 0);
    if (command < op::kFirstTextRead || command > op::kLastTextRead) return;
    const unsigned part = command - op::kFirstTextRead;
    // A reading starts with its first part; parts of an earlier one do not mix in.
    if (part == 0) textPartsRead_ = 0;
    std::copy_n(r.Payload(), 8, textParts_.begin() + part * 8);
    textPartsRead_ |= 1u << part;
    if (textPartsRead_ != kAllTextParts) return;
    textPartsRead_ = 0;
    Read(StateItem::kDeviceText, 0, Latin1ToUtf8(textParts_.data(), textParts_.size()));
}

}  // namespace torvane
