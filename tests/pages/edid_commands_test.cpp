// Presets and copies from the EDID page's "Manual Mode" group, against the
// simulated switcher and against a switcher that answers wrongly or not at all.

#include "edid_fixture.h"
#include "pages/page_snapshot.h"

namespace torvane::test {
namespace {

TEST_F(EdidPageTest, SetUpFillsTheListsInTheirOrderAndSelectsTheFirstItems) {
    const auto& ui = page->Controls();
    ASSERT_EQ(ui.Items(res::kPresetList).size(), 15u);
    EXPECT_EQ(ui.Items(res::kPresetList).front(), "1080p,Stereo Audio 2.0");
    EXPECT_EQ(ui.Items(res::kPresetList)[9], "4K2K30,Stereo Audio 2.0");
    EXPECT_EQ(ui.Items(res::kPresetList).back(), "4K2K60,HD Audio 7.1");
    for (int list : {res::kPresetInputList, res::kCopyInputList, res::kFileInputList}) {
        EXPECT_EQ(ui.Items(list).size(), 9u);
        EXPECT_EQ(ui.Items(list).back(), "All Input");
    }
    EXPECT_EQ(ui.Items(res::kCopyOutputList).back(), "HDMI OUTH");
    for (int list : {res::kPresetList, res::kPresetInputList, res::kCopyOutputList,
                     res::kCopyInputList, res::kFileInputList})
        EXPECT_EQ(ui.Selection(list), 0);
    EXPECT_EQ(page->Filter(), KeyFilter::kEnterEscapeSpace);
}

constexpr const char* kRefused = "Can't find the valid data!";

struct SetCase {
    int list;  // preset list or output selector
    int item;
    int inputIndex;    // 8: All Input
    std::string sent;  // bytes 2 onwards
    std::string result;
};

class EdidSetTable : public EdidPageTest {
  protected:
    void Run(const std::vector<SetCase>& cases, int sourceList, int inputList, int button) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.sent);
            page->Select(sourceList, c.item);
            page->Select(inputList, c.inputIndex);
            page->Click(button);
            EXPECT_EQ(BusyLabel(), "Setting . . .");
            EXPECT_FALSE(dlg->BusyGateOpen());
            Settle();
            EXPECT_EQ(Wire(), V{Frame(c.sent)});
            if (c.result == kRefused) {
                // A refusal is a failure: in the message dialog, never beside
                // the success mark, until the operator closes it.
                EXPECT_FALSE(dlg->Busy().Flagged());
                EXPECT_EQ(Message(), kRefused);
                loop.Advance(5000);
                EXPECT_EQ(Message(), kRefused);
                EXPECT_FALSE(dlg->BusyGateOpen());
                PressOk();
                EXPECT_TRUE(dlg->BusyGateOpen());
                continue;
            }
            EXPECT_EQ(BusyLabel(), c.result);
            EXPECT_TRUE(dlg->Busy().CheckMarkShown());
            EXPECT_TRUE(dlg->BusyGateOpen());
            EXPECT_FALSE(page->Timers().IsRunning(1000));
            loop.Advance(899 - kReplyMs + model.Timing().replyDelayMs);
            EXPECT_TRUE(dlg->Busy().Running());
            loop.Advance(1);
            EXPECT_FALSE(dlg->Busy().Running());
            EXPECT_FALSE(dlg->Busy().Flagged());
            // A success is followed by the list, read again.
            Settle();
            EXPECT_EQ(Wire().size(), c.result == "Set successfully!" ? 8u : 0u);
            EXPECT_TRUE(dlg->BusyGateOpen());
        }
    }
};

TEST_F(EdidSetTable, EveryPresetGoesOutAsItsPositionPlusOne) {
    std::vector<SetCase> cases;
    const char* hex = "0123456789ABCDEF";
    for (int p = 0; p < 15; ++p) {
        const int input = p % 9;
        std::string code = std::string("0") + hex[p + 1];
        std::string sent = input == 8 ? "03 01 " + code + " F0 00"
                                      : "03 02 " + code + " F0 0" + std::to_string(input + 1);
        cases.push_back({res::kPresetList, p, input, sent, "Set successfully!"});
    }
    Run(cases, res::kPresetList, res::kPresetInputList, res::kPresetSetButton);
    // The last case, 4K2K60 HD Audio 7.1 to IN6, is stored as status code 0E.
    EXPECT_EQ(model.State().edidCode[5], 0x0E);
}

TEST_F(EdidSetTable, EveryCopyNamesTheOutputAndTheInput) {
    // Only outputs A and B have a display: copying another is refused.
    Run({{res::kCopyOutputList, 0, 0, "03 04 01 00 01", "Set successfully!"},
         {res::kCopyOutputList, 1, 7, "03 04 02 00 08", "Set successfully!"},
         {res::kCopyOutputList, 1, 8, "03 03 02 00 00", "Set successfully!"},
         {res::kCopyOutputList, 2, 3, "03 04 03 00 04", "Can't find the valid data!"},
         {res::kCopyOutputList, 7, 8, "03 03 08 00 00", "Can't find the valid data!"}},
        res::kCopyOutputList, res::kCopyInputList, res::kCopySetButton);
    EXPECT_EQ(model.State().edidCode[0], 0x10);  // COPY TX B, from the copy to all inputs
}

TEST_F(EdidPageTest, ACompletionForAnotherInputDoesNotCompleteAndNothingIsResent) {
    model.Faults().silent = true;
    page->Select(res::kPresetInputList, 2);
    page->Click(res::kPresetSetButton);
    loop.RunPending();
    EXPECT_EQ(Wire(), V{Frame("03 02 01 F0 03")});
    DeviceSays("03 02 00 00 04 00");
    EXPECT_EQ(BusyLabel(), "Setting . . .");
    EXPECT_FALSE(dlg->BusyGateOpen());
    loop.Advance(6999);
    EXPECT_EQ(Message(), "");
    EXPECT_TRUE(dlg->Busy().Running());
    loop.Advance(1);
    EXPECT_EQ(Message(), "Time out!");
    EXPECT_FALSE(dlg->Busy().Running());
    EXPECT_FALSE(dlg->BusyGateOpen());
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    loop.Advance(20000);
    EXPECT_EQ(Wire(), V{});
}

TEST_F(EdidPageTest, AReadyReplyWithNoFileTransferSendsThePresetOfTheSelectionsAgain) {
    model.Faults().silent = true;
    page->Select(res::kPresetList, 4);
    page->Select(res::kPresetInputList, 8);
    page->Select(res::kCopyOutputList, 1);
    page->Click(res::kCopySetButton);
    loop.RunPending();
    EXPECT_EQ(Wire(), V{Frame("03 04 02 00 01")});
    DeviceSays("03 08 00");
    EXPECT_EQ(Wire(), V{Frame("03 01 05 F0 00")});
    // No timer of its own: the copy's time-out still ends the operation.
    EXPECT_EQ(BusyLabel(), "Setting . . .");
    loop.Advance(7000);
    EXPECT_EQ(Message(), "Time out!");
}

TEST_F(EdidPageTest, APendingCommandOrAClosedLinkLetsNothingThrough) {
    model.Faults().silent = true;
    page->Click(res::kEdidStatusButton);
    page->Click(res::kCopySetButton);
    page->Click(res::kPresetSetButton);
    loop.RunPending();
    EXPECT_EQ(Wire(), V{Frame("01 0C 01")});
    EXPECT_FALSE(dlg->Busy().Flagged());
    loop.Advance(6000);
    PressOk();
    // The status query's resend only.
    EXPECT_EQ(Wire(), V{Frame("01 0C 01")});

    model.Faults().silent = false;
    ClickLabel(res::kGeneralLabel);
    Settle();
    Wire();
    dlg->Click(res::kComConnectButton);  // closes the port
    ClickLabel(res::kEdidLabel);
    EXPECT_EQ(Message(), "Open COM failed!");
    PressOk();
    page->Click(res::kPresetSetButton);
    EXPECT_EQ(Message(), "Open COM failed!");
    PressOk();
    EXPECT_TRUE(dlg->BusyGateOpen());
    loop.RunPending();
    EXPECT_EQ(Wire(), V{});
}

// Replies that come close to the completion, the rejection, the block
// request, the ready reply or a status answer, while preset 1 on IN3
// (03 02 01 F0 03 00) waits for its answer: they change nothing at all (gate,
// timers, busy dialog, labels, units sent), and the operation still times out.
class EdidNearMiss : public EdidPageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EdidNearMiss, ChangesNothing) {
    model.Faults().silent = true;
    page->Select(res::kPresetInputList, 2);
    page->Click(res::kPresetSetButton);
    loop.RunPending();
    ASSERT_EQ(Wire(), V{Frame("03 02 01 F0 03")});
    const std::string before = PageSnapshot(*dlg, *page, page->Timers());
    DeviceSays(GetParam());
    EXPECT_EQ(PageSnapshot(*dlg, *page, page->Timers()), before);
    EXPECT_EQ(Wire(), V{});
    loop.Advance(7000);
    EXPECT_EQ(Message(), "Time out!");
}

INSTANTIATE_TEST_SUITE_P(Frames, EdidNearMiss,
                         ::testing::Values("03 02 00 01 03 00",  // completion: byte 5
                                           "03 02 00 00 03 01",  // byte 7
                                           "03 01 00 00 03 00",  // byte 3
                                           "03 02 00 00 04 00",  // byte 6
                                           "03 02 0F 01 03 00",  // rejection: byte 5
                                           "03 02 0F 00 03 01",  // byte 7
                                           "03 04 0F 00 03 00",  // byte 3
                                           "04 02 00 00 03 00",  // another group
                                           "03 02 AA 01",        // block request: byte 5
                                           "03 01 AA 00",        // byte 3
                                           "03 08 01",           // ready reply: byte 4
                                           "01 0C 00 00 05",     // status answer: no input
                                           "01 0C 09 00 05"));

}  // namespace
}  // namespace torvane::test
