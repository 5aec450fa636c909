// The main window: start-up, page switching, the busy gate, the send path
// and the window commands.

#include "app/torvane_app.h"
#include "fake_page.h"
#include "operator_fixture.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

TEST_F(OperatorTest, StartShowsTheGeneralPageInComModeAndSendsNothing) {
    EXPECT_EQ(dlg->ActivePage(), PageCode::kGeneral);
    EXPECT_TRUE(Checked(res::kComModeRadio));
    EXPECT_FALSE(Checked(res::kTcpModeRadio));
    for (int id : {res::kTcpConnectButton, res::kTcpGroup, res::kSwitcherIpLabel,
                   res::kSearchButton, res::kConfigButton, res::kSwitcherIpList})
        EXPECT_FALSE(Ui().Enabled(id)) << id;
    for (int id : {res::kComGroup, res::kPortLabel, res::kComConnectButton, res::kPortList})
        EXPECT_TRUE(Ui().Enabled(id)) << id;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(Text(res::kFirstInputLabel + k), "");
    EXPECT_EQ(Ui().Items(res::kPortList), V{sim::kDefaultSerialPath});
    EXPECT_EQ(Text(res::kPortList), sim::kDefaultSerialPath);
    EXPECT_TRUE(dlg->Timers().IsRunning(1));
    EXPECT_EQ(Ui().At(res::kCloseButton).tooltip, "Close");
    loop.Advance(5000);
    EXPECT_EQ(Wire(), V{});
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(OperatorTest, PortListFollowsPortsThatComeAndGo) {
    links.UnplugSerial();
    auto& source = static_cast<ListedPortSource&>(dlg->Ports().Source());
    source.RemoveExtraPort(sim::kDefaultSerialPath);
    loop.Advance(600);
    EXPECT_EQ(Ui().Items(res::kPortList), V{});
    source.AddExtraPort({"/dev/ttyUSB3", "USB serial", "", "USB"});
    loop.Advance(600);
    EXPECT_EQ(Text(res::kPortList), "/dev/ttyUSB3");
}

TEST_F(OperatorTest, PageLabelWithTheLinkClosedSwitchesThenReportsAndSendsNothing) {
    ClickLabel(res::kGeneralLabel);
    EXPECT_EQ(Message(), "Open COM failed!");
    PressOk();
    FakePage& edid = InstallFakePage(*dlg, PageCode::kEdid);
    dlg->Click(res::kTcpModeRadio);
    ClickLabel(res::kEdidLabel);
    EXPECT_EQ(dlg->ActivePage(), PageCode::kEdid);
    EXPECT_TRUE(edid.WindowVisible());
    EXPECT_FALSE(Ui().Visible(res::kStatusButton));
    EXPECT_EQ(Message(), "Connect to Matrix failed!");
    EXPECT_TRUE(dlg->BusyGateOpen());
    PressOk();
    ClickLabel(res::kGeneralLabel);
    EXPECT_TRUE(Ui().Visible(res::kStatusButton));
    EXPECT_FALSE(edid.WindowVisible());
    EXPECT_EQ(Wire(), V{});
}

TEST_F(OperatorTest, PageEntriesSendTheirQueryAndGuardIt) {
    // Each entry's query, and whether the gate stays closed for its reply.
    struct Case {
        int label;
        PageCode code;
        std::string query;
        bool gateStaysClosed;
        Point placed;
    };
    const Case cases[] = {
        {res::kEdidLabel, PageCode::kEdid, Frame("01 0C 01"), true, {1, 56}},
        {res::kMatrixLabel, PageCode::kMatrix, Frame("02 01 01"), true, {1, 56}},
        {res::kUpgradeLabel,
         PageCode::kUpgrade,
         Frame("01 01 00 00 00 00 00 00 CC"),
         false,
         {1, 70}},
    };
    ConnectCom();
    for (const auto& c : cases) {
        FakePage& page = InstallFakePage(*dlg, c.code);
        Wire();
        ClickLabel(c.label);
        EXPECT_TRUE(page.WindowVisible());
        EXPECT_EQ(page.WindowPosition().y, c.placed.y);
        EXPECT_EQ(Wire(), V{c.query});
        Settle();
        // The reply reaches the page, whose handler here does nothing.
        EXPECT_EQ(page.replies, 1);
        EXPECT_EQ(dlg->BusyGateOpen(), !c.gateStaysClosed);
        if (c.gateStaysClosed) {
            loop.Advance(7000 - kReplyMs - 1);
            EXPECT_EQ(Message(), "");
            loop.Advance(1);
            EXPECT_EQ(Message(), "Time out!");
            EXPECT_FALSE(dlg->BusyGateOpen());
            PressOk();
        }
        EXPECT_TRUE(dlg->BusyGateOpen());
        EXPECT_EQ(Wire(), V{});  // no resend
    }
}

TEST_F(OperatorTest, GeneralEntryIsGuardedLikeTheOthers) {
    ConnectCom();
    ClickLabel(res::kMatrixLabel);
    loop.Advance(7000);
    PressOk();
    Wire();
    // A silent switcher no longer locks the program on the General page.
    model.Faults().silent = true;
    ClickLabel(res::kGeneralLabel);
    EXPECT_EQ(Wire(), V{Frame("08 0C")});
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(7000);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    // An answering switcher stops the timer with its power state.
    model.Faults().silent = false;
    ClickLabel(res::kGeneralLabel);
    Settle();
    EXPECT_FALSE(dlg->Timers().IsRunning(1000));
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_TRUE(Checked(res::kPowerOnBox));
}

TEST_F(OperatorTest, APendingCommandClosesTheGateToEverything) {
    ConnectCom();
    model.Faults().silent = true;
    dlg->Click(res::kStatusButton);
    Wire();
    const auto sendLog = dlg->SendLogView().Text();
    ClickLabel(res::kMatrixLabel);
    dlg->Click(res::kRebootButton);
    dlg->Click(res::kFactoryResetButton);
    dlg->Click(res::kPowerOnBox);
    dlg->Click(res::kEnableBeepBox);
    dlg->Busy().KeyDown(kKeyEscape);  // the busy dialog goes, the command stays pending
    dlg->Click(res::kStatusButton);
    EXPECT_EQ(dlg->ActivePage(), PageCode::kGeneral);
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(Wire(), V{});
    EXPECT_EQ(dlg->SendLogView().Text(), sendLog);
    // Clear logs empties both logs and reopens the gate.
    dlg->Click(res::kClearLogsButton);
    EXPECT_EQ(Text(res::kSendLog), "");
    EXPECT_EQ(Text(res::kReceiveLog), "");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(OperatorTest, SendLogShowsEachCommandFrameOnOneLine) {
    ConnectCom();
    EXPECT_EQ(Text(res::kSendLog),
              "A5 5B 08 0C 00 00 00 00 00 00 00 00 EC \r\n"
              "A5 5B 01 0B 00 00 00 00 00 00 00 00 F4 \r\n");
    EXPECT_EQ(Text(res::kReceiveLog),
              "A5 5B 08 0C 0F 00 00 00 00 00 00 00 DD \r\n"
              "A5 5B 01 0B 00 00 00 00 00 00 00 00 F4 \r\n");
}

TEST_F(OperatorTest, SendRequestsSendTheUnitTheirCodeNames) {
    ConnectCom();
    V sent;
    dlg->SetTrace([&](char, const std::uint8_t* bytes, std::size_t count) {
        sent.push_back(ToHex(bytes, count));
    });
    auto& out = dlg->Buffers();
    out.Write(Command({0x02, 0x01}))[4] = 3;
    out.Command()[12] = 0x77;  // whatever byte 12 held, the checksum is written
    for (int code : {2, 4, 5}) dlg->PostSendRequest(static_cast<SendRequest>(code));
    for (std::size_t i = 0; i < out.Raw().size(); ++i) out.Raw()[i] = static_cast<std::uint8_t>(i);
    dlg->PostSendRequest(static_cast<SendRequest>(3));
    dlg->PostSendRequest(static_cast<SendRequest>(7));
    loop.RunPending();
    auto wire = sent;
    ASSERT_EQ(wire.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(wire[static_cast<std::size_t>(i)], Frame("02 01 03"));
    EXPECT_EQ(wire[3], ToHex(out.Raw().data(), out.Raw().size()));  // last byte unchanged
    // The raw block: 19 full lines, a line of 9 bytes, then an empty line.
    const std::string log = dlg->SendLogView().Text();
    const std::string tail = log.substr(log.size() - 4);
    EXPECT_EQ(tail, "\r\n\r\n");
    EXPECT_EQ(dlg->SendLogView().LineCount(), 0);

    ClickLabel(res::kMatrixLabel);
    dlg->PostSendRequest(static_cast<SendRequest>(1000));
    loop.RunPending();
    EXPECT_FALSE(dlg->Timers().IsRunning(1000));
}

TEST_F(OperatorTest, OffWindowFactoryResetButtonDoesNothing) {
    ConnectCom();
    Wire();
    dlg->Click(res::kOffWindowFactoryResetButton);
    loop.Advance(10000);
    EXPECT_EQ(Wire(), V{});
    EXPECT_EQ(Message(), "");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(OperatorTest, NetworkConfigurationTimersPaceTheBusyDialog) {
    // Discovery's answer after a configuration: success text, then closed; the gate is left alone.
    ConnectCom();
    ASSERT_TRUE(dlg->PassBusyGate());
    dlg->SetTimer(1008, 15000);
    dlg->Busy().ShowBusy("Configuring");
    dlg->SetTimer(1004, 900);
    loop.Advance(900);
    EXPECT_EQ(BusyLabel(), "Configure successfully!");
    loop.Advance(900);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_FALSE(dlg->Timers().IsRunning(1008));
    EXPECT_FALSE(dlg->BusyGateOpen());
    // Without an answer, timer 1008 gives up.
    dlg->Busy().ShowBusy("Configuring");
    dlg->SetTimer(1008, 15000);
    loop.Advance(15000);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(OperatorTest, HeaderOutsideTheLabelsMovesTheWindow) {
    struct Requests : WindowObserver {
        std::vector<WindowRequest> seen;
        void OnRequest(Window&, WindowRequest r) override { seen.push_back(r); }
    } requests;
    dlg->AddObserver(&requests);
    dlg->PressAt({70, 10});  // between "General" and "EDID"
    dlg->Click(res::kMinimizeButton);
    loop.RunPending();
    EXPECT_EQ(requests.seen,
              (std::vector<WindowRequest>{WindowRequest::kStartMove, WindowRequest::kMinimize}));
    EXPECT_EQ(dlg->ActivePage(), PageCode::kGeneral);
    dlg->RemoveObserver(&requests);
}

// The title's "Ver6.41" is the switcher protocol's, not the program's: the
// About box names both, so they do not read as two versions of one thing.
TEST_F(OperatorTest, AboutItemOpensTheAboutBoxWithBothVersionsNamed) {
    EXPECT_EQ(dlg->AboutItemText(), "About Torvane...");
    dlg->SystemCommand(res::kAboutCommand);
    ASSERT_TRUE(dlg->About().Running());
    EXPECT_EQ(dlg->About().Controls().Text(res::kAboutNameLabel),
              std::string("Torvane ") + TORVANE_VERSION);
    EXPECT_EQ(dlg->About().Controls().Text(res::kAboutVersionLabel),
              "Switcher protocol Ver6.41, as in the title");
    EXPECT_EQ(dlg->TitleText().substr(0, 15), "Torvane Ver6.41");
    dlg->About().KeyDown(kKeyEnter);
    EXPECT_FALSE(dlg->About().Running());
}

TEST(Application, CloseEndsTheProgramAfterDestroyingTheMainWindow) {
    VirtualLoop loop;
    sim::SwitcherModel model(loop);
    sim::SimLinkFactory links(loop);
    links.AddSwitcher(model);
    CTorvaneApp app(loop, links);
    int exitCode = -1;
    CTorvaneDlg& dlg = app.InitInstance([&](int code) { exitCode = code; });
    dlg.Click(res::kCloseButton);
    EXPECT_EQ(exitCode, -1);  // posted, not run inside the click
    loop.RunPending();
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(app.MainWindow(), nullptr);
}

}  // namespace
}  // namespace torvane::test
