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

TEST_F(EdidListTest, EntryListsEveryInputAndNamesCodesAbove16ByTheirCode) {
    model.State().edidCode = {0x00, 0x0E, 0x0F, 0x16, 0x17, 0x03, 0x10, 0xFF};
    EnterEdidPage();
    V queries;
    for (int n = 1; n <= 8; ++n) queries.push_back(Frame("01 0C 0" + std::to_string(n)));
    EXPECT_EQ(Wire(), queries);
    const char* expected[] = {
        "1080p,Stereo Audio 2.0", "4K2K60,HD Audio 7.1",    "COPY TX A", "COPY TX H",
        "Other EDID (17)",        "1080i,Stereo Audio 2.0", "COPY TX B", "Other EDID (FF)"};
    const int codes[] = {0x00, 0x0E, 0x0F, 0x16, 0x17, 0x03, 0x10, 0xFF};
    for (int n = 1; n <= 8; ++n) {
        EXPECT_EQ(InputText(n), expected[n - 1]) << "IN" << n;
        EXPECT_EQ(page->EdidCode(n), codes[n - 1]) << "IN" << n;
    }
    EXPECT_TRUE(dlg->BusyGateOpen());
    EXPECT_FALSE(dlg->Timers().IsRunning(1000));  // the entry's time-out, stopped by IN1's answer

    // "Status" reads them again; a code 17 replaces what the label said.
    model.State().edidCode = {0x17, 0x01, 0x0F, 0x16, 0x17, 0x03, 0x10, 0xFF};
    page->Click(res::kEdidStatusButton);
    EXPECT_FALSE(dlg->Busy().Flagged());  // no busy dialog for the list
    loop.Advance(1000);
    EXPECT_EQ(Wire(), queries);
    EXPECT_EQ(InputText(1), "Other EDID (17)");
    EXPECT_EQ(InputText(2), "1080p,Dolby/DTS 5.1");
    EXPECT_TRUE(dlg->BusyGateOpen());
}

TEST_F(EdidListTest, ASuccessfulSetIsFollowedByTheListOnceItsResultHasShown) {
    EnterEdidPage();
    Wire();
    struct Case {
        const char* name;
        int copyOutput;  // 0: preset 15 on IN2 instead; output C has no display
        bool refreshed;
    } const cases[] = {
        {"preset", 0, true},
        {"copy from an output with a display", 2, true},
        {"copy refused", 3, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.copyOutput) {
            page->Select(res::kCopyOutputList, c.copyOutput - 1);
            page->Select(res::kCopyInputList, 1);
            page->Click(res::kCopySetButton);
        } else {
            page->Select(res::kPresetList, 14);
            page->Select(res::kPresetInputList, 1);
            page->Click(res::kPresetSetButton);
        }
        loop.Advance(100);
        Wire();
        loop.Advance(790);  // the result shows for 900 ms
        EXPECT_EQ(Wire(), V{});
        loop.Advance(1000);
        EXPECT_EQ(Wire().size(), c.refreshed ? 8u : 0u);
        if (!c.refreshed) PressOk();  // the refusal's message
        EXPECT_TRUE(dlg->BusyGateOpen());
    }
    EXPECT_EQ(InputText(2), "COPY TX B");
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
