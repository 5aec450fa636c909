// The operations of the General page: status, power, beep, reboot and
// factory reset.

#include "app/operation_waits.h"
#include "app/operations.h"
#include "res/resource_ids.h"

namespace torvane {

using namespace operation_waits;

void Operations::ClickAndWait(Window& window, int id, int limitMs, Then quiet, Fail fail) {
    StartFresh();
    window.Click(id);
    // A command that ended in a message ("Time out!") leaves the reply it
    // waited for outstanding: settled is enough then.
    Begin([this] { return Quiet() || (Settled() && !messages_.empty()); },
          [this, quiet, fail] {
              if (!messages_.empty()) return fail(MessageFailure());
              quiet();
          },
          fail, limitMs, false);
}

SwitcherStatus Operations::StatusNow() const {
    SwitcherStatus status;
    const auto& ui = dlg_.Controls();
    status.power = ui.Checked(res::kPowerOnBox);
    if (status.power) status.beep = ui.Checked(res::kEnableBeepBox);
    // The status chain has just confirmed every connection state.
    auto connected = [this](StateItem what, int n) {
        const bool* on = std::get_if<bool>(&dlg_.State().Value(what, n));
        return on && *on;
    };
    for (int n = 1; n <= 8; ++n) {
        status.inputConnected[n - 1] = connected(StateItem::kInputConnection, n);
        status.outputConnected[n - 1] = connected(StateItem::kOutputConnection, n);
    }
    return status;
}

void Operations::Status(Done<SwitcherStatus> done) {
    Enqueue([this, done] {
        ClickAndWait(
            dlg_, res::kStatusButton, kTimedCommandMs, [this, done] { Succeed(done, StatusNow()); },
            FailWith(done));
    });
}

// "Power On" and "Enable Beep": a click on the box asks for the other state,
// so a box already in the wanted state is left alone, as the operator would.
void Operations::SetCheckBox(int box, bool wanted, int limitMs, Done<SwitchState> done) {
    if (dlg_.Controls().Checked(box) == wanted) return Succeed(done, SwitchState{wanted, true});
    const Fail fail = FailWith(done);
    ClickAndWait(
        dlg_, box, limitMs,
        [this, box, wanted, done, fail] {
            if (dlg_.Controls().Checked(box) != wanted) return fail(TimedOut());
            Succeed(done, SwitchState{wanted, false});
        },
        fail);
}

void Operations::Power(bool on, Done<SwitchState> done) {
    Enqueue([this, on, done] {
        StartFresh();
        if (!on) expectedQuestion_ = "Are you sure you want to power off?";
        SetCheckBox(res::kPowerOnBox, on, on ? kTimedCommandMs : kUntimedCommandMs, done);
    });
}

void Operations::Beep(bool on, Done<SwitchState> done) {
    Enqueue([this, on, done] {
        StartFresh();
        // Without power the beep state was never read: the box shows nothing
        // the switcher said, so neither "already" nor a click would be honest.
        if (!dlg_.Controls().Checked(res::kPowerOnBox))
            return FailWith(done)({Error::Kind::kRefused, "Power off!"});
        SetCheckBox(res::kEnableBeepBox, on, kUntimedCommandMs, done);
    });
}

void Operations::Reboot(Done<void> done) {
    Enqueue([this, done] {
        ClickAndWait(
            dlg_, res::kRebootButton, kTimedCommandMs, [this, done] { Succeed(done); },
            FailWith(done));
    });
}

void Operations::FactoryReset(Done<void> done) {
    Enqueue([this, done] {
        StartFresh();
        expectedQuestion_ = "Do you want to reset to factory settings?";
        ClickAndWait(
            dlg_, res::kFactoryResetButton, kTimedCommandMs, [this, done] { Succeed(done); },
            FailWith(done));
    });
}

}  // namespace torvane
