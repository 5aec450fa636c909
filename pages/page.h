#pragma once
// What the controller needs of a page (Matrix, EDID, Upgrade), and what a page
// may ask of the controller. Pages never write to a link: they fill a shared
// buffer and post a send request.

#include <array>
#include <cstdint>
#include <string>

#include "pages/command_owner.h"
#include "platform/event_loop.h"
#include "protocol/commands.h"
#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "ui/dialog_template.h"
#include "ui/window.h"

namespace torvane {

class CMessageDlg;
class CStatusDlg;

class PageHost {
  public:
    virtual ~PageHost() = default;
    // The busy gate: reports a closed link, refuses while a command is
    // pending, else closes the gate and admits the command.
    virtual bool PassBusyGate() = 0;
    virtual bool BusyGateOpen() const = 0;
    virtual void ReopenBusyGate() = 0;
    // The send request, handled after the current task.
    virtual void PostSendRequest(SendRequest request) = 0;
    virtual OutgoingBuffers& Buffers() = 0;
    virtual CMessageDlg& Message() = 0;
    virtual CStatusDlg& Busy() = 0;
    virtual EventLoop& Loop() = 0;
    // False in TCP control mode, whose link never delivers the switcher's
    // firmware block acknowledgements.
    virtual bool ComControlMode() const { return true; }
};

// How a page's command owner sends a unit: into the shared command frame,
// with the page's own send request.
inline CommandOwner::Send SendThrough(PageHost& host, SendRequest request) {
    return [&host, request](const CommandFrame& unit) {
        host.Buffers().Write(unit);
        host.PostSendRequest(request);
    };
}

// How a page is entered: the query that refreshes it and whether the page
// entry's time-out guards it (the gate then stays closed until the page's
// queries end) or the gate reopens as soon as the query is sent.
struct PageEntry {
    CommandFrame query;
    bool guarded;
};

class Page {
  public:
    virtual ~Page() = default;
    virtual PageCode Code() const = 0;
    // The page's window model. The controller shows, hides and places it
    // (its WindowVisible() and WindowPosition() are what front-ends draw).
    virtual Window& PageWindow() = 0;
    // Creates the page window from its template; the controller calls it on
    // the page's first visit, and the window lives on after that.
    virtual void CreatePage() = 0;
    bool PageCreated() { return PageWindow().IsOpen(); }
    // A reply with a correct checksum that arrived while the page is active.
    virtual void OnReply(const std::uint8_t* frame) = 0;
    // Where the page sits in the main window, and how it is entered.
    virtual Point Placement() const = 0;
    virtual PageEntry Entry() const = 0;
    // The operator's names of the switcher's inputs and outputs ("" for
    // none), for a page that shows them.
    using PortNames = std::array<std::string, 8>;
    virtual void ShowPortNames(const PortNames& /*inputs*/, const PortNames& /*outputs*/) {}
    // What the program's own reading found the switcher to hold, shown as the
    // page shows a confirmed reply of its own; pages that show none ignore it.
    virtual void ShowRoute(int /*output*/, int /*input*/) {}
    virtual void ShowArc(int /*output*/, bool /*on*/) {}
    virtual void ShowEdidCode(int /*input*/, int /*code*/) {}
    // Whether those readings keep all the page shows current; a page they do
    // not is entered again, when shown, after the link comes back.
    virtual bool ShownByReadings() const { return false; }
    // The link went away by itself: the page's waiting commands end as lost
    // for whoever learns outcomes, while the page goes on to its own
    // time-outs as it always has.
    virtual void OnLinkLost() {}
    // The link went away and is being reopened: every command of the page
    // that waits ends as lost with it, and nothing of it is sent again.
    virtual void EndCommandsWithTheLink() {}
};

// The stand-in for a page whose window is not built yet: it is created,
// shown and placed like a page, and does nothing with the replies it gets.
class EmptyPage : public Window, public Page {
  public:
    EmptyPage(PageCode code, Point placement, PageEntry entry)
        : Window(DialogTemplate{}, KeyFilter::kNone),
          code_(code),
          placement_(placement),
          entry_(entry) {}
    PageCode Code() const override { return code_; }
    Window& PageWindow() override { return *this; }
    void CreatePage() override { Create(); }
    void OnReply(const std::uint8_t*) override {}
    Point Placement() const override { return placement_; }
    PageEntry Entry() const override { return entry_; }

  private:
    PageCode code_;
    Point placement_;
    PageEntry entry_;
};

}  // namespace torvane
