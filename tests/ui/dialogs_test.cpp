#include <gtest/gtest.h>

#include "platform/virtual_loop.h"
#include "res/resource_ids.h"
#include "ui/message_dlg.h"
#include "ui/status_dlg.h"

namespace torvane {
namespace {

TEST(MessageDialog, ASecondMessageWhileOneShowsOpensNothingAndGoesOnAtOnce) {
    CMessageDlg dlg;
    int firstClosed = 0, secondDone = 0;
    dlg.ShowMessage("Time out!", [&] { ++firstClosed; });
    dlg.ShowMessage("Time out!", [&] { ++secondDone; });
    EXPECT_TRUE(dlg.Showing());
    EXPECT_EQ(secondDone, 1);
    EXPECT_EQ(firstClosed, 0);
    dlg.Click(res::kMessageOkButton);
    EXPECT_FALSE(dlg.Showing());
    EXPECT_EQ(firstClosed, 1);
}

TEST(MessageDialog, TheKeyboardNeverEndsIt) {
    CMessageDlg dlg;
    dlg.ShowMessage("Open COM failed!");
    for (int key : {int{kKeyEnter}, int{kKeyEscape}, int{kKeySpace}}) dlg.KeyDown(key);
    EXPECT_TRUE(dlg.Showing());
}

TEST(MessageDialog, ConfirmationModePutsOkLeftAndCancelRight) {
    CMessageDlg dlg;
    dlg.Ask("Do you want to reset to factory settings?", true, [](int) {});
    const auto& t = dlg.Controls();
    EXPECT_EQ(t.At(res::kMessageOkButton).rect.x, 94);
    EXPECT_EQ(t.At(res::kMessageCancelButton).rect.x, 137);
    EXPECT_TRUE(t.Visible(res::kMessageCancelButton));
    EXPECT_TRUE(t.Visible(res::kNoLongerRemindBox));
    dlg.Click(res::kMessageCancelButton);

    // The next run is plain again: only "Ok", at the right.
    dlg.ShowMessage("Time out!");
    EXPECT_EQ(dlg.Controls().At(res::kMessageOkButton).rect.x, 137);
    EXPECT_FALSE(dlg.Controls().Visible(res::kMessageCancelButton));
}

TEST(MessageDialog, ResultsOfEachWayOut) {
    struct Case {
        const char* name;
        bool offerCancel;
        std::function<void(CMessageDlg&)> close;
        int result;
    };
    const Case cases[] = {
        {"Ok", false, [](CMessageDlg& d) { d.Click(res::kMessageOkButton); }, 1},
        {"close button", false, [](CMessageDlg& d) { d.Click(res::kMessageCloseButton); }, 2},
        {"window system", false, [](CMessageDlg& d) { d.CloseBySystem(); }, 2},
        {"Cancel", true, [](CMessageDlg& d) { d.Click(res::kMessageCancelButton); }, 2},
        {"hidden Cancel of a plain run", false,
         [](CMessageDlg& d) { d.Click(res::kMessageCancelButton); }, 0},
    };
    for (const auto& c : cases) {
        CMessageDlg dlg;
        int result = 0;
        dlg.Ask("Are you sure you want to power off?", c.offerCancel, [&](int r) { result = r; });
        c.close(dlg);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(dlg.Showing(), c.result == 0) << c.name;
    }
}

TEST(MessageDialog, AQuestionWhileAMessageShowsIsAnsweredNo) {
    CMessageDlg dlg;
    dlg.ShowMessage("Time out!");
    int result = 0;
    dlg.Ask("Are you sure you want to power off?", false, [&](int r) { result = r; });
    EXPECT_EQ(result, 2);
    EXPECT_EQ(dlg.MessageText(),
              "Are you sure you want to power off?");  // the open dialog now says so
}

TEST(MessageDialog, NoLongerRemindFollowsItsBoxAndOutlivesTheRun) {
    CMessageDlg dlg;
    dlg.Ask("Do you want to reset to factory settings?", true, [](int) {});
    dlg.Click(res::kNoLongerRemindBox);
    EXPECT_TRUE(dlg.NoLongerRemind());
    dlg.Click(res::kMessageOkButton);
    EXPECT_TRUE(dlg.NoLongerRemind());
}

TEST(MessageDialog, TheQuestionsMoveThePictureAside) {
    CMessageDlg dlg;
    dlg.ShowMessage("Are you sure you want to power off?");
    EXPECT_EQ(dlg.Controls().At(res::kMessagePicture).rect.x, 9);
    dlg.Click(res::kMessageOkButton);
    dlg.ShowMessage("Time out!");
    EXPECT_EQ(dlg.Controls().At(res::kMessagePicture).rect.x, 26);
}

class BusyDialog : public ::testing::Test {
  protected:
    VirtualLoop loop;
    CStatusDlg dlg{loop};
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
