#include "ui/window.h"

#include <gtest/gtest.h>

#include <vector>

namespace torvane {
namespace {

constexpr int kBox = 10, kRadioA = 11, kRadioB = 12, kOtherGroup = 13, kRadioC = 14, kButton = 15,
              kDropList = 16, kPlainBox = 17;

DialogTemplate TestTemplate() {
    DialogTemplate d;
    d.controls = {
        {kBox, ControlKind::kCheckBox, "Auto", {0, 0, 10, 10}, kAutoCheck},
        {kRadioA, ControlKind::kRadioButton, "A", {0, 20, 10, 10}, kAutoRadio | kGroupStart},
        {kRadioB, ControlKind::kRadioButton, "B", {0, 30, 10, 10}, kAutoRadio},
        {kOtherGroup, ControlKind::kGroupBox, "G", {0, 40, 50, 30}, kGroupStart},
        {kRadioC, ControlKind::kRadioButton, "C", {0, 50, 10, 10}, kAutoRadio},
        {kButton, ControlKind::kPushButton, "Go", {20, 0, 10, 10}},
        {kDropList, ControlKind::kDropDownList, "", {20, 20, 30, 40}},
        {kPlainBox, ControlKind::kCheckBox, "Plain", {20, 60, 10, 10}},
    };
    return d;
}

// Records, for each handler call, the control and whether it was checked at
// that moment; and every change notification.
class Probe : public Window, public WindowObserver {
  public:
    explicit Probe(KeyFilter filter = KeyFilter::kEnterEscapeSpace)
        : Window(TestTemplate(), filter) {
        AddObserver(this);
        Create();
    }
    void Disable(int id) { Table().SetEnabled(id, false); }
    void Hide(int id) { Table().SetVisible(id, false); }
    void Fill(int id) {
        Table().InsertItem(id, 0, "COM1");
        Table().InsertItem(id, 1, "COM3");
    }

    std::vector<std::pair<int, bool>> commands;
    std::vector<int> selections, keys, changed;
    std::vector<WindowRequest> requests;

  protected:
    void OnCommand(int id) override {
        const Control& c = Controls().At(id);
        commands.push_back({id, c.checked});
    }
    void OnSelectionChange(int id) override { selections.push_back(id); }
    void OnKey(int key) override { keys.push_back(key); }
    void OnLeftButtonDown(Point) override { Request(WindowRequest::kStartMove); }
    void OnControlChanged(Window&, int id, ControlChange) override { changed.push_back(id); }
    void OnRequest(Window&, WindowRequest r) override { requests.push_back(r); }
};

TEST(Window, AutomaticCheckBoxTogglesBeforeTheHandlerAndAPlainOneDoesNot) {
    Probe w;
    w.Click(kBox);
    w.Click(kPlainBox);
    w.Click(kBox);
    ASSERT_EQ(w.commands.size(), 3u);
    EXPECT_EQ(w.commands[0], std::make_pair(kBox, true));
    EXPECT_EQ(w.commands[1], std::make_pair(kPlainBox, false));
    EXPECT_EQ(w.commands[2], std::make_pair(kBox, false));
    EXPECT_EQ(w.changed, (std::vector<int>{kBox, kBox}));
}

TEST(Window, AutomaticRadioChecksItselfAndUnchecksOnlyItsOwnGroup) {
    Probe w;
    w.Click(kRadioC);
    w.Click(kRadioA);
    EXPECT_TRUE(w.Controls().Checked(kRadioA));
    EXPECT_TRUE(w.Controls().Checked(kRadioC));  // another group
    w.Click(kRadioB);
    EXPECT_FALSE(w.Controls().Checked(kRadioA));
    EXPECT_TRUE(w.Controls().Checked(kRadioB));
    w.Click(kRadioB);  // clicking the selected radio runs its handler again
    EXPECT_EQ(w.commands.back(), std::make_pair(kRadioB, true));
    EXPECT_EQ(w.commands.size(), 4u);
}

TEST(Window, DisabledOrHiddenControlsTakeNoInput) {
    Probe w;
    w.Fill(kDropList);
    w.Disable(kButton);
    w.Hide(kBox);
    w.Disable(kDropList);
    w.Click(kButton);
    w.Click(kBox);
    w.Select(kDropList, 1);
    w.Click(999);  // no such control
    EXPECT_TRUE(w.commands.empty());
    EXPECT_TRUE(w.selections.empty());
    EXPECT_FALSE(w.Controls().Checked(kBox));
}

TEST(Window, SelectSetsTheListTextAndIgnoresEntriesThatDoNotExist) {
    Probe w;
    EXPECT_EQ(w.Controls().Text(kDropList), "");
    w.Fill(kDropList);
    w.Select(kDropList, 5);
    EXPECT_TRUE(w.selections.empty());
    w.Select(kDropList, 1);
    EXPECT_EQ(w.Controls().Text(kDropList), "COM3");
    EXPECT_EQ(w.selections, std::vector<int>{kDropList});
}

TEST(Window, KeyFiltersDiscardTheirKeysBeforeTheWindowSeesThem) {
    struct Case {
        KeyFilter filter;
        std::vector<int> reaching;
    };
    const Case cases[] = {
        {KeyFilter::kEnterEscapeSpace, {'A'}},
        {KeyFilter::kEnterEscape, {kKeySpace, 'A'}},
        {KeyFilter::kNone, {kKeyEnter, kKeyEscape, kKeySpace, 'A'}},
    };
    for (const auto& c : cases) {
        Probe w(c.filter);
        for (int key : {int{kKeyEnter}, int{kKeyEscape}, int{kKeySpace}, int{'A'}}) w.KeyDown(key);
        EXPECT_EQ(w.keys, c.reaching);
    }
}

TEST(Window, PressOnTheBodyAsksTheFrontEndToMoveTheWindow) {
    Probe w;
    w.PressAt({100, 100});
    EXPECT_EQ(w.requests, std::vector<WindowRequest>{WindowRequest::kStartMove});
}

}  // namespace
}  // namespace torvane
