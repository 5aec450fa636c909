#pragma once
// The message dialog: the program's one way of telling the operator about a
// failure, and of asking the two questions that need an answer. At most one
// shows at a time. Callers store the text, then show the dialog and pass what
// to do once it has closed.

#include <functional>
#include <string>

#include "ui/modal_dialog.h"

namespace torvane {

class CMessageDlg : public ModalDialog {
  public:
    // The controls the dialog's template must have.
    static constexpr int kCloseButton = 1057;
    static constexpr int kOkButton = 1058;
    static constexpr int kCancelButton = 1099;
    static constexpr int kPicture = 1100;
    static constexpr int kNoLongerRemindBox = 1101;

    explicit CMessageDlg(const DialogTemplate& dialog);

    // The message text, drawn whenever the dialog paints. Replacing it while a
    // dialog shows changes what that dialog says.
    void SetMessageText(const std::string& text);
    const std::string& MessageText() const { return text_; }

    // The message-dialog flag: a message is showing.
    bool Showing() const { return Running(); }
    // The state of the "No longer remind" box, kept for the program's run.
    bool NoLongerRemind() const { return noLongerRemind_; }

    // Shows the stored text. `then` runs when the operator has closed the
    // dialog; if a message is already showing, nothing new opens and `then`
    // runs at once.
    void ShowMessage(std::function<void()> then = {});
    // The same with the text stored first.
    void ShowMessage(const std::string& text, std::function<void()> then = {});

    // A question: `then` gets 1 for "Ok", 2 for close or "Cancel". With
    // `offerCancel` the dialog runs in confirmation mode ("Ok" left, "Cancel"
    // right). If a message is already showing the question cannot be asked:
    // `then` gets 2 at once, so the caller's "no" path (which reopens what it
    // closed) still runs.
    void Ask(const std::string& question, bool offerCancel, Then then);

    // How the painter lays a text out: the link failure and the two
    // questions have places of their own (the questions move the picture
    // aside to make room); any other text gets the widest box the dialog
    // allows.
    enum class Layout { kConnectFailed, kQuestion, kOther };
    static Layout LayoutOf(const std::string& text);
    Layout TextLayout() const { return LayoutOf(text_); }

  protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnLeftButtonDown(Point point) override;

  private:
    std::string text_;
    bool confirmation_ = false;
    bool noLongerRemind_ = false;
};

}  // namespace torvane
