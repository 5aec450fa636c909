#pragma once
// A headless operator at the Torvane window: the main window model on a real
// poll() loop with the POSIX links. It opens the link as the operator would,
// closes every message the window shows (answering "Ok" to the power-off
// question) and remembers what the messages said.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "app/torvane_app.h"
#include "cli/options.h"
#include "links/posix_link_factory.h"
#include "platform/poll_loop.h"

namespace torvane::cli {

struct Outcome {
    int code = kExitDone;
    std::string error;
    bool Ok() const { return code == kExitDone; }
};

class Session : private WindowObserver {
  public:
    Session(const Options& options, std::ostream& trace);
    ~Session() override;

    CTorvaneDlg& Dlg() { return *dlg_; }
    CTorvaneApp& App() { return app_; }

    // Opens the link and waits for the switcher's answers to the queries that
    // follow (power state, then beep state), each its own reply time.
    Outcome OpenLink();
    // Messages the window showed while the link opened ("Power off!"): not
    // failures of the command, but worth the user's knowing.
    const std::vector<std::string>& ConnectMessages() const { return connectMessages_; }

    // Runs a chain of queries until `done`, giving each answer `answerMs`;
    // false when one of them went unanswered.
    bool WaitForChain(const std::function<bool()>& done, int answerMs);

    // Runs the loop until `done()` holds, `maxMs` have passed or the link
    // is lost; returns done().
    bool RunUntil(const std::function<bool()>& done, int maxMs);
    // The link opened by OpenLink has failed or been closed by the far end:
    // whatever the command waited for, it ends with LinkLostOutcome().
    bool LinkLost() const;
    Outcome LinkLostOutcome() const;
    // Gate open, no busy dialog, no message showing.
    bool Settled() const;
    // Settled, and no reply awaited.
    bool Quiet() const;
    // Clicks `id` and waits until the window is quiet again (or `maxMs`).
    // A message shown meanwhile is the failure it reports.
    Outcome ClickAndWait(int id, int maxMs);
    // The same for a control of another window (a page).
    Outcome ClickAndWait(Window& window, int id, int maxMs);
    // Clicks a page label of the main window and waits for the page's entry
    // queries to end, as ClickAndWait does.
    Outcome EnterPage(int labelId, int maxMs);

    // Messages shown (and closed) since the last call.
    std::vector<std::string> TakeMessages();

    // The one question the command asked for, answered "Ok" when the window
    // asks exactly that. Any other question is closed unanswered and ends the
    // command like a message does.
    void AnswerYesTo(std::string question) { expectedQuestion_ = std::move(question); }

  private:
    void OnOpened(Window& window) override;
    // Runs the operator's action and waits until the window is quiet again.
    Outcome Act(const std::function<void()>& action, int maxMs);
    Outcome OpenSerial();
    Outcome OpenTcp();

    const Options& options_;
    PollLoop loop_;
    PosixLinkFactory links_;
    CTorvaneApp app_;
    CTorvaneDlg* dlg_ = nullptr;
    std::vector<std::string> messages_;
    std::vector<std::string> connectMessages_;
    std::string expectedQuestion_;
    bool linkOpened_ = false;
};

}  // namespace torvane::cli
