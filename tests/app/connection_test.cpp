// Choosing and opening the link: the mode radios, COM Connect, TCP Connect,
// and what happens when a link fails.

#include "operator_fixture.h"
#include "pages/matrix_dlg.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

TEST_F(OperatorTest, ComConnectOpensThePortAndQueriesPowerAtOnce) {
    dlg->Click(res::kComConnectButton);
    EXPECT_TRUE(dlg->SerialOpen());
    EXPECT_EQ(Text(res::kComConnectButton), "Disconnect");
    EXPECT_FALSE(Ui().Enabled(res::kPortList));
    EXPECT_FALSE(dlg->Timers().IsRunning(1));
    Settle();
    EXPECT_EQ(Wire(), (V{Frame("08 0C"), Frame("01 0B")}));
    EXPECT_TRUE(Checked(res::kPowerOnBox));

    dlg->Click(res::kComConnectButton);
    EXPECT_FALSE(dlg->SerialOpen());
    EXPECT_EQ(Text(res::kComConnectButton), "Connect");
    EXPECT_TRUE(Ui().Enabled(res::kPortList));
    EXPECT_TRUE(dlg->Timers().IsRunning(1));
    dlg->Click(res::kStatusButton);
    EXPECT_EQ(Message(), "Open COM failed!");
}

TEST_F(OperatorTest, ComEntryNamesThePortOpened) {
    // With Windows-style entries, "COM12" opens port 12.
    links.AddSwitcher(model, "\\\\.\\COM12");
    MakeWindow(std::make_unique<ComNumberNaming>(),
               {{"\\\\.\\COM3", "Modem (COM3)", "", ""},
                {"\\\\.\\COM12", "USB Serial Port (COM12)", "", "USB"}});
    EXPECT_EQ(Ui().Items(res::kPortList), (V{"COM3", "COM12"}));
    dlg->Select(res::kPortList, 1);
    ConnectCom();
    EXPECT_TRUE(dlg->SerialOpen());
    EXPECT_TRUE(Checked(res::kPowerOnBox));
}

TEST_F(OperatorTest, AChosenPortOpensWhetherOrNotTheListShowsIt) {
    links.AddSwitcher(model, "/dev/serial/by-id/usb-Matrix-if00");
    MakeWindow(std::make_unique<DevicePathNaming>(),
               {{"/dev/ttyS0", "", "", ""}, {sim::kDefaultSerialPath, "", "", ""}});
    // Listed: the entry is selected, nothing is added.
    dlg->ChooseSerialPort(sim::kDefaultSerialPath);
    EXPECT_EQ(Ui().Items(res::kPortList), (V{sim::kDefaultSerialPath, "/dev/ttyS0"}));
    EXPECT_EQ(Text(res::kPortList), sim::kDefaultSerialPath);
    // Not listed: added and selected, and Connect opens it.
    dlg->ChooseSerialPort("/dev/serial/by-id/usb-Matrix-if00");
    EXPECT_EQ(Text(res::kPortList), "/dev/serial/by-id/usb-Matrix-if00");
    ConnectCom();
    EXPECT_TRUE(dlg->SerialOpen()) << dlg->LastLinkError();
    EXPECT_TRUE(Checked(res::kPowerOnBox));
}

TEST_F(OperatorTest, ComConnectWithoutAnEntryFails) {
    MakeWindow(std::make_unique<ComNumberNaming>(), {});
    dlg->Click(res::kComConnectButton);
    EXPECT_EQ(Message(), "Open COM failed!");
    EXPECT_FALSE(dlg->SerialOpen());
    EXPECT_EQ(Text(res::kComConnectButton), "Connect");
    EXPECT_FALSE(dlg->LastLinkError().empty());
}

// A failed port is closed and reported at once; what the General page showed
// came from it and is cleared; a later command names the failure, not a port
// the operator never tried to open.
TEST_F(OperatorTest, APortThatFailsWhileOpenIsClosedAndReportedAtOnce) {
    ConnectCom();
    dlg->Click(res::kStatusButton);
    Settle();
    loop.Advance(1000);
    ASSERT_FALSE(Text(res::kFirstInputLabel).empty());
    ASSERT_TRUE(Checked(res::kPowerOnBox));
    links.UnplugSerial();
    loop.RunPending();
    EXPECT_FALSE(dlg->SerialOpen());
    EXPECT_EQ(Message(), "Serial port failed!");
    EXPECT_EQ(Text(res::kComConnectButton), "Connect");
    EXPECT_TRUE(Ui().Enabled(res::kPortList));
    EXPECT_TRUE(dlg->Timers().IsRunning(1));
    EXPECT_EQ(Text(res::kFirstInputLabel), "");
    EXPECT_EQ(Text(res::kFirstOutputLabel + 7), "");
    EXPECT_FALSE(Checked(res::kPowerOnBox));
    EXPECT_FALSE(Checked(res::kEnableBeepBox));
    PressOk();
    dlg->Click(res::kRebootButton);
    EXPECT_EQ(Message(), "Serial port failed!");
    PressOk();
    // The operator's own attempt speaks for itself again.
    links.PlugInSerial();
    loop.Advance(700);  // the port list finds it again
    ConnectCom();
    EXPECT_TRUE(dlg->SerialOpen());
}

TEST_F(OperatorTest, APortThatFailsDuringACommandLeavesItToItsTimeOut) {
    ConnectCom();
    model.Faults().silent = true;
    dlg->Click(res::kStatusButton);
    links.UnplugSerial();
    loop.RunPending();
    EXPECT_EQ(Message(), "Serial port failed!");
    PressOk();
    loop.Advance(6000);
    EXPECT_EQ(Message(), "Time out!");
}

// Whoever learns outcomes from the command owners hears of the loss at once;
// the window goes on as before, to its "Time out!".
TEST_F(OperatorTest, ALinkLostWhileACommandWaitsEndsTheCommandAsLost) {
    auto matrix = std::make_unique<CMatrixDlg>(*dlg);
    CMatrixDlg* page = matrix.get();
    dlg->SetPage(std::move(matrix));
    const struct {
        const char* name;
        bool serial;
        bool onMatrixPage;
    } cases[] = {
        {"serial, General page", true, false},
        {"TCP, General page", false, false},
        {"TCP, Matrix page", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.Faults() = {};
        links.PlugInSerial();
        links.SetTcpAccepting(model, true);
        c.serial ? ConnectCom() : ConnectTcp();
        if (c.onMatrixPage) {
            ClickLabel(res::kMatrixLabel);
            loop.Advance(3000);
        }
        model.Faults().silent = true;
        if (c.onMatrixPage) {
            page->Click(res::kMatrixOutputs[0].inputs[2]);
        } else {
            dlg->Click(res::kStatusButton);
        }
        const CommandOwner& owner = c.onMatrixPage ? page->Commands() : dlg->Commands();
        loop.RunPending();
        ASSERT_TRUE(owner.AnyWaiting());
        c.serial ? links.UnplugSerial() : links.DropTcpConnections(model);
        loop.RunPending();
        EXPECT_EQ(owner.LastEnded().outcome, CommandOutcome::kLinkLost);
        EXPECT_EQ(Message(), c.serial ? "Serial port failed!" : "Connection to Matrix lost!");
        PressOk();
        loop.Advance(10000);
        EXPECT_EQ(Message(), "Time out!");
        EXPECT_EQ(owner.LastEnded().outcome, CommandOutcome::kLinkLost);
        PressOk();
        EXPECT_TRUE(dlg->BusyGateOpen());
        if (c.onMatrixPage) ClickLabel(res::kGeneralLabel);
        loop.Advance(10000);
        while (dlg->Message().Showing()) PressOk();
        if (!c.serial) dlg->Click(res::kComModeRadio);
    }
}

TEST_F(OperatorTest, SwitchingToTcpClosesTheComPortAndKeepsTheListCurrent) {
    ConnectCom();
    dlg->Click(res::kTcpModeRadio);
    EXPECT_EQ(dlg->LinkMode(), kTcpControlMode);
    EXPECT_FALSE(dlg->SerialOpen());
    EXPECT_EQ(Text(res::kComConnectButton), "Connect");
    EXPECT_FALSE(Ui().Enabled(res::kComConnectButton));
    EXPECT_TRUE(Ui().Enabled(res::kTcpConnectButton));
    // The port is free again, so the list goes on being refreshed.
    EXPECT_TRUE(dlg->Timers().IsRunning(1));
    dlg->Click(res::kComModeRadio);
    EXPECT_TRUE(Ui().Enabled(res::kPortList));
    ConnectCom();
    EXPECT_TRUE(dlg->SerialOpen());
}

TEST_F(OperatorTest, TcpConnectQueriesPowerWithoutTheGate) {
    ConnectTcp();
    EXPECT_TRUE(dlg->TcpConnected());
    EXPECT_EQ(Text(res::kTcpConnectButton), "Disconnect");
    EXPECT_EQ(dlg->SwitcherIp(), "127.0.0.1");
    EXPECT_EQ(Wire(), (V{Frame("08 0C"), Frame("01 0B")}));
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_TRUE(dlg->BusyGateOpen());

    dlg->Click(res::kStatusButton);
    loop.Advance(1000);
    EXPECT_EQ(Text(res::kFirstOutputLabel + 7), "HDMI OUTH: Disconnect");

    dlg->Click(res::kTcpConnectButton);
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    EXPECT_EQ(links.TcpConnectionCount(model), 0);
}

// A connect that fails says so when it fails, with the system's reason.
TEST_F(OperatorTest, TcpConnectWhereNothingListensSaysSoAtOnce) {
    ConnectTcp(9);
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    EXPECT_FALSE(dlg->LastLinkError().empty());
    EXPECT_EQ(Message(), "Connect to Matrix failed! (" + dlg->LastLinkError() + ")");
    PressOk();
    dlg->Click(res::kRebootButton);
    EXPECT_EQ(Message(), "Connect to Matrix failed!");
    EXPECT_EQ(Wire(), V{});
}

TEST_F(OperatorTest, TcpConnectWithoutAnAddressSaysSo) {
    dlg->Click(res::kTcpModeRadio);
    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_EQ(Message(), "Connect to Matrix failed! (no Switcher IP chosen)");
    EXPECT_FALSE(dlg->TcpConnected());
}

// The peer closing ends the link at once: told, button back to Connect, the
// General page cleared; the next press connects once, the one after
// disconnects.
TEST_F(OperatorTest, PeerCloseIsReportedAtOnceAndTheButtonOffersConnect) {
    ConnectTcp();
    ASSERT_TRUE(Checked(res::kPowerOnBox));
    links.DropTcpConnections(model);
    loop.RunPending();
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(Message(), "Connection to Matrix lost!");
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    EXPECT_FALSE(Checked(res::kPowerOnBox));
    EXPECT_FALSE(Checked(res::kEnableBeepBox));
    PressOk();
    dlg->Click(res::kStatusButton);
    EXPECT_EQ(Message(), "Connection to Matrix lost!");
    PressOk();
    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_TRUE(dlg->TcpConnected());
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(links.TcpConnectionCount(model), 1);
    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(links.TcpConnectionCount(model), 0);
    EXPECT_EQ(Message(), "");
}

TEST_F(OperatorTest, ConnectPressedTwiceQuicklyKeepsOneConnection) {
    dlg->AddSwitcherAddress("127.0.0.1");
    dlg->Click(res::kTcpModeRadio);
    dlg->Click(res::kTcpConnectButton);
    dlg->Click(res::kTcpConnectButton);
    Settle();
    EXPECT_TRUE(dlg->TcpConnected());
    EXPECT_EQ(links.TcpConnectionCount(model), 1);
    EXPECT_EQ(Wire(), (V{Frame("08 0C"), Frame("01 0B")}));
}

TEST_F(OperatorTest, SwitchingBackToComClosesTheTcpLink) {
    ConnectTcp();
    dlg->Click(res::kComModeRadio);
    EXPECT_FALSE(dlg->TcpConnected());
    EXPECT_EQ(Text(res::kTcpConnectButton), "Connect");
    EXPECT_EQ(links.TcpConnectionCount(model), 0);
    EXPECT_FALSE(Ui().Enabled(res::kSwitcherIpList));
}

}  // namespace
}  // namespace torvane::test
