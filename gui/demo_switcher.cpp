#include "gui/demo_switcher.h"

namespace torvane::gui {

DemoSwitcher::DemoSwitcher(EventLoop& loop)
    : model_(loop), tcp_(loop, model_), pty_(loop, model_) {}

DemoSwitcher::~DemoSwitcher() = default;

bool DemoSwitcher::Start(std::string* error) {
    model_.State().network.ip = {127, 0, 0, 1};
    if (!tcp_.Listen(Address(), 0, error)) return false;
    model_.State().network.controlPort = tcp_.Port();
    return pty_.Open("", error);
}

}  // namespace torvane::gui
