// The EDID page's input list: filled on page entry and by "Status", one input
// after the other, and what a silent switcher does to the chain.

#include "edid_fixture.h"

namespace torvane::test {
namespace {

class EdidListTest : public EdidPageTest {
  protected:
    // Enter the page only once the test has set the switcher up.
    void SetUp() override { ConnectWithPage(); }
};

TEST_F(EdidListTest, EntryListsEveryInputAndCodesAbove16KeepTheLabel) {
    model.State().edidCode = {0x00, 0x0E, 0x0F, 0x16, 0x17, 0x03, 0x10, 0xFF};
    EnterEdidPage();
    V queries;
    for (int n = 1; n <= 8; ++n) queries.push_back(Frame("01 0C 0" + std::to_string(n)));
    EXPECT_EQ(Wire(), queries);
    const char* expected[] = {
        "1080p,Stereo Audio 2.0", "4K2K60,HD Audio 7.1",    "COPY TX A", "COPY TX H",
        "Default EDID",           "1080i,Stereo Audio 2.0", "COPY TX B", "Default EDID"};
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(InputText(n), expected[n - 1]) << "IN" << n;
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_FALSE(dlg->Timers().IsRunning(1000));  // the entry's time-out, stopped by IN1's answer

    // "Status" reads them again; a code 17 leaves the text the label had.
    model.State().edidCode = {0x17, 0x01, 0x0F, 0x16, 0x17, 0x03, 0x10, 0xFF};
    page->Click(res::kEdidStatusButton);
    EXPECT_FALSE(dlg->Busy().Flagged());  // no busy dialog for the list
    loop.Advance(1000);
    EXPECT_EQ(Wire(), queries);
    EXPECT_EQ(InputText(1), "1080p,Stereo Audio 2.0");
    EXPECT_EQ(InputText(2), "1080p,Dolby/DTS 5.1");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(EdidListTest, AnInputThatDoesNotAnswerIsAskedOnceMoreThenTheChainGivesUp) {
    EnterEdidPage();
    Wire();
    model.Faults().silent = true;
    page->Click(res::kEdidStatusButton);
    DeviceSays("01 0C 01 00 09");
    DeviceSays("01 0C 02 00 0A");
    EXPECT_EQ(InputText(2), "4K2K30,Dolby/DTS 5.1");
    EXPECT_EQ(Wire(), (V{Frame("01 0C 01"), Frame("01 0C 02"), Frame("01 0C 03")}));
    loop.Advance(2999);
    EXPECT_EQ(Wire(), V{});
    loop.Advance(1);
    EXPECT_EQ(Wire(), V{Frame("01 0C 03")});  // timer 2515 resends IN3's query
    loop.Advance(2999);
    EXPECT_EQ(Message(), "");
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");  // timer 2516
    EXPECT_FALSE(dlg->BusyGateOpen());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_EQ(InputText(3), "1080p,Stereo Audio 2.0");  // from the entry, untouched
    loop.Advance(20000);
    EXPECT_EQ(Wire(), V{});
}

TEST_F(EdidListTest, ASilentSwitcherAtEntryTimesOutOnTheMainWindowsTimerAlone) {
    model.Faults().silent = true;
    ClickLabel(res::kEdidLabel);
    EXPECT_EQ(Wire(), V{Frame("01 0C 01")});
    loop.Advance(6999);
    EXPECT_EQ(Wire(), V{});  // no resend for the entry's question
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    for (int n = 1; n <= 8; ++n) EXPECT_EQ(InputText(n), "Default EDID");
}

}  // namespace
}  // namespace torvane::test
