// What front-ends rely on beyond clicks: every control addressable, edits
// that refuse what the real control refuses, precise change notifications,
// a child window's placement, and file choices answered later.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/window.h"

namespace torvane {
namespace {

constexpr int kDigits = 20, kFree = 21, kLocked = 22, kBar = 23, kList = 24, kLog = 25;

DialogTemplate StateTemplate() {
    DialogTemplate d;
    ControlTemplate digits{kDigits, ControlKind::kEdit, "", {0, 0, 20, 10}, kNumber};
    digits.textLimit = 3;
    d.controls = {
        {kNoControlId, ControlKind::kLabel, "first", {0, 0, 10, 10}},
        digits,
        {kFree, ControlKind::kEdit, "", {0, 10, 20, 10}},
        {kLocked, ControlKind::kEdit, "fixed", {0, 20, 20, 10}, kReadOnly},
        {kNoControlId, ControlKind::kEtchedLine, "", {0, 30, 50, 1}},
        {kBar, ControlKind::kProgressBar, "", {0, 40, 50, 10}},
        {kList, ControlKind::kDropDownList, "", {0, 50, 50, 40}},
        {kLog, ControlKind::kMultiLineEdit, "", {0, 60, 50, 40}},
    };
    return d;
}

class StateProbe : public Window, public WindowObserver {
  public:
    StateProbe() : Window(StateTemplate(), KeyFilter::kNone) {
        AddObserver(this);
        Create();
    }
    ControlTable& Writable() { return Table(); }
    void AskForFile() {
        ChooseFile({"Open", "Binary file(*.bin)|*.bin||"},
                   [this](const std::optional<std::string>& path) { answers.push_back(path); });
    }

    std::vector<std::pair<int, ControlChange>> changes;
    std::vector<int> edits;
    std::vector<std::optional<std::string>> answers;
    int placements = 0;
    int fileRequests = 0;

  protected:
    void OnEditChange(int id) override { edits.push_back(id); }
    void OnControlChanged(Window&, int id, ControlChange what) override {
        changes.push_back({id, what});
    }
    void OnPlacementChanged(Window&) override { ++placements; }
    void OnFileChoice(Window&) override { ++fileRequests; }
};

TEST(WindowState, ControlsWithoutAnIdGetOneOfTheirOwn) {
    StateProbe w;
    EXPECT_EQ(w.Controls().Text(-2), "first");
    EXPECT_EQ(w.Controls().At(-3).kind, ControlKind::kEtchedLine);
    EXPECT_FALSE(w.Controls().Has(kNoControlId));
}

TEST(WindowState, EditsRefuseWhatTheRealControlRefuses) {
    struct Case {
        int id;
        std::string typed;
        std::string shown;
        bool handled;
    };
    const Case cases[] = {
        {kDigits, "192", "192", true},  {kDigits, "12a", "", false},
        {kDigits, "1234", "123", true}, {kFree, "10.0.0.1", "10.0.0.1", true},
        {kLocked, "x", "fixed", false}, {kLog, "line\r\n", "line\r\n", true},
    };
    for (const auto& c : cases) {
        StateProbe w;
        w.EditText(c.id, c.typed);
        EXPECT_EQ(w.Controls().Text(c.id), c.shown) << c.typed;
        EXPECT_EQ(w.edits.size(), c.handled ? 1u : 0u) << c.typed;
    }
}

TEST(WindowState, NotificationsSayWhatChangedAndOnlyWhenItDid) {
    StateProbe w;
    auto& t = w.Writable();
    t.InsertItem(kList, 0, "a");
    t.SetSelection(kList, 0);
    t.SetSelection(kList, 0);
    t.SetRange(kBar, 0, 98);
    t.SetPosition(kBar, 500);
    t.SetTextColor(kLog, Rgb{255, 0, 0});
    t.SetTextColor(kLog, Rgb{255, 0, 0});
    const std::vector<std::pair<int, ControlChange>> expected = {
        {kList, ControlChange::kItems},    {kList, ControlChange::kSelection},
        {kBar, ControlChange::kProgress},  {kBar, ControlChange::kProgress},
        {kLog, ControlChange::kTextColor},
    };
    EXPECT_EQ(w.changes, expected);
    EXPECT_EQ(w.Controls().At(kBar).position, 98);  // kept inside the range
    t.SetRange(kBar, 0, 10);
    EXPECT_EQ(w.Controls().At(kBar).position, 10);
}

TEST(WindowState, PlacementIsToldOncePerChange) {
    StateProbe w;
    w.ShowWindow(true);
    w.ShowWindow(true);
    w.MoveWindow({1, 56});
    w.MoveWindow({1, 56});
    EXPECT_TRUE(w.WindowVisible());
    EXPECT_EQ(w.WindowPosition().y, 56);
    EXPECT_EQ(w.placements, 2);
}

TEST(WindowState, AFileChoiceRunsItsContinuationOnceWithTheAnswer) {
    StateProbe w;
    w.AnswerFileChoice("/tmp/none.bin");  // nothing asked: nothing runs
    w.AskForFile();
    EXPECT_EQ(w.fileRequests, 1);
    ASSERT_TRUE(w.PendingFileChoice());
    EXPECT_EQ(w.PendingFileChoice()->filter, "Binary file(*.bin)|*.bin||");
    w.AnswerFileChoice("/tmp/image.bin");
    w.AnswerFileChoice("/tmp/again.bin");
    w.AskForFile();
    w.AnswerFileChoice(std::nullopt);
    const std::vector<std::optional<std::string>> expected = {"/tmp/image.bin", std::nullopt};
    EXPECT_EQ(w.answers, expected);
    EXPECT_FALSE(w.PendingFileChoice());
}

}  // namespace
}  // namespace torvane
