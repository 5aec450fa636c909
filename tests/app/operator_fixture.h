#pragma once
// The operator's desk: the main window on virtual time, wired to an
// in-process simulated switcher on its serial port and TCP port.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/torvane_dlg.h"
#include "links/listed_port_source.h"
#include "platform/virtual_loop.h"
#include "res/resource_ids.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"
#include "support/bytes.h"

namespace torvane::test {

class OperatorTest : public ::testing::Test {
  protected:
    static constexpr int kReplyMs = 50;  // comfortably past the switcher's reply delay

    void SetUp() override {
        links.AddSwitcher(model);
        MakeWindow(std::make_unique<DevicePathNaming>(),
                   {{sim::kDefaultSerialPath, "Simulated switcher", "", ""}});
    }

    void MakeWindow(std::unique_ptr<PortNaming> naming, std::vector<ListedPort> ports) {
        dlg.reset();
        auto source = std::make_unique<ListedPortSource>(std::move(ports));
        dlg = std::make_unique<CTorvaneDlg>(
            loop, links, std::make_unique<PortListRefresher>(std::move(source), std::move(naming)));
        dlg->InitDialog();
        loop.RunPending();
    }

    // Builds a page of the window and installs it; the window owns it.
    template <typename PageWindow>
    PageWindow* InstallPage() {
        auto page = std::make_unique<PageWindow>(*dlg);
        PageWindow* installed = page.get();
        dlg->SetPage(std::move(page));
        return installed;
    }

    const ControlTable& Ui() const { return dlg->Controls(); }
    std::string Text(int id) const { return Ui().Text(id); }
    bool Checked(int id) const { return Ui().Checked(id); }

    void Settle() { loop.Advance(kReplyMs); }
    void ConnectCom() {
        dlg->Click(res::kComConnectButton);
        Settle();
    }
    void ConnectTcp(std::uint16_t port = sim::kDefaultTcpPort) {
        dlg->AddSwitcherAddress("127.0.0.1");
        dlg->SetControlPort(port);
        dlg->Click(res::kTcpModeRadio);
        dlg->Click(res::kTcpConnectButton);
        Settle();
    }
    // Clicks in the middle of a page label.
    void ClickLabel(int id) {
        const Rect r = Ui().At(id).rect;
        dlg->PressAt({r.x + r.width / 2, r.y + r.height / 2});
    }

    // Units the switcher received since the last call, as hex.
    std::vector<std::string> Wire() {
        std::vector<std::string> units;
        for (const auto& u : model.ReceivedUnits()) units.push_back(ToHex(u));
        model.ClearHistory();
        return units;
    }

    // The switcher speaks unasked: a command frame from its bytes 2 onwards.
    void DeviceSays(const std::string& body) {
        auto bytes = Hex("A5 5B " + body);
        bytes.resize(13, 0);
        model.SendUnsolicited(bytes);
        loop.RunPending();
    }

    // The message showing, or "" when none.
    std::string Message() const {
        return dlg->Message().Showing() ? dlg->Message().MessageText() : "";
    }
    void PressOk() { dlg->Message().Click(CMessageDlg::kOkButton); }
    std::string BusyLabel() const { return dlg->Busy().Label(); }

    VirtualLoop loop;
    sim::SwitcherModel model{loop};
    sim::SimLinkFactory links{loop};
    std::unique_ptr<CTorvaneDlg> dlg;
};

// A command frame with the checksum filled in, from its bytes 2 onwards.
inline std::string Frame(const std::string& body) {
    auto bytes = Hex("A5 5B " + body);
    bytes.resize(13, 0);
    CompleteUnit(bytes.data(), bytes.size());
    return ToHex(bytes);
}

}  // namespace torvane::test
