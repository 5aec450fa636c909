// The Matrix page as the operator uses it, on virtual time against the
// in-process simulated switcher on the serial link.

#include <gtest/gtest.h>

#include <set>

#include "app/operator_fixture.h"
#include "pages/matrix_dlg.h"
#include "pages/page_snapshot.h"
#include "res/dialog_templates.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

const res::MatrixOutputIds& Ids(int output) { return res::kMatrixOutputs[output - 1]; }
int In(int output, int input) { return Ids(output).inputs[input - 1]; }

TEST(MatrixPageTemplate, EveryOutputGroupHasItsControlsInPlace) {
    const DialogTemplate& t = res::MatrixPageTemplate();
    EXPECT_EQ(t.id, 134);
    EXPECT_EQ(t.width, 343);
    EXPECT_EQ(t.height, 274);
    ControlTable table(t);
    std::set<int> seen;
    for (const Control& c : table.All()) EXPECT_TRUE(seen.insert(c.id).second) << c.id;
    struct Case {
        int output;
        int id;
        ControlKind kind;
        const char* text;
        Rect rect;
    };
    const Case cases[] = {
        {1, In(1, 1), ControlKind::kCheckBox, "IN1", {6, 56, 19, 15}},
        {1, In(1, 7), ControlKind::kCheckBox, "IN7", {44, 73, 19, 15}},
        {2, In(2, 3), ControlKind::kCheckBox, "IN3", {128, 56, 19, 15}},
        {5, In(5, 8), ControlKind::kCheckBox, "IN8", {63, 206, 19, 15}},  // lower row: one down
        {1, Ids(1).picture, ControlKind::kPicture, "", {24, 12, 80, 80}},
        {8, Ids(8).picture, ControlKind::kPicture, "", {276, 145, 80, 80}},
        {4, Ids(4).previous, ControlKind::kPushButton, "", {277, 90, 19, 15}},
        {6, Ids(6).next, ControlKind::kPushButton, "", {128, 223, 19, 15}},
        {3, Ids(3).arcOn, ControlKind::kCheckBox, "ON", {193, 114, 24, 15}},
        {7, Ids(7).arcOff, ControlKind::kCheckBox, "OFF", {221, 246, 24, 15}},
    };
    for (const Case& c : cases) {
        const Control& control = table.At(c.id);
        EXPECT_EQ(control.kind, c.kind) << c.id;
        EXPECT_EQ(control.text, c.text) << c.id;
        EXPECT_EQ(control.rect.x, c.rect.x) << c.id;
        EXPECT_EQ(control.rect.y, c.rect.y) << c.id;
        EXPECT_EQ(control.rect.width, c.rect.width) << c.id;
        EXPECT_EQ(control.rect.height, c.rect.height) << c.id;
    }
    for (int o = 1; o <= 8; ++o) {
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ(table.At(In(o, i)).style & (kAutoCheck | kPushLike), kAutoCheck | kPushLike);
        EXPECT_EQ(table.At(Ids(o).picture).image, res::kUnknownInputBitmap);
        EXPECT_EQ(table.At(Ids(o).previous).image, 162);
        EXPECT_EQ(table.At(Ids(o).next).image, 161);
    }
    int groups = 0;
    for (const Control& c : table.All()) {
        if (c.kind != ControlKind::kGroupBox) continue;
        EXPECT_EQ(c.text, std::string("OUTPUT ") + char('A' + groups++));
    }
    EXPECT_EQ(groups, 8);
}

class MatrixPage : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        matrix = InstallPage<CMatrixDlg>();
    }

    // Enters the page and lets its whole refresh chain run.
    void Enter() {
        ClickLabel(res::kMatrixLabel);
        loop.Advance(1000);
    }
    // Advances a millisecond at a time until `done` holds (at most `maxMs`).
    void AdvanceUntil(const std::function<bool()>& done, int maxMs = 10000) {
        for (int t = 0; t < maxMs && !done(); ++t) loop.Advance(1);
        ASSERT_TRUE(done());
    }

    bool Marked(int id) const { return matrix->Controls().Checked(id); }
    // The input button checked on `output`: 0 for none, -1 for several.
    int MarkedInput(int output) const {
        int marked = 0;
        for (int i = 1; i <= 8; ++i)
            if (Marked(In(output, i))) marked = marked ? -1 : i;
        return marked;
    }
    // The digit `output`'s picture shows: 0 for none.
    int Digit(int output) const {
        const int image = matrix->Controls().At(Ids(output).picture).image;
        for (int d = 1; d <= 8; ++d)
            if (res::kDigitBitmaps[d - 1] == image) return d;
        return 0;
    }
    std::string Arc(int output) const {
        const bool on = Marked(Ids(output).arcOn), off = Marked(Ids(output).arcOff);
        return on && off ? "both" : on ? "on" : off ? "off" : "none";
    }
    void Click(int id) {
        matrix->Click(id);
        loop.RunPending();
    }
    // The operator's way of reopening the gate while a command is pending.
    void ClearLogs() { dlg->Click(res::kClearLogsButton); }

    CMatrixDlg* matrix = nullptr;
};

TEST_F(MatrixPage, FirstVisitRefreshesRoutingThenArc) {
    model.State().routing = {3, 1, 8, 2, 5, 5, 7, 4};
    model.State().arcOn = {true, false, false, false, false, false, false, true};
    ConnectCom();
    Wire();
    ClickLabel(res::kMatrixLabel);
    EXPECT_TRUE(matrix->WindowVisible());
    EXPECT_EQ(matrix->WindowPosition().x, 1);
    EXPECT_EQ(matrix->WindowPosition().y, 56);
    // Before any reply: no digit anywhere, nothing checked.
    for (int o = 1; o <= 8; ++o) {
        EXPECT_EQ(Digit(o), 0);
        EXPECT_EQ(MarkedInput(o), 0);
        EXPECT_EQ(Arc(o), "none");
    }
    EXPECT_EQ(Wire(), V{"A5 5B 02 01 01 00 00 00 00 00 00 00 FC"});
    loop.Advance(1000);

    V expected;
    for (int k = 2; k <= 8; ++k) expected.push_back(Frame("02 01 0" + std::to_string(k)));
    expected.push_back("A5 5B 10 02 00 00 01 00 00 00 00 00 ED");
    for (int n = 2; n <= 8; ++n) expected.push_back(Frame("10 02 00 00 0" + std::to_string(n)));
    EXPECT_EQ(Wire(), expected);
    for (int o = 1; o <= 8; ++o) {
        const int input = model.State().routing[o - 1];
        EXPECT_EQ(MarkedInput(o), input) << "output " << o;
        EXPECT_EQ(Digit(o), input);
        EXPECT_EQ(matrix->CurrentInput(o), input);
        EXPECT_EQ(Arc(o), model.State().arcOn[o - 1] ? "on" : "off");
    }
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_FALSE(dlg->Timers().IsRunning(1000));
    EXPECT_FALSE(matrix->AwaitingSwitcher());
    loop.Advance(20000);
    EXPECT_EQ(Message(), "");
}

TEST_F(MatrixPage, RouteIsShownOnlyWhenAcknowledged) {
    ConnectCom();
    Enter();
    Wire();
    // Unchecked button: the click's own mark is undone until the switcher confirms.
    Click(In(2, 3));
    EXPECT_EQ(Wire(), V{"A5 5B 02 03 03 00 02 00 00 00 00 00 F6"});
    EXPECT_FALSE(Marked(In(2, 3)));
    EXPECT_TRUE(Marked(In(2, 2)));
    EXPECT_EQ(Digit(2), 2);
    EXPECT_TRUE(matrix->Timers().IsRunning(6024));
    EXPECT_FALSE(dlg->BusyGateOpen());
    Settle();
    EXPECT_EQ(MarkedInput(2), 3);
    EXPECT_EQ(Digit(2), 3);
    EXPECT_EQ(matrix->CurrentInput(2), 3);
    EXPECT_EQ(model.State().routing[1], 3);
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_FALSE(matrix->AwaitingSwitcher());

    // Checked button: sent again, and it stays checked throughout.
    Click(In(2, 3));
    EXPECT_EQ(Wire(), V{Frame("02 03 03 00 02")});
    EXPECT_TRUE(Marked(In(2, 3)));
    Settle();
    EXPECT_EQ(MarkedInput(2), 3);
}

TEST_F(MatrixPage, ArcCommandsAndTheirAcknowledgements) {
    ConnectCom();
    Enter();
    Wire();
    Click(Ids(1).arcOn);
    EXPECT_EQ(Wire(), V{"A5 5B 10 01 0F 00 01 00 00 00 0F 00 D0"});
    EXPECT_EQ(Arc(1), "off");
    EXPECT_TRUE(matrix->Timers().IsRunning(7000));
    Settle();
    EXPECT_EQ(Arc(1), "on");
    EXPECT_TRUE(dlg->BusyGateOpen());

    // ON while ON is checked sends the command again.
    Click(Ids(1).arcOn);
    EXPECT_EQ(Wire(), V{Frame("10 01 0F 00 01 00 00 00 0F")});
    EXPECT_EQ(Arc(1), "on");
    Settle();

    Click(Ids(8).arcOff);
    EXPECT_EQ(Wire(), V{"A5 5B 10 01 F0 00 08 00 00 00 F0 00 07"});
    EXPECT_TRUE(matrix->Timers().IsRunning(7030));
    Settle();
    EXPECT_EQ(Arc(8), "off");
    EXPECT_FALSE(matrix->AwaitingSwitcher());
}

TEST_F(MatrixPage, SilentCommandIsResentOnceThenTimesOut) {
    ConnectCom();
    Enter();
    Wire();
    model.Faults().silent = true;
    Click(In(5, 7));
    EXPECT_EQ(Wire(), V{Frame("02 03 07 00 05")});
    loop.Advance(2999);
    EXPECT_EQ(Wire(), V{});
    loop.Advance(1);
    EXPECT_EQ(Wire(), V{Frame("02 03 07 00 05")});
    loop.Advance(2999);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    EXPECT_FALSE(dlg->BusyGateOpen()) << "reopened only when the message is closed";
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(MarkedInput(5), 5);
    EXPECT_FALSE(matrix->AwaitingSwitcher());
}

TEST_F(MatrixPage, StepButtonsWrapAroundAndKeepTheStoredEnds) {
    ConnectCom();
    // A silent switcher: the entry times out and the table keeps its 1s.
    model.Faults().silent = true;
    ClickLabel(res::kMatrixLabel);
    loop.Advance(7000);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    Wire();

    struct Step {
        int output;
        bool next;
        std::string sent;  // bytes 2 on
        int timer;
        int stored;
    };
    const Step steps[] = {
        {1, true, "02 03 02 00 01", 6018, 1},   // next from 1 sends 2
        {1, false, "02 03 08 00 01", 6016, 9},  // previous from 1 sends 8, stores 9
        {1, false, "02 03 08 00 01", 6016, 9},  // unconfirmed: again 8
        {1, true, "02 03 01 00 01", 6018, 0},   // next from 9 sends 1, stores 0
        {1, false, "02 03 08 00 01", 6016, 9},  // previous from 0 sends 8
        {8, false, "02 03 08 00 08", 6156, 9}, {8, true, "02 03 01 00 08", 6158, 0},
    };
    for (const Step& s : steps) {
        matrix->Click(s.next ? Ids(s.output).next : Ids(s.output).previous);
        loop.RunPending();
        EXPECT_EQ(Wire(), V{Frame(s.sent)}) << s.sent;
        EXPECT_TRUE(matrix->Timers().IsRunning(s.timer)) << s.timer;
        EXPECT_EQ(matrix->CurrentInput(s.output), s.stored);
        loop.Advance(6000);
        PressOk();
        Wire();
    }

    // Confirmed: the table takes the acknowledged input.
    model.Faults().silent = false;
    model.State().routing[3] = 8;
    matrix->Click(Ids(4).next);
    Settle();
    EXPECT_EQ(matrix->CurrentInput(4), 2);
    EXPECT_EQ(MarkedInput(4), 2);
    matrix->Click(Ids(4).previous);
    Settle();
    EXPECT_EQ(MarkedInput(4), 1);
    EXPECT_EQ(Digit(4), 1);
}

TEST_F(MatrixPage, RefusedClicksChangeNothing) {
    // Link closed: the page shows, and the gate reports it.
    ClickLabel(res::kMatrixLabel);
    EXPECT_TRUE(matrix->WindowVisible());
    EXPECT_EQ(Message(), "Open COM failed!");
    PressOk();
    Click(In(1, 4));
    EXPECT_EQ(Message(), "Open COM failed!");
    PressOk();
    Click(Ids(1).arcOn);
    PressOk();
    Click(Ids(1).next);
    PressOk();
    EXPECT_EQ(MarkedInput(1), 0);
    EXPECT_EQ(Arc(1), "none");
    EXPECT_EQ(matrix->CurrentInput(1), 1);

    // Link open, a command pending: silently refused, the table untouched.
    ClickLabel(res::kGeneralLabel);
    PressOk();
    ConnectCom();
    Enter();
    model.Faults().silent = true;
    Click(In(1, 4));
    Wire();
    for (int id : {In(1, 5), In(1, 1), Ids(1).arcOn, Ids(1).previous, Ids(1).next}) {
        Click(id);
        EXPECT_EQ(Message(), "");
    }
    EXPECT_EQ(Wire(), V{});
    EXPECT_EQ(MarkedInput(1), 1);
    EXPECT_EQ(Arc(1), "off");
    EXPECT_EQ(matrix->CurrentInput(1), 1);
    // Keys that would press a focused button are discarded.
    matrix->KeyDown(kKeySpace);
    loop.RunPending();
    EXPECT_EQ(Wire(), V{});
}

TEST_F(MatrixPage, StatusRepliesOutsideTheInputsChangeNoControl) {
    model.State().routing = {2, 0, 9, 4, 5, 6, 7, 8};
    ConnectCom();
    Enter();
    EXPECT_EQ(MarkedInput(1), 2);
    for (int o : {2, 3}) {
        EXPECT_EQ(MarkedInput(o), 0) << o;
        EXPECT_EQ(Digit(o), 0);
        EXPECT_EQ(matrix->CurrentInput(o), 1);
    }
    // The chain went on to the end.
    EXPECT_EQ(MarkedInput(8), 8);
    EXPECT_EQ(Arc(8), "off");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(MatrixPage, StatusReplyNamingNoOutputStopsTheChain) {
    ConnectCom();
    model.Faults().dropNextReplies = 1;
    ClickLabel(res::kMatrixLabel);
    Settle();
    Wire();
    DeviceSays("02 01 00 00 03");
    // The queried output still shows the input; the chain goes no further.
    EXPECT_EQ(MarkedInput(1), 3);
    EXPECT_EQ(Digit(1), 3);
    loop.Advance(6000);
    EXPECT_EQ(Wire(), V{});
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(1000);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(MatrixPage, SilentStatusQueryTimesOutAfterSevenSeconds) {
    ConnectCom();
    ClickLabel(res::kMatrixLabel);
    AdvanceUntil([&] { return matrix->Timers().IsRunning(7035); });  // ARC query 4 out
    model.Faults().silent = true;  // its reply is already on the way
    AdvanceUntil([&] { return matrix->Timers().IsRunning(7036); });
    Wire();
    loop.Advance(6999);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    EXPECT_EQ(Wire(), V{}) << "no resend of a query";
    EXPECT_FALSE(dlg->BusyGateOpen());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Arc(4), "off");
    EXPECT_EQ(Arc(5), "none");
}

TEST_F(MatrixPage, AcknowledgementCancelsEveryTimerOfItsKind) {
    ConnectCom();
    Enter();
    model.Faults().silent = true;
    // Three commands pending at once, the gate reopened by hand in between.
    Click(In(1, 2));  // 6002
    ClearLogs();
    Click(Ids(3).next);  // 6058
    ClearLogs();
    Click(Ids(2).arcOn);  // 7004
    ClearLogs();
    Click(Ids(5).arcOn);  // 7016
    ClearLogs();
    Click(Ids(6).arcOff);  // 7022
    loop.Advance(3000);    // each is resent: the give-up timers run now
    for (int id : {6003, 6059, 7005, 7017, 7023}) EXPECT_TRUE(matrix->Timers().IsRunning(id));

    DeviceSays("10 01 00 00 05 00 00 00 0F");
    EXPECT_EQ(Arc(5), "on");
    EXPECT_EQ(Arc(2), "off") << "only the output named is marked";
    EXPECT_FALSE(matrix->Timers().IsRunning(7005));
    EXPECT_FALSE(matrix->Timers().IsRunning(7017));
    EXPECT_TRUE(matrix->Timers().IsRunning(7023)) << "the other direction keeps its timers";
    EXPECT_TRUE(dlg->BusyGateOpen());

    // A route acknowledgement settles every route command, and marks the
    // one the outgoing frame holds.
    Click(In(4, 1));  // 6060
    DeviceSays("02 03 00 00 04 00 00 00 01");
    for (int id : {6003, 6059, 6060}) EXPECT_FALSE(matrix->Timers().IsRunning(id));
    EXPECT_EQ(MarkedInput(4), 1);
    EXPECT_EQ(MarkedInput(1), 1);
    EXPECT_EQ(MarkedInput(3), 3);
    EXPECT_TRUE(dlg->BusyGateOpen());

    // An ARC acknowledgement naming no output marks nothing, still reopens the gate.
    Click(Ids(6).arcOff);
    DeviceSays("10 01 00 00 00 00 00 00 F0");
    EXPECT_FALSE(matrix->AwaitingSwitcher());
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(Arc(6), "off");
}

TEST_F(MatrixPage, RepliesOfOtherGroupsAreIgnored) {
    ConnectCom();
    Enter();
    model.Faults().silent = true;
    Click(In(1, 2));
    for (const char* body : {"0A 01 00 00 01", "90 01 00 00 01", "02 03 EE 00 01"}) {
        DeviceSays(body);
        EXPECT_FALSE(dlg->BusyGateOpen()) << body;
        EXPECT_TRUE(matrix->Timers().IsRunning(6002)) << body;
        ClearLogs();
        Click(In(1, 2));
    }
    EXPECT_EQ(MarkedInput(1), 1);
}

TEST_F(MatrixPage, LeavingMidChainLeavesItsTimerToReport) {
    model.State().routing = {4, 4, 4, 4, 4, 4, 4, 4};
    ConnectCom();
    ClickLabel(res::kMatrixLabel);
    AdvanceUntil([&] { return matrix->Timers().IsRunning(7034); });
    // The refresh holds the gate; clearing the logs opens it, so the labels
    // work again.
    ClearLogs();
    ClickLabel(res::kGeneralLabel);
    EXPECT_FALSE(matrix->WindowVisible());
    loop.Advance(6999);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();

    // Back on the page: the marks stay until the new chain's replies change them.
    model.State().routing = {6, 6, 6, 6, 6, 6, 6, 6};
    ClickLabel(res::kMatrixLabel);
    EXPECT_EQ(MarkedInput(8), 4);
    EXPECT_EQ(Digit(8), 4);
    loop.Advance(1000);
    EXPECT_EQ(MarkedInput(8), 6);
    EXPECT_EQ(Digit(8), 6);
}

// From the first routing query to the last ARC answer the gate stays closed:
// a click at any point of the refresh sends nothing, and the chain runs to
// its end with every answer where it belongs. Cases: the page timer running
// when the operator clicks (the routing queries, ARC queries 1, 2 and 8).
class OperatorCommandDuringTheRefresh : public MatrixPage,
                                        public ::testing::WithParamInterface<int> {};

TEST_P(OperatorCommandDuringTheRefresh, IsRefusedUntilTheChainEnds) {
    model.State().arcOn = {false, true, false, true, false, false, false, true};
    ConnectCom();
    ClickLabel(res::kMatrixLabel);
    AdvanceUntil([&] { return matrix->Timers().IsRunning(GetParam()); });
    Wire();
    Click(In(2, 5));
    Click(Ids(3).arcOn);
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(1000);
    for (const std::string& unit : Wire()) EXPECT_NE(unit.substr(6, 5), "02 03") << unit;
    EXPECT_EQ(model.State().routing[1], 2);
    EXPECT_FALSE(model.State().arcOn[2]);
    for (int o = 1; o <= 8; ++o) {
        EXPECT_EQ(Digit(o), o);
        EXPECT_EQ(Arc(o), model.State().arcOn[o - 1] ? "on" : "off") << o;
    }
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_FALSE(matrix->AwaitingSwitcher());
    loop.Advance(20000);
    EXPECT_EQ(Message(), "");

    Click(In(2, 5));
    EXPECT_EQ(Wire(), V{Frame("02 03 05 00 02")});
    Settle();
    EXPECT_EQ(Digit(2), 5);
    EXPECT_EQ(MarkedInput(2), 5);
}

INSTANTIATE_TEST_SUITE_P(ChainPoints, OperatorCommandDuringTheRefresh,
                         ::testing::Values(1000, 7032, 7033, 7039));

// A picture shows a digit only once the switcher has named that output's
// input; until then it shows the square without a digit. The switcher stays
// silent and the test speaks for it: the answers to the first routing queries.
struct PictureCase {
    std::vector<std::string> answers;  // bytes 2 onwards
    std::string shown;                 // per output: its digit, or '?' for none
};

class PicturesBeforeConfirmation : public MatrixPage,
                                   public ::testing::WithParamInterface<PictureCase> {};

TEST_P(PicturesBeforeConfirmation, ShowADigitOnlyForAConfirmedInput) {
    ConnectCom();
    model.Faults().silent = true;
    ClickLabel(res::kMatrixLabel);
    loop.RunPending();
    for (const std::string& answer : GetParam().answers) DeviceSays(answer);
    std::string shown;
    for (int o = 1; o <= 8; ++o) {
        const int image = matrix->Controls().At(Ids(o).picture).image;
        shown += image == res::kUnknownInputBitmap ? '?' : static_cast<char>('0' + Digit(o));
    }
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PicturesBeforeConfirmation,
    ::testing::Values(PictureCase{{}, "????????"}, PictureCase{{"02 01 01 00 03"}, "3???????"},
                      PictureCase{{"02 01 01 00 01", "02 01 02 00 01"}, "11??????"},
                      PictureCase{{"02 01 01 00 00", "02 01 02 00 05"}, "?5??????"},
                      PictureCase{{"02 01 01 00 09"}, "????????"}));

// One command pending with the switcher silent, or the refresh waiting for
// its first ARC answer, when the test's frame arrives. Output A's ARC is off,
// but on for the first refresh case.
enum class Pending { kRouteIn3ToB, kArcOnForA, kFirstArcQuery, kFirstArcQueryWithArcOff };

class MatrixPendingTest : public MatrixPage {
  protected:
    void Prepare(Pending pending) {
        model.State().arcOn[0] = pending == Pending::kFirstArcQuery;
        ConnectCom();
        Enter();
        model.Faults().silent = true;
        switch (pending) {
            case Pending::kRouteIn3ToB:
                Click(In(2, 3));
                break;
            case Pending::kArcOnForA:
                Click(Ids(1).arcOn);
                break;
            case Pending::kFirstArcQuery:
            case Pending::kFirstArcQueryWithArcOff:
                // Entered again; the routing answers come from the test.
                ClickLabel(res::kMatrixLabel);
                loop.RunPending();
                for (int k = 1; k <= 8; ++k)
                    DeviceSays("02 01 0" + std::to_string(k) + " 00 0" + std::to_string(k));
                ASSERT_TRUE(matrix->Timers().IsRunning(7032));
                break;
        }
        Wire();
    }
};

// Replies that come close to what the page waits for but are not it change
// nothing at all: gate, timers, marks, pictures, units sent.
struct NearMiss {
    Pending pending;
    const char* frame;  // bytes 2 onwards
};

class MatrixNearMiss : public MatrixPendingTest, public ::testing::WithParamInterface<NearMiss> {};

TEST_P(MatrixNearMiss, ChangesNothing) {
    Prepare(GetParam().pending);
    const std::string before = PageSnapshot(*dlg, *matrix, matrix->Timers());
    DeviceSays(GetParam().frame);
    EXPECT_EQ(PageSnapshot(*dlg, *matrix, matrix->Timers()), before);
    EXPECT_EQ(Wire(), V{});
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MatrixNearMiss,
    ::testing::Values(
        // Route acknowledgement: byte 4 not 00, another command, another group.
        NearMiss{Pending::kRouteIn3ToB, "02 03 03 00 02"},
        NearMiss{Pending::kRouteIn3ToB, "02 04 00 00 02"},
        NearMiss{Pending::kRouteIn3ToB, "03 03 00 00 02"},
        NearMiss{Pending::kRouteIn3ToB, "12 03 00 00 02"},
        // A status reply naming no output and no input.
        NearMiss{Pending::kRouteIn3ToB, "02 01 00 00 00"},
        // ARC acknowledgement: byte 4 not 00, byte 10 neither on nor off,
        // another group or command.
        NearMiss{Pending::kArcOnForA, "10 01 01 00 01 00 00 00 0F"},
        NearMiss{Pending::kArcOnForA, "10 01 00 00 01 00 00 00 0E"},
        NearMiss{Pending::kArcOnForA, "10 01 00 00 01 00 00 00 00"},
        NearMiss{Pending::kArcOnForA, "11 01 00 00 01 00 00 00 0F"},
        NearMiss{Pending::kArcOnForA, "10 03 0F 00 01 00 00 00 F0"},
        // ARC status replies for no output, or not a status reply.
        NearMiss{Pending::kFirstArcQuery, "10 02 0F 00 00"},
        NearMiss{Pending::kFirstArcQuery, "10 02 0F 00 09"},
        NearMiss{Pending::kFirstArcQuery, "10 01 0F 00 01"}));

// Frames that fit two rules, or a rule with an ARC state that is neither on
// nor off: the first rule that fits decides, and an odd state marks nothing,
// whichever way the boxes stood, while the refresh goes on.
struct PartFit {
    Pending pending;
    const char* frame;
    const char* arcA;  // output A's boxes afterwards
    bool gateOpen;
    std::vector<std::string> sent;  // the units that follow
};

class MatrixPartFit : public MatrixPendingTest, public ::testing::WithParamInterface<PartFit> {};

TEST_P(MatrixPartFit, FirstRuleDecidesAndOddStatesMarkNothing) {
    const PartFit& c = GetParam();
    Prepare(c.pending);
    DeviceSays(c.frame);
    EXPECT_EQ(Arc(1), c.arcA);
    EXPECT_EQ(dlg->BusyGateOpen(), c.gateOpen);
    EXPECT_EQ(Wire(), c.sent);
    EXPECT_FALSE(matrix->Timers().IsRunning(7000));
    EXPECT_FALSE(matrix->Timers().IsRunning(7032));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MatrixPartFit,
    ::testing::Values(
        // ARC acknowledgement (on) and ARC status reply for output 1 at once.
        PartFit{Pending::kArcOnForA, "10 02 00 00 01 00 00 00 0F", "on", true, {}},
        PartFit{Pending::kFirstArcQuery, "10 02 55 00 01", "on", false, {Frame("10 02 00 00 02")}},
        PartFit{Pending::kFirstArcQuery, "10 02 00 00 01", "on", false, {Frame("10 02 00 00 02")}},
        PartFit{Pending::kFirstArcQuery, "10 02 FF 00 01", "on", false, {Frame("10 02 00 00 02")}},
        PartFit{Pending::kFirstArcQueryWithArcOff,
                "10 02 55 00 01",
                "off",
                false,
                {Frame("10 02 00 00 02")}},
        PartFit{Pending::kFirstArcQueryWithArcOff,
                "10 02 00 00 01",
                "off",
                false,
                {Frame("10 02 00 00 02")}}));

}  // namespace
}  // namespace torvane::test
