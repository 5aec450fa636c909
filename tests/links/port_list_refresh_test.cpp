// Keeping the port list in step with the ports, with a scripted source and a
// list that behaves as the system's combo box.

#include <gtest/gtest.h>

#include "fake_port_list.h"
#include "fake_windows_api.h"
#include "links/listed_port_source.h"
#include "links/port_list_refresher.h"
#include "links/windows_port_source.h"

using namespace torvane;
using torvane::test::FakePortList;
using torvane::test::FakeWindowsApi;
using Items = std::vector<std::string>;

namespace {

class ComRefresh : public ::testing::Test {
  protected:
    ComRefresh()
        : refresher_(std::make_unique<WindowsPortSource>(source_),
                     std::make_unique<ComNumberNaming>()) {}

    // The ports present at the next tick, in the order the platform reports them.
    void Present(std::initializer_list<int> numbers) {
        source_.devices.clear();
        for (int n : numbers) source_.AddCom(n);
    }
    bool Tick() { return refresher_.RefreshPortList(list_).ok(); }
    void Select(const std::string& entry) {
        for (std::size_t i = 0; i < list_.items.size(); ++i)
            if (list_.items[i] == entry) list_.selected = static_cast<int>(i);
    }

    FakeWindowsApi source_;
    PortListRefresher refresher_;
    FakePortList list_;
};

}  // namespace

TEST_F(ComRefresh, FirstTickFillsTheListAscendingAndSelectsTheFirst) {
    Present({3, 1, 12});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM1", "COM3", "COM12"}));
    EXPECT_EQ(list_.GetText(), "COM1");
    EXPECT_EQ(refresher_.Stored(), (Items{"COM1", "COM3", "COM12"}));
    EXPECT_EQ(refresher_.StoredCount(), 3);
}

TEST_F(ComRefresh, AnUnchangedAscendingListIsNotTouched) {
    Present({1, 3});
    Tick();
    Select("COM3");
    const int changes = list_.changes;
    Tick();
    Tick();
    EXPECT_EQ(list_.changes, changes);
    EXPECT_EQ(list_.GetText(), "COM3");
}

TEST_F(ComRefresh, PortsReportedOutOfOrderRebuildAroundTheSelectionEveryTick) {
    Present({5, 1});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM1", "COM5"}));
    Select("COM5");
    for (int tick = 0; tick < 3; ++tick) {
        const int changes = list_.changes;
        Tick();
        EXPECT_GT(list_.changes, changes) << "positions are compared against the sorted list";
        EXPECT_EQ(list_.items, (Items{"COM1", "COM5"}));
        EXPECT_EQ(list_.GetText(), "COM5");
    }
    EXPECT_EQ(list_.selectionCalls, 1) << "only the first fill selects";
}

TEST_F(ComRefresh, TheSelectedEntryStaysWhileOthersComeAndGo) {
    Present({1, 3});
    Tick();
    Select("COM3");
    const int selectionCalls = list_.selectionCalls;
    Present({3, 4, 2});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM2", "COM3", "COM4"}));
    EXPECT_EQ(list_.GetText(), "COM3");
    EXPECT_EQ(list_.selectionCalls, selectionCalls) << "the kept entry is never reselected";
}

TEST_F(ComRefresh, UnpluggingTheSelectedPortRebuildsAndSelectsTheFirst) {
    Present({1, 3, 4});
    Tick();
    Select("COM3");
    Present({4, 1});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM1", "COM4"}));
    EXPECT_EQ(list_.GetText(), "COM1");
}

TEST_F(ComRefresh, APortHeldElsewhereLeavesAndComesBack) {
    Present({1, 2});
    Tick();
    source_.busy.insert("\\\\?\\port#COM2");
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM1"}));
    source_.busy.clear();
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM1", "COM2"}));
}

TEST_F(ComRefresh, NoPortsEmptyTheListAndTheStoredState) {
    Present({1, 2});
    Tick();
    Present({});
    Tick();
    EXPECT_TRUE(list_.items.empty());
    EXPECT_EQ(list_.GetText(), "");
    EXPECT_EQ(refresher_.StoredCount(), 0);
    Present({2});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM2"}));
    EXPECT_EQ(list_.GetText(), "COM2");
}

TEST_F(ComRefresh, DuplicateNumbersAndNamesWithoutComAllShow) {
    source_.AddCom(3, "A");
    source_.AddCom(3, "B");
    source_.devices.push_back({"\\\\?\\bt", "Bluetooth Serial Link", "Bluetooth", "BTH"});
    Tick();
    EXPECT_EQ(list_.items, (Items{"COM0", "COM3", "COM3"}));
}

TEST_F(ComRefresh, AFailedEnumerationLeavesListAndStateAlone) {
    Present({1, 2});
    Tick();
    Select("COM2");
    const int changes = list_.changes;
    source_.enumFailsAt = 1;
    EXPECT_FALSE(Tick());
    ASSERT_FALSE(refresher_.LastRefresh());
    EXPECT_EQ(refresher_.LastRefresh().error().message,
              "SetupDiEnumDeviceInterfaces failed. (err=5)");
    EXPECT_EQ(list_.changes, changes);
    EXPECT_EQ(refresher_.Stored(), (Items{"COM1", "COM2"}));
    source_.enumFailsAt = -1;
    EXPECT_TRUE(Tick());
    EXPECT_TRUE(refresher_.LastRefresh());
}

TEST_F(ComRefresh, AtMost255PortsAreHandled) {
    for (int n = 0; n < 300; ++n) source_.AddCom(n % 200 + 1);
    Tick();
    EXPECT_EQ(list_.items.size(), 255u);
}

TEST(ComNumberNaming, EntryTextTellsWhatToOpen) {
    ComNumberNaming naming;
    EXPECT_EQ(naming.DevicePathForEntry("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(ComNumberNaming::PortNumberOfEntry("COM12"), 12);
    EXPECT_EQ(ComNumberNaming::PortNumberOfEntry(""), 0) << "no entry tries port 0";
}

// A port known only by its path (chosen by the operator: a simulator's line,
// a path typed) keeps that path unless it names a COM port, instead of
// becoming COM0.
TEST(ComNumberNaming, PortsWithoutAComNumberKeepTheirName) {
    ComNumberNaming naming;
    const struct {
        SSerInfo port;
        const char* entry;
        const char* opened;
    } cases[] = {
        {{"\\\\.\\COM12", "", "USB Serial Port (COM12)", false, ""}, "COM12", "\\\\.\\COM12"},
        {{"\\\\.\\COM17", "", "", false, ""}, "COM17", "\\\\.\\COM17"},
        {{"COM4", "", "", false, ""}, "COM4", "\\\\.\\COM4"},
        {{"/dev/torvane-sim", "", "", false, ""}, "/dev/torvane-sim", "/dev/torvane-sim"},
        {{"\\\\.\\CNCA0", "", "", false, ""}, "\\\\.\\CNCA0", "\\\\.\\CNCA0"},
    };
    for (const auto& c : cases) {
        const std::string entry = naming.EntryTextOf(c.port);
        EXPECT_EQ(entry, c.entry) << c.port.devicePath;
        EXPECT_EQ(naming.EntryOfText(entry), entry) << c.port.devicePath;
        EXPECT_EQ(naming.DevicePathForEntry(entry), c.opened) << c.port.devicePath;
    }
    EXPECT_EQ(naming.DevicePathForEntry(""), "\\\\.\\COM0") << "no entry still tries port 0";
    // COM ports first by number, then the other names.
    EXPECT_TRUE(naming.Before("COM9", "COM10"));
    EXPECT_TRUE(naming.Before("COM200", "/dev/torvane-sim"));
    EXPECT_FALSE(naming.Before("/dev/torvane-sim", "COM1"));
}

TEST(NaturalLess, OrdersDigitRunsByValue) {
    const std::pair<const char*, const char*> ordered[] = {
        {"/dev/ttyS2", "/dev/ttyS10"},  {"/dev/ttyACM0", "/dev/ttyS0"},
        {"/dev/ttyS0", "/dev/ttyUSB0"}, {"/dev/ttyUSB9", "/dev/ttyUSB10"},
        {"/dev/pts/3", "/dev/ttyS0"},   {"a1b2", "a1b10"},
        {"/dev/ttyS01", "/dev/ttyS1"},  {"/dev/ttyS", "/dev/ttyS0"},
    };
    for (const auto& [a, b] : ordered) {
        EXPECT_TRUE(NaturalLess(a, b)) << a << " < " << b;
        EXPECT_FALSE(NaturalLess(b, a)) << b << " < " << a;
    }
    EXPECT_FALSE(NaturalLess("/dev/ttyS1", "/dev/ttyS1"));
}

TEST(DevicePathRefresh, ListsPathsInNaturalOrderAndKeepsTheSelection) {
    auto owned = std::make_unique<ListedPortSource>();
    auto& source = *owned;
    PortListRefresher refresher(std::move(owned), std::make_unique<DevicePathNaming>());
    FakePortList list;
    for (const char* path : {"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyACM0"})
        source.AddExtraPort({path, "", "", ""});

    ASSERT_TRUE(refresher.RefreshPortList(list));
    EXPECT_EQ(list.items, (Items{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10"}));
    list.selected = 2;
    const int changes = list.changes;
    ASSERT_TRUE(refresher.RefreshPortList(list));
    EXPECT_EQ(list.changes, changes) << "the source reports in list order, so nothing changed";

    source.AddExtraPort({"/dev/ttyUSB3", "", "", ""});
    source.RemoveExtraPort("/dev/ttyACM0");
    ASSERT_TRUE(refresher.RefreshPortList(list));
    EXPECT_EQ(list.items, (Items{"/dev/ttyUSB2", "/dev/ttyUSB3", "/dev/ttyUSB10"}));
    EXPECT_EQ(list.GetText(), "/dev/ttyUSB10");
    EXPECT_EQ(refresher.DevicePathForEntry(list.GetText()), "/dev/ttyUSB10");
    EXPECT_EQ(refresher.Ports()[0].friendlyName, "Serial port (/dev/ttyUSB2)");
}
