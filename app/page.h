#pragma once
// What the controller needs of a page (Matrix, EDID, Upgrade), and what a page
// may ask of the controller. Pages never write to a link: they fill a shared
// buffer and post a send request.

#include <cstdint>

#include "platform/event_loop.h"
#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "ui/dialog_template.h"

namespace torvane {

class CMessageDlg;
class CStatusDlg;
class Window;

class PageHost {
  public:
    virtual ~PageHost() = default;
    // The busy gate: reports a closed link, refuses while a command is
    // pending, else closes the gate and admits the command.
    virtual bool PassBusyGate() = 0;
    virtual bool BusyGateOpen() const = 0;
    virtual void ReopenBusyGate() = 0;
    // The send request: a code of SendRequest, handled after the current task.
    virtual void PostSendRequest(int code) = 0;
    virtual OutgoingBuffers& Buffers() = 0;
    virtual CMessageDlg& Message() = 0;
    virtual CStatusDlg& Busy() = 0;
    virtual EventLoop& Loop() = 0;
};

class Page {
  public:
    virtual ~Page() = default;
    virtual PageCode Code() const = 0;
    // The page window is created on the page's first visit and lives on.
    virtual void Create() = 0;
    virtual bool Created() const = 0;
    virtual void Show(bool visible) = 0;
    virtual bool Shown() const = 0;
    // Where the page window sits in the main window's client area.
    virtual void Place(Point topLeft) = 0;
    // A reply with a correct checksum that arrived while the page is active.
    virtual void OnReply(const std::uint8_t* frame) = 0;
    // The page's window model, once created (none for a page not built yet).
    virtual Window* PageWindow() { return nullptr; }
};

// The stand-in for a page whose window is not built yet: it is created,
// shown and placed like a page, and does nothing with the replies it gets.
class EmptyPage : public Page {
  public:
    explicit EmptyPage(PageCode code) : code_(code) {}
    PageCode Code() const override { return code_; }
    void Create() override { created_ = true; }
    bool Created() const override { return created_; }
    void Show(bool visible) override { shown_ = visible; }
    bool Shown() const override { return shown_; }
    void Place(Point topLeft) override { place_ = topLeft; }
    Point Placed() const { return place_; }
    void OnReply(const std::uint8_t*) override { ++replies_; }
    int RepliesIgnored() const { return replies_; }

  private:
    PageCode code_;
    bool created_ = false;
    bool shown_ = false;
    Point place_;
    int replies_ = 0;
};

}  // namespace torvane
