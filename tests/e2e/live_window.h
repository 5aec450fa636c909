#pragma once
// The Torvane window as the program runs it: the main window on a real poll()
// loop with the POSIX links, against torvane-sim started as a process. The
// operator's messages are recorded and closed, every unit sent is recorded,
// and the serial port is reached through a fixed link name, so a line the
// simulator cuts and replaces can be connected again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/torvane_app.h"
#include "links/posix_link_factory.h"
#include "platform/poll_loop.h"
#include "res/resource_ids.h"
#include "support/bytes.h"
#include "support/sim_process.h"

namespace torvane::test {

class LiveWindow : public ::testing::Test, private WindowObserver {
  protected:
    static constexpr int kWaitMs = 5000;

    ~LiveWindow() override {
        if (dlg_) dlg_->Message().RemoveObserver(this);
        app_.reset();
        ::unlink(linkPath_.c_str());
    }

    // Starts the simulator with `extra` options and opens the window.
    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--port", "0", "--no-udp", "--link", linkPath_};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim_.Start(args)) << sim_.Output();
        links_.AddExtraPort({linkPath_, "Simulated switcher", "", ""});
        app_ = std::make_unique<CTorvaneApp>(loop_, links_);
        dlg_ = &app_->InitInstance(nullptr);
        dlg_->Message().AddObserver(this);
        dlg_->SetTrace([this](char direction, const std::uint8_t* bytes, std::size_t count) {
            if (direction == '>') sent_.push_back(ToHex(bytes, count));
        });
        const auto& items = dlg_->Controls().Items(res::kPortList);
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == linkPath_) dlg_->Select(res::kPortList, static_cast<int>(i));
        ASSERT_EQ(dlg_->Controls().Text(res::kPortList), linkPath_);
    }

    bool RunUntil(const std::function<bool()>& done, int maxMs = kWaitMs) {
        const TimeMs deadline = loop_.Now() + maxMs;
        while (!done() && loop_.Now() < deadline) loop_.RunFor(5);
        return done();
    }
    bool Settled() const {
        return dlg_->BusyGateOpen() && !dlg_->Busy().Flagged() && !dlg_->Message().Showing();
    }
    bool Quiet() const { return Settled() && !dlg_->AwaitingReply(); }

    // Connects and waits for the power and beep answers.
    void ConnectCom() {
        dlg_->Click(res::kComConnectButton);
        ASSERT_TRUE(dlg_->SerialOpen()) << dlg_->LastLinkError();
        ASSERT_TRUE(RunUntil([this] { return Quiet(); }));
    }
    void ConnectTcp() {
        dlg_->AddSwitcherAddress("127.0.0.1");
        dlg_->SetControlPort(sim_.TcpPort());
        if (dlg_->LinkMode() != kTcpControlMode) dlg_->Click(res::kTcpModeRadio);
        dlg_->Click(res::kTcpConnectButton);
        ASSERT_TRUE(RunUntil([this] { return dlg_->TcpConnected() && Quiet(); }))
            << dlg_->LastLinkError();
    }
    // Clicks in the middle of a page label.
    void EnterPage(int labelId) {
        const Rect r = dlg_->Controls().At(labelId).rect;
        dlg_->PressAt({r.x + r.width / 2, r.y + r.height / 2});
    }

    // Messages shown (and closed with Ok) since TakeMessages was last called.
    const std::vector<std::string>& Shown() const { return messages_; }
    std::vector<std::string> TakeMessages() {
        std::vector<std::string> taken;
        taken.swap(messages_);
        return taken;
    }
    // Units sent since the last call, as hex.
    std::vector<std::string> TakeSent() {
        std::vector<std::string> taken;
        taken.swap(sent_);
        return taken;
    }

    PollLoop loop_;
    sim::test::SimProcess sim_;
    PosixLinkFactory links_{loop_};
    std::unique_ptr<CTorvaneApp> app_;
    CTorvaneDlg* dlg_ = nullptr;
    const std::string linkPath_ = "/tmp/torvane-e2e-" + std::to_string(::getpid()) + "-" +
                                  ::testing::UnitTest::GetInstance()->current_test_info()->name();

  private:
    void OnOpened(Window&) override {
        messages_.push_back(dlg_->Message().MessageText());
        loop_.Post([this] {
            if (dlg_->Message().Showing()) dlg_->Message().Click(CMessageDlg::kOkButton);
        });
    }

    std::vector<std::string> messages_;
    std::vector<std::string> sent_;
};

}  // namespace torvane::test
