// The General page as the operator uses it: status, power, beep, reboot and
// factory reset against the simulated switcher, and what a silent switcher
// does to each.

#include "operator_fixture.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

class GeneralPage : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        ConnectCom();
        Wire();
    }
};

TEST_F(GeneralPage, ConnectReadsPowerThenBeep) {
    // (connected in SetUp)
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(GeneralPage, StatusRunsTheSixteenQueriesInterleavedAndFillsEveryLabel) {
    model.State().inputConnected = {true, false, true, false, false, false, false, true};
    model.State().outputConnected = {false, true, false, false, false, false, true, false};
    dlg->Click(res::kStatusButton);
    EXPECT_EQ(BusyLabel(), "Getting status . . .");
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(1000);

    V expected;
    for (int n = 1; n <= 8; ++n) {
        expected.push_back(Frame("01 04 0" + std::to_string(n)));
        expected.push_back(Frame("01 05 0" + std::to_string(n)));
    }
    EXPECT_EQ(Wire(), expected);
    const char* labels[] = {
        "HDMI IN1: Connect",     "HDMI IN2: Disconnect",  "HDMI IN3: Connect",
        "HDMI IN4: Disconnect",  "HDMI IN5: Disconnect",  "HDMI IN6: Disconnect",
        "HDMI IN7: Disconnect",  "HDMI IN8: Connect",     "HDMI OUTA: Disconnect",
        "HDMI OUTB: Connect",    "HDMI OUTC: Disconnect", "HDMI OUTD: Disconnect",
        "HDMI OUTE: Disconnect", "HDMI OUTF: Disconnect", "HDMI OUTG: Connect",
        "HDMI OUTH: Disconnect",
    };
    for (int k = 0; k < 16; ++k) EXPECT_EQ(Text(res::kFirstInputLabel + k), labels[k]);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Message(), "");
}

TEST_F(GeneralPage, StatusStateByteZeroIsConnectAnyOtherDisconnect) {
    const std::pair<const char*, const char*> cases[] = {{"00", "HDMI IN1: Connect"},
                                                         {"01", "HDMI IN1: Disconnect"},
                                                         {"FF", "HDMI IN1: Disconnect"}};
    model.Faults().silent = true;
    for (auto [state, text] : cases) {
        dlg->Click(res::kStatusButton);
        DeviceSays(std::string("01 04 01 00 ") + state);
        EXPECT_EQ(Text(res::kFirstInputLabel), text);
        loop.Advance(6000);
        PressOk();
    }
}

TEST_F(GeneralPage, SilentSwitcherCommandsResendOnceAt3sThenTimeOut) {
    struct Case {
        const char* name;
        int control;
        std::string frame;
        int timeOutMs;
        bool powerOffFirst;
    };
    const Case cases[] = {
        {"status", res::kStatusButton, Frame("01 04 01"), 6000, false},
        {"reboot", res::kRebootButton, Frame("08 0D"), 6000, false},
        {"factory reset", res::kFactoryResetButton, Frame("08 0A"), 6000, false},
        {"power on", res::kPowerOnBox, Frame("08 0B 0F 00 0F"), 5000, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.Faults().silent = false;
        if (c.powerOffFirst) {
            dlg->Click(res::kPowerOnBox);
            PressOk();
            Settle();
            ASSERT_FALSE(Checked(res::kPowerOnBox));
        }
        model.Faults().silent = true;
        Wire();
        dlg->Click(c.control);
        if (c.control == res::kFactoryResetButton) PressOk();  // its question first
        EXPECT_EQ(Wire(), V{c.frame});
        loop.Advance(2999);
        EXPECT_EQ(Wire(), V{});
        loop.Advance(1);
        EXPECT_EQ(Wire(), V{c.frame});
        loop.Advance(c.timeOutMs - 3000 - 1);
        EXPECT_EQ(Message(), "");
        EXPECT_TRUE(dlg->Busy().Running());
        loop.Advance(1);
        EXPECT_EQ(Message(), "Time out!");
        EXPECT_FALSE(dlg->Busy().Running());
        PressOk();
        EXPECT_TRUE(dlg->BusyGateOpen());
        loop.Advance(20000);
        EXPECT_EQ(Wire(), V{});  // nothing more goes out
    }
}

TEST_F(GeneralPage, TheGateStaysClosedWhileTimeOutShows) {
    model.Faults().silent = true;
    dlg->Click(res::kStatusButton);
    loop.Advance(6000);
    ASSERT_EQ(Message(), "Time out!");
    ClickLabel(res::kMatrixLabel);
    dlg->Click(res::kRebootButton);
    EXPECT_EQ(dlg->ActivePage(), PageCode::kGeneral);
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Text(res::kFirstInputLabel), "");
}

TEST_F(GeneralPage, AReplyForAnotherPositionMovesTheChainThereAndTheOldTimersRunOn) {
    model.Faults().silent = true;
    dlg->Click(res::kStatusButton);
    Wire();
    DeviceSays("01 04 05 00 00");  // IN5 answers while IN1 is asked
    EXPECT_EQ(Text(res::kFirstInputLabel + 4), "HDMI IN5: Connect");
    EXPECT_EQ(Wire(), V{Frame("01 05 05")});
    // IN1's retry timer resends IN1's own query (not OUTE's, which the shared
    // frame holds by then), and OUTE's its own; then IN1's gives up.
    loop.Advance(3000);
    EXPECT_EQ(Wire(), (V{Frame("01 04 01"), Frame("01 05 05")}));
    loop.Advance(3000);
    EXPECT_EQ(Message(), "Time out!");
}

TEST_F(GeneralPage, PowerStateRepliesOnTheGeneralPage) {
    model.Faults().silent = true;
    // Off: the box is cleared and "Power off!" shown; the gate opens only once it is closed.
    dlg->Click(res::kStatusButton);
    DeviceSays("08 0C F0");
    EXPECT_FALSE(Checked(res::kPowerOnBox));
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_EQ(Message(), "Power off!");
    EXPECT_FALSE(dlg->BusyGateOpen());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    loop.Advance(10000);
    Wire();
    // On: the box is checked and the beep state query goes out; its reply sets the beep box.
    dlg->Click(res::kStatusButton);
    Wire();
    DeviceSays("08 0C 0F");
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_EQ(Wire(), V{Frame("01 0B")});
    DeviceSays("01 0B 00 00 01");
    EXPECT_FALSE(Checked(res::kEnableBeepBox));
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(GeneralPage, AnUnrecognisedFrameChangesNothingAndTheTimerRunsOn) {
    model.Faults().silent = true;
    dlg->Click(res::kStatusButton);
    Wire();
    DeviceSays("08 0C 33");
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_TRUE(dlg->Timers().IsRunning(2000));
    loop.Advance(3000);
    EXPECT_EQ(Wire(), V{Frame("01 04 01")});
}

// A switcher that reports power off when the link opens.
class PoweredOff : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        model.State().powerOn = false;
        ConnectCom();
        EXPECT_EQ(Message(), "Power off!");
        PressOk();
        Wire();
    }
};

TEST_F(PoweredOff, PowerOnIsConfirmedThenSucceedsThenReadsTheBeep) {
    const TimeMs t0 = loop.Now();
    dlg->Click(res::kPowerOnBox);
    EXPECT_FALSE(Checked(res::kPowerOnBox));  // put back until the switcher confirms
    EXPECT_EQ(BusyLabel(), "Initializing . . .");
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Wire(), V{Frame("08 0B 0F 00 0F")});
    Settle();
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    const TimeMs replied = t0 + model.Timing().replyDelayMs;
    loop.Advance(replied + 3000 - loop.Now());
    EXPECT_EQ(BusyLabel(), "Initializing successfully!");
    EXPECT_TRUE(dlg->Busy().CheckMarkShown());
    EXPECT_EQ(Wire(), V{});
    loop.Advance(1000);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_EQ(Wire(), V{Frame("01 0B")});
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(GeneralPage, PowerOffAsksFirstAndSendsOnlyOnOk) {
    dlg->Click(res::kPowerOnBox);
    EXPECT_EQ(Message(), "Are you sure you want to power off?");
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    EXPECT_FALSE(dlg->Message().Controls().Visible(CMessageDlg::kCancelButton));
    EXPECT_EQ(Wire(), V{});
    dlg->Message().Click(CMessageDlg::kCloseButton);
    EXPECT_TRUE(dlg->BusyGateOpen());
    loop.Advance(5000);
    EXPECT_EQ(Wire(), V{});
    EXPECT_TRUE(Checked(res::kPowerOnBox));

    dlg->Click(res::kPowerOnBox);
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Wire(), V{Frame("08 0B F0 00 F0")});
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    Settle();
    EXPECT_FALSE(Checked(res::kPowerOnBox));
    EXPECT_FALSE(model.State().powerOn);
}

TEST_F(GeneralPage, PowerOffWithNoLongerRemindSendsWithoutAskingAndReopensTheGate) {
    dlg->Message().Ask("Do you want to reset to factory settings?", true, [](int) {});
    dlg->Message().Click(CMessageDlg::kNoLongerRemindBox);
    PressOk();
    dlg->Click(res::kPowerOnBox);
    EXPECT_EQ(Message(), "");
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Wire(), V{Frame("08 0B F0 00 F0")});
    Settle();
    EXPECT_FALSE(Checked(res::kPowerOnBox));
}

TEST_F(GeneralPage, BeepFollowsTheReplyNotTheClick) {
    dlg->Click(res::kEnableBeepBox);
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    EXPECT_EQ(Wire(), V{Frame("06 01 F0 00 00")});
    Settle();
    EXPECT_FALSE(Checked(res::kEnableBeepBox));

    dlg->Click(res::kEnableBeepBox);
    EXPECT_FALSE(Checked(res::kEnableBeepBox));
    EXPECT_EQ(Wire(), V{Frame("06 01 0F 00 DD")});
    EXPECT_TRUE(dlg->BusyGateOpen());
    Settle();
    EXPECT_TRUE(Checked(res::kEnableBeepBox));

    // Without a reply nothing is reported and the box keeps its state.
    model.Faults().silent = true;
    dlg->Click(res::kEnableBeepBox);
    loop.Advance(10000);
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    EXPECT_EQ(Message(), "");
}

TEST_F(GeneralPage, RebootReplyAfterTheResendIsAccepted) {
    model.Faults().dropNextReplies = 1;
    const TimeMs t0 = loop.Now();
    dlg->Click(res::kRebootButton);
    EXPECT_EQ(BusyLabel(), "Rebooting . . .");
    loop.Advance(3000);
    EXPECT_EQ(Wire(), (V{Frame("08 0D"), Frame("08 0D")}));
    Settle();
    const TimeMs replied = t0 + 3000 + model.Timing().replyDelayMs;
    EXPECT_TRUE(Checked(res::kPowerOnBox));
    loop.Advance(replied + 5000 - 1 - loop.Now());
    EXPECT_NE(BusyLabel(), "Reboot successfully!");
    loop.Advance(1);
    EXPECT_EQ(BusyLabel(), "Reboot successfully!");
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(1000);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Message(), "");
}

// A reset cannot be undone: the button asks first, with Cancel offered, and
// sends only on Ok.
TEST_F(GeneralPage, FactoryResetAsksFirstAndSendsNothingOnCancelOrClose) {
    for (int way : {CMessageDlg::kCancelButton, CMessageDlg::kCloseButton}) {
        dlg->Click(res::kFactoryResetButton);
        EXPECT_EQ(Message(), "Do you want to reset to factory settings?");
        EXPECT_TRUE(dlg->Message().Controls().Visible(CMessageDlg::kCancelButton));
        EXPECT_FALSE(dlg->Busy().Flagged());
        dlg->Message().Click(way);
        EXPECT_TRUE(dlg->BusyGateOpen());
        loop.Advance(5000);
        EXPECT_EQ(Wire(), V{});
    }
}

TEST_F(GeneralPage, FactoryResetWithNoLongerRemindResetsWithoutAsking) {
    dlg->Message().Ask("Are you sure you want to power off?", true, [](int) {});
    dlg->Message().Click(CMessageDlg::kNoLongerRemindBox);
    PressOk();
    dlg->Click(res::kFactoryResetButton);
    EXPECT_EQ(Message(), "");
    EXPECT_EQ(BusyLabel(), "Setting . . .");
    EXPECT_EQ(Wire(), V{Frame("08 0A")});
}

TEST_F(GeneralPage, FactoryResetChecksBeepThenSucceeds) {
    dlg->Click(res::kEnableBeepBox);  // beep off first
    Settle();
    ASSERT_FALSE(Checked(res::kEnableBeepBox));
    Wire();
    const TimeMs t0 = loop.Now();
    dlg->Click(res::kFactoryResetButton);
    PressOk();
    EXPECT_EQ(BusyLabel(), "Setting . . .");
    EXPECT_EQ(Wire(), V{Frame("08 0A")});
    Settle();
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    loop.Advance(t0 + model.Timing().replyDelayMs + 2500 - loop.Now());
    EXPECT_EQ(BusyLabel(), "Set successfully!");
    loop.Advance(500);
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(GeneralPage, RebootReplyWithNonZeroByte4IsIgnoredAndTimesOut) {
    model.Faults().silent = true;
    dlg->Click(res::kRebootButton);
    DeviceSays("08 0D 01");
    EXPECT_TRUE(dlg->Timers().IsRunning(7047));
    loop.Advance(6000);
    EXPECT_EQ(Message(), "Time out!");
}

TEST_F(GeneralPage, FactoryResetReplyChecksBeepWhateverByte4Holds) {
    model.Faults().silent = true;
    dlg->Click(res::kEnableBeepBox);
    DeviceSays("06 01 00 00 00");  // beep now off
    ASSERT_FALSE(Checked(res::kEnableBeepBox));
    dlg->Click(res::kFactoryResetButton);
    PressOk();
    DeviceSays("08 0A 7E");
    EXPECT_TRUE(Checked(res::kEnableBeepBox));
    EXPECT_FALSE(dlg->Timers().IsRunning(7043));
}

}  // namespace
}  // namespace torvane::test
