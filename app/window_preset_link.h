#pragma once
// The Presets dialog's way to the switcher in the window: the operation API,
// made for a save or an application and let go when it ends, so the
// window's messages reach the operator as usual the rest of the time (the
// API closes the messages the window shows while it works and reports them
// as the failures they are).

#include <memory>

#include "app/presets_dlg.h"
#include "platform/event_loop.h"

namespace torvane {

class CTorvaneApp;
class Operations;
class OperationRouting;

class WindowPresetLink : public PresetLink {
  public:
    WindowPresetLink(CTorvaneApp& app, EventLoop& loop);
    ~WindowPresetLink() override;

    void ReadRouting(Read done) override;
    RoutingCommands& Commands() override;
    void Release() override;
    // Lets go of the operation API at once (the window is about to go).
    void LetGo();

  private:
    CTorvaneApp& app_;
    EventLoop& loop_;
    std::unique_ptr<Operations> ops_;
    std::unique_ptr<OperationRouting> routing_;
    unsigned use_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane
