// The switcher's state as the window learns it: unknown until confirmed,
// and each change told with its cause, whichever page read it.

#include "live_fixture.h"
#include "res/edid_page_ids.h"

namespace torvane::test {
namespace {

constexpr ChangeCause kOwn = ChangeCause::kThisProgram;
constexpr ChangeCause kElsewhere = ChangeCause::kElsewhere;

void ExpectChange(const StateChange& c, StateItem what, int index, StateValue before,
                  StateValue after, ChangeCause cause) {
    EXPECT_EQ(c.what, what);
    EXPECT_EQ(c.index, index);
    EXPECT_EQ(c.before, before);
    EXPECT_EQ(c.after, after);
    EXPECT_EQ(c.cause, cause);
}

TEST_F(LiveDesk, EveryValueIsUnknownUntilTheSwitcherConfirmsIt) {
    for (StateItem what : {StateItem::kPower, StateItem::kBeep, StateItem::kDeviceType,
                           StateItem::kVersion, StateItem::kDeviceText})
        EXPECT_EQ(Known(what), StateValue{});
    for (int n = 1; n <= 8; ++n)
        for (StateItem what : {StateItem::kInputConnection, StateItem::kOutputConnection,
                               StateItem::kRoute, StateItem::kArc, StateItem::kEdid})
            EXPECT_EQ(Known(what, n), StateValue{});
    // Out-of-range indices are unknown, not another item's value.
    EXPECT_EQ(Known(StateItem::kRoute, 9), StateValue{});
    EXPECT_EQ(Known(StateItem::kRoute, 0), StateValue{});

    model.State().beepOn = false;
    ConnectCom();
    auto c = TakeChanges();
    ASSERT_EQ(c.size(), 2u);
    ExpectChange(c[0], StateItem::kPower, 0, {}, true, kElsewhere);
    ExpectChange(c[1], StateItem::kBeep, 0, {}, false, kElsewhere);
    // Nothing the connection did not read is claimed.
    EXPECT_EQ(Known(StateItem::kRoute, 1), StateValue{});
}

TEST_F(LiveDesk, TheProgramsOwnCommandsAreTheirCauseAndReadingsFindChangesMadeElsewhere) {
    ConnectTcp();
    Enter(res::kMatrixLabel);
    EXPECT_EQ(Known(StateItem::kRoute, 2), StateValue{2});
    EXPECT_EQ(Known(StateItem::kArc, 8), StateValue{false});
    TakeChanges();

    CMatrixDlg& matrix = app->MatrixPage();
    matrix.Click(InputButton(2, 5));
    loop.Advance(kReplyMs);
    matrix.Click(res::kMatrixOutputs[0].arcOn);
    loop.Advance(kReplyMs);
    auto c = TakeChanges();
    ASSERT_EQ(c.size(), 2u);
    ExpectChange(c[0], StateItem::kRoute, 2, 2, 5, kOwn);
    ExpectChange(c[1], StateItem::kArc, 1, false, true, kOwn);

    // The front panel routes input 3 to output D; the page's next visit finds it.
    model.State().routing[3] = 3;
    Enter(res::kGeneralLabel);
    TakeChanges();
    Enter(res::kMatrixLabel);
    c = TakeChanges();
    ASSERT_EQ(c.size(), 1u);
    ExpectChange(c[0], StateItem::kRoute, 4, 4, 3, kElsewhere);

    // General page: Status reads every connection; a display plugged into H is found.
    Enter(res::kGeneralLabel);
    TakeChanges();
    model.State().outputConnected[7] = true;
    dlg->Click(res::kStatusButton);
    loop.Advance(2000);
    c = TakeChanges();
    ASSERT_EQ(c.size(), 16u);  // each was unknown before
    ExpectChange(c.back(), StateItem::kOutputConnection, 8, {}, true, kElsewhere);
    model.State().outputConnected[7] = false;
    dlg->Click(res::kStatusButton);
    loop.Advance(2000);
    c = TakeChanges();
    ASSERT_EQ(c.size(), 1u);
    ExpectChange(c[0], StateItem::kOutputConnection, 8, true, false, kElsewhere);

    // Beep and power from their boxes.
    dlg->Click(res::kEnableBeepBox);
    loop.Advance(kReplyMs);
    c = TakeChanges();
    ASSERT_EQ(c.size(), 1u);
    ExpectChange(c[0], StateItem::kBeep, 0, true, false, kOwn);
}

TEST_F(LiveDesk, AnEdidSetIsTheProgramsChangeWhenItsReadingFindsItAndOnlyThen) {
    ConnectCom();
    Enter(res::kEdidLabel);
    TakeChanges();
    CEDIDDlg& edid = app->EdidPage();
    edid.Select(res::kPresetList, 4);
    edid.Select(res::kPresetInputList, 2);  // IN3
    // Meanwhile someone else changes input 6.
    model.State().edidCode[5] = 9;
    edid.Click(res::kPresetSetButton);
    loop.Advance(500);
    CloseMessage();
    loop.Advance(5000);
    auto c = TakeChanges();
    ASSERT_EQ(c.size(), 2u);
    ExpectChange(c[0], StateItem::kEdid, 3, 0, 4, kOwn);
    ExpectChange(c[1], StateItem::kEdid, 6, 0, 9, kElsewhere);
    // A later change of input 3 by someone else is theirs.
    model.State().edidCode[2] = 7;
    edid.Click(res::kEdidStatusButton);
    loop.Advance(2000);
    c = TakeChanges();
    ASSERT_EQ(c.size(), 1u);
    ExpectChange(c[0], StateItem::kEdid, 3, 4, 7, kElsewhere);
}

TEST_F(LiveDesk, IdentityAndDeviceTextAreKnownOnceTheUpgradePageReadsThem) {
    model.State().identity.versionMajor = 3;
    model.State().identity.versionMinor = 7;
    ConnectCom();
    Enter(res::kUpgradeLabel);
    EXPECT_EQ(Known(StateItem::kDeviceType), StateValue{1});
    EXPECT_EQ(Known(StateItem::kVersion), StateValue{std::string("3.7")});
    const auto* text = std::get_if<std::string>(&Known(StateItem::kDeviceText));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->size(), 32u);
}

TEST_F(LiveDesk, ANewLinkForgetsWhatTheLastOneConfirmed) {
    ConnectCom();
    EXPECT_EQ(Known(StateItem::kPower), StateValue{true});
    dlg->Click(res::kComConnectButton);  // Disconnect
    model.State().powerOn = false;
    dlg->Click(res::kComConnectButton);
    EXPECT_EQ(Known(StateItem::kPower), StateValue{});
    TakeChanges();
    loop.Advance(kReplyMs);
    auto c = TakeChanges();
    ASSERT_EQ(c.size(), 1u);
    ExpectChange(c[0], StateItem::kPower, 0, {}, false, kElsewhere);
}

}  // namespace
}  // namespace torvane::test
