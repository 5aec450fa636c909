#pragma once
// The General page: the device status (the connection state of every input
// and output, power, beep) and the system commands (factory reset, reboot,
// power on and off, beep), with the page's reply parser and the timers of
// its commands. Its controls are the main window's own; the main window
// shows them, routes their clicks and the page's replies here, and lends
// the page its busy gate and its path to the link.

#include <functional>

#include "app/connection_labels.h"
#include "app/switcher_state.h"
#include "pages/command_owner.h"
#include "pages/page.h"
#include "platform/window_timers.h"
#include "protocol/commands.h"
#include "ui/control_table.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {

class GeneralPage {
  public:
    // What the page asks of the main window it lives in.
    struct Hooks {
        // The busy gate: false (with the window's message) when no command may start.
        std::function<bool()> passBusyGate;
        // Reopens the gate, as a command's end does.
        std::function<void()> openBusyGate;
        // Sends a unit through the shared command frame now.
        std::function<void(const CommandFrame& unit)> send;
        // The page entry's query was answered: its time-out stops.
        std::function<void()> entryAnswered;
        // "Time out!", the gate reopened when the operator closes it.
        std::function<void()> reportTimeOut;
    };

    GeneralPage(ControlTable& table, WindowTimers& timers, CMessageDlg& message, CStatusDlg& busy,
                Hooks hooks);

    // How the page is entered: its query guarded by the page entry's time-out.
    static PageEntry Entry();
    // Shows or hides the page's controls.
    void Show(bool shown);

    // A click on one of the page's controls; false for any other control.
    bool OnCommand(int id);
    void OnReply(const std::uint8_t* frame);
    // A timer of the page's commands expired; false for any other timer.
    bool OnTimer(int id);

    // The query a newly opened link starts with: the power state, then the
    // beep state if the switcher is on. No gate: the reply sets "Power On".
    void SendPowerStateQuery();
    // Every connection label empty, as before the first status reading.
    void ClearLabels() { labels_.Clear(); }
    // What the page showed came from a link that is gone.
    void ClearLinkState();
    // What a reading found the switcher to hold; false for an item the
    // page does not show.
    bool ShowFound(StateItem what, int index, const StateValue& value);
    void ShowPortNames(const ConnectionLabels::PortNames& inputs,
                       const ConnectionLabels::PortNames& outputs) {
        labels_.ShowNames(inputs, outputs);
    }

    // The page's commands that wait for an answer, and how they ended.
    const CommandOwner& Commands() const { return commands_; }
    CommandOwner& Commands() { return commands_; }

  private:
    void StartCommand(int timer, const CommandFrame& unit);
    void StartTimedCommand(const CommandFrame& frame, int timer, const char* busyText);
    void OnStatus();
    void OnFactoryReset();
    void OnPowerBox();
    void OnBeepBox();
    void OnPowerState(std::uint8_t state);
    void OnStatusReply(const ReplyView& reply);
    void OnArcReply(const ReplyView& reply);
    void OnBeepCommandReply(const ReplyView& reply);
    void OnPowerCommandReply(const ReplyView& reply);
    // The success sequences of reset, reboot and power on.
    void Finish(const char* text, int closeTimer, int closeMs);

    ControlTable& table_;
    WindowTimers& timers_;
    CMessageDlg& message_;
    CStatusDlg& busy_;
    Hooks hooks_;
    CommandOwner commands_;
    ConnectionLabels labels_;
};

}  // namespace torvane
