#include <gtest/gtest.h>

#include "platform/virtual_loop.h"
#include "res/dialog_templates.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {
namespace {

TEST(MessageDialog, ASecondMessageWhileOneShowsOpensNothingAndGoesOnAtOnce) {
    CMessageDlg dlg{res::MessageDialogTemplate()};
    int firstClosed = 0, secondDone = 0;
    dlg.ShowMessage("Time out!", [&] { ++firstClosed; });
    dlg.ShowMessage("Time out!", [&] { ++secondDone; });
    EXPECT_TRUE(dlg.Showing());
    EXPECT_EQ(secondDone, 1);
    EXPECT_EQ(firstClosed, 0);
    dlg.Click(CMessageDlg::kOkButton);
    EXPECT_FALSE(dlg.Showing());
    EXPECT_EQ(firstClosed, 1);
}

TEST(MessageDialog, TheKeyboardNeverEndsIt) {
    CMessageDlg dlg{res::MessageDialogTemplate()};
    dlg.ShowMessage("Open COM failed!");
    for (int key : {int{kKeyEnter}, int{kKeyEscape}, int{kKeySpace}}) dlg.KeyDown(key);
    EXPECT_TRUE(dlg.Showing());
}

TEST(MessageDialog, ConfirmationModePutsOkLeftAndCancelRight) {
    CMessageDlg dlg{res::MessageDialogTemplate()};
    dlg.Ask("Do you want to reset to factory settings?", true, [](int) {});
    const auto& t = dlg.Controls();
    EXPECT_EQ(t.At(CMessageDlg::kOkButton).rect.x, 94);
    EXPECT_EQ(t.At(CMessageDlg::kCancelButton).rect.x, 137);
    EXPECT_TRUE(t.Visible(CMessageDlg::kCancelButton));
    EXPECT_TRUE(t.Visible(CMessageDlg::kNoLongerRemindBox));
    dlg.Click(CMessageDlg::kCancelButton);

    // The next run is plain again: only "Ok", at the right.
    dlg.ShowMessage("Time out!");
    EXPECT_EQ(dlg.Controls().At(CMessageDlg::kOkButton).rect.x, 137);
    EXPECT_FALSE(dlg.Controls().Visible(CMessageDlg::kCancelButton));
}

TEST(MessageDialog, ResultsOfEachWayOut) {
    struct Case {
        const char* name;
        bool offerCancel;
        std::function<void(CMessageDlg&)> close;
        int result;
    };
    const Case cases[] = {
        {"Ok", false, [](CMessageDlg& d) { d.Click(CMessageDlg::kOkButton); }, 1},
        {"close button", false, [](CMessageDlg& d) { d.Click(CMessageDlg::kCloseButton); }, 2},
        {"window system", false, [](CMessageDlg& d) { d.CloseBySystem(); }, 2},
        {"Cancel", true, [](CMessageDlg& d) { d.Click(CMessageDlg::kCancelButton); }, 2},
        {"hidden Cancel of a plain run", false,
         [](CMessageDlg& d) { d.Click(CMessageDlg::kCancelButton); }, 0},
    };
    for (const auto& c : cases) {
        CMessageDlg dlg{res::MessageDialogTemplate()};
        int result = 0;
        dlg.Ask("Are you sure you want to power off?", c.offerCancel, [&](int r) { result = r; });
        c.close(dlg);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(dlg.Showing(), c.result == 0) << c.name;
    }
}

TEST(MessageDialog, AQuestionWhileAMessageShowsIsAnsweredNo) {
    CMessageDlg dlg{res::MessageDialogTemplate()};
    dlg.ShowMessage("Time out!");
    int result = 0;
    dlg.Ask("Are you sure you want to power off?", false, [&](int r) { result = r; });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(dlg.MessageText(),
              "Are you sure you want to power off?");  // the open dialog now says so
}

TEST(MessageDialog, NoLongerRemindFollowsItsBoxAndOutlivesTheRun) {
    CMessageDlg dlg{res::MessageDialogTemplate()};
    dlg.Ask("Do you want to reset to factory settings?", true, [](int) {});
    dlg.Click(CMessageDlg::kNoLongerRemindBox);
    EXPECT_TRUE(dlg.NoLongerRemind());
    dlg.Click(CMessageDlg::kOkButton);
    EXPECT_TRUE(dlg.NoLongerRemind());
}

TEST(MessageDialog, TextsAreLaidOutByTheirExactWords) {
    using L = CMessageDlg::Layout;
    const std::pair<const char*, L> cases[] = {
        {"Are you sure you want to power off?", L::kQuestion},
        {"Do you want to reset to factory settings?", L::kQuestion},
        {"Connect to Matrix failed!", L::kConnectFailed},
        {"Connect to Matrix failed", L::kOther},
        {"Time out!", L::kOther},
    };
    CMessageDlg dlg{res::MessageDialogTemplate()};
    for (const auto& [text, layout] : cases) {
        dlg.ShowMessage(text);
        EXPECT_EQ(dlg.TextLayout(), layout) << text;
        dlg.Click(CMessageDlg::kOkButton);
    }
}

class BusyDialog : public ::testing::Test {
  protected:
    VirtualLoop loop;
    CStatusDlg dlg{loop, res::BusyDialogTemplate()};
};

TEST_F(BusyDialog, DotsCycleEvery300ms) {
    dlg.ShowBusy("Rebooting");
    EXPECT_EQ(dlg.Label(), "Rebooting . . .");
    EXPECT_FALSE(dlg.CheckMarkShown());
    const char* steps[] = {"Rebooting .", "Rebooting . .", "Rebooting . . .", "Rebooting ."};
    for (const char* step : steps) {
        loop.Advance(299);
        EXPECT_NE(dlg.Label(), step);
        loop.Advance(1);
        EXPECT_EQ(dlg.Label(), step);
    }
    dlg.SetBusyText("Setting");  // read afresh at each step
    loop.Advance(300);
    EXPECT_EQ(dlg.Label(), "Setting . .");
}

TEST_F(BusyDialog, FinishShowsTheTextAloneWithTheCheckMarkUntilClosed) {
    int ended = 0;
    dlg.ShowBusy("Setting", [&] { ++ended; });
    dlg.SetBusyText("Set successfully!");
    dlg.FinishBusy();
    loop.Advance(2000);
    EXPECT_EQ(dlg.Label(), "Set successfully!");
    EXPECT_TRUE(dlg.CheckMarkShown());
    dlg.CloseBusy();
    dlg.CloseBusy();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(dlg.Running());
    EXPECT_FALSE(dlg.Flagged());
}

TEST_F(BusyDialog, ASecondShowDuringARunOpensNothing) {
    int secondDone = 0;
    dlg.ShowBusy("Getting status");
    dlg.ShowBusy("Initializing", [&] { ++secondDone; });
    EXPECT_EQ(secondDone, 1);
    EXPECT_EQ(dlg.Label(), "Getting status . . .");
    loop.Advance(300);
    EXPECT_EQ(dlg.Label(), "Initializing .");
}

TEST_F(BusyDialog, EscapeEndsTheRunButTheFlagStaysUntilCloseBusy) {
    dlg.ShowBusy("Setting");
    dlg.KeyDown(kKeyEscape);
    EXPECT_FALSE(dlg.Running());
    EXPECT_TRUE(dlg.Flagged());
    dlg.ShowBusy("Rebooting");  // does nothing while the flag is set
    EXPECT_FALSE(dlg.Running());
    dlg.FinishBusy();  // no window: nothing
    dlg.CloseBusy();
    dlg.ShowBusy("Rebooting");
    EXPECT_TRUE(dlg.Running());
    EXPECT_FALSE(loop.NextTimerDue() == std::nullopt);
}

}  // namespace
}  // namespace torvane
