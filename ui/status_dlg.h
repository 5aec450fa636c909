#pragma once
// The busy dialog: a short label with a running row of dots while a command
// is carried out, and a check mark with a success label when it is done. It
// does not know which command it waits for: the commands' own timers finish
// and close it.

#include <functional>
#include <string>

#include "platform/window_timers.h"
#include "ui/modal_dialog.h"

namespace torvane {

class CStatusDlg : public ModalDialog {
  public:
    // The controls the dialog's template must have.
    static constexpr int kLabel = 1086;
    static constexpr int kCheckMark = 1087;

    CStatusDlg(EventLoop& loop, const DialogTemplate& dialog);

    // The busy text: the label without its dots, read afresh at every step.
    void SetBusyText(const std::string& text) { text_ = text; }
    const std::string& BusyText() const { return text_; }

    // The busy-dialog flag: set from ShowBusy until CloseBusy, also after the
    // operator has escaped the dialog itself.
    bool Flagged() const { return flag_; }
    // The label as it shows now (empty without a window).
    std::string Label() const;
    bool CheckMarkShown() const;

    // Opens the dialog unless the flag is set; `then` runs when the run ends
    // (at once if nothing opened).
    void ShowBusy(std::function<void()> then = {});
    void ShowBusy(const std::string& text, std::function<void()> then = {});
    // Stops the dots and shows the check mark with the busy text alone.
    void FinishBusy();
    // Clears the flag and ends the run, if one is in progress.
    void CloseBusy();

  protected:
    void OnInitDialog() override;
    void OnKey(int key) override;

  private:
    void OnTimer(int id);
    void ShowLabel(const char* dots);

    WindowTimers timers_;
    std::string text_ = "Setting";
    bool flag_ = false;
};

}  // namespace torvane
