#pragma once
// The whole window (every page installed, as the program runs it) on virtual
// time against the in-process switcher, with every change of the
// switcher's state the window announces written down.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/torvane_app.h"
#include "links/listed_port_source.h"
#include "platform/virtual_loop.h"
#include "res/resource_ids.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

namespace torvane::test {

// The matrix page's button of `input` (1 to 8) in `output`'s row (1 to 8).
inline int InputButton(int output, int input) {
    return res::kMatrixOutputs[output - 1].inputs[input - 1];
}

class LiveDesk : public ::testing::Test {
  protected:
    static constexpr int kReplyMs = 50;

    void SetUp() override {
        links.AddSwitcher(model);
        auto source = std::make_unique<ListedPortSource>(
            std::vector<ListedPort>{{sim::kDefaultSerialPath, "Simulated switcher", "", ""}});
        app = std::make_unique<CTorvaneApp>(
            loop, links,
            std::make_unique<PortListRefresher>(std::move(source),
                                                std::make_unique<DevicePathNaming>()));
        dlg = &app->InitInstance(nullptr);
        loop.RunPending();
        dlg->State().AddListener([this](const StateChange& c) { changes.push_back(c); });
    }

    void ConnectCom() {
        dlg->Click(res::kComConnectButton);
        loop.Advance(kReplyMs);
    }
    void ConnectTcp() {
        dlg->AddSwitcherAddress("127.0.0.1");
        dlg->Click(res::kTcpModeRadio);
        dlg->Click(res::kTcpConnectButton);
        loop.Advance(kReplyMs);
    }
    // Clicks a page label and lets the page's entry queries run.
    void Enter(int label) {
        const Rect r = dlg->Controls().At(label).rect;
        dlg->PressAt({r.x + r.width / 2, r.y + r.height / 2});
        loop.Advance(1500);
    }
    void CloseMessage() {
        if (dlg->Message().Showing()) dlg->Message().Click(CMessageDlg::kOkButton);
        loop.Advance(kReplyMs);
    }
    std::vector<StateChange> TakeChanges() {
        std::vector<StateChange> taken;
        taken.swap(changes);
        return taken;
    }
    const StateValue& Known(StateItem what, int index = 0) const {
        return dlg->State().Value(what, index);
    }

    VirtualLoop loop;
    sim::SwitcherModel model{loop};
    sim::SimLinkFactory links{loop};
    std::unique_ptr<CTorvaneApp> app;
    CTorvaneDlg* dlg = nullptr;
    std::vector<StateChange> changes;
};

}  // namespace torvane::test
