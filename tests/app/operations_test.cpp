// The operator's tasks as calls, on virtual time against the in-process
// switcher: each completes once, with what the switcher confirmed or how it
// failed, and the window is left as the operator would leave it.

#include "app/operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "app/operation_routing.h"
#include "platform/virtual_loop.h"
#include "res/resource_ids.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

namespace torvane::test {
namespace {

// The window on virtual time with the simulated switcher on its serial port
// and TCP port, and the operations over it.
struct Rig {
    Rig() {
        links.AddSwitcher(model);
        app.InitInstance(nullptr);
        ops.emplace(app, loop);
    }

    // Starts an operation and lets virtual time run until it completes.
    template <class T>
    Completed<T> Complete(const std::function<void(Operations::Done<T>)>& start) {
        std::optional<Completed<T>> completed;
        start([&](const Completed<T>& c) { completed = c; });
        for (int ms = 0; !completed && ms < 20 * 60 * 1000; ms += 10) loop.Advance(10);
        EXPECT_TRUE(completed.has_value());
        return completed ? *completed : Completed<T>{Error{Error::Kind::kTimedOut, "never"}, {}};
    }
    Completed<void> Connect(bool serial = true) {
        LinkChoice link;
        link.serial = serial;
        link.serialPath = sim::kDefaultSerialPath;
        link.ipv4 = "127.0.0.1";
        link.port = sim::kDefaultTcpPort;
        return Complete<void>([&](Operations::Done<void> done) { ops->Connect(link, done); });
    }
    CTorvaneDlg& Dlg() { return *app.MainWindow(); }

    VirtualLoop loop;
    sim::SwitcherModel model{loop};
    sim::SimLinkFactory links{loop};
    CTorvaneApp app{loop, links};
    std::optional<Operations> ops;
};

class OperationsTest : public ::testing::Test, public Rig {};

TEST_F(OperationsTest, StatusReturnsWhatTheSwitcherReported) {
    model.State().inputConnected = {false, true, false, false, false, false, false, true};
    model.State().outputConnected = {true, false, false, false, false, false, false, false};
    model.State().beepOn = false;
    ASSERT_TRUE(Connect().result.ok());
    const auto status =
        Complete<SwitcherStatus>([&](Operations::Done<SwitcherStatus> done) { ops->Status(done); });
    ASSERT_TRUE(status.result.ok()) << status.result.error().message;
    EXPECT_TRUE(status.result->power);
    EXPECT_EQ(status.result->beep, std::optional<bool>(false));
    EXPECT_EQ(status.result->inputConnected,
              (std::array<bool, 8>{false, true, false, false, false, false, false, true}));
    EXPECT_EQ(status.result->outputConnected,
              (std::array<bool, 8>{true, false, false, false, false, false, false, false}));
}

// The switcher goes quiet on its network port once the configuration dialog
// opens: its answer from the new settings never comes.
struct QuietOnceConfiguring : WindowObserver {
    explicit QuietOnceConfiguring(sim::SwitcherModel& model) : model(model) {}
    void OnOpened(Window&) override { model.Faults().answerDiscovery = false; }
    sim::SwitcherModel& model;
};

TEST_F(OperationsTest, ANetworkConfigurationEndsWithTheSwitchersAnswerFromItsNewAddressOrTimesOut) {
    Dlg().SetDiscoverySettings(
        {"127.0.0.1", "127.255.255.255", sim::kDiscoveryPort, sim::kConfigPort});
    using Found = Completed<FoundSwitchers>;
    const Found found = Complete<FoundSwitchers>(
        [&](Operations::Done<FoundSwitchers> done) { ops->Discover(500, done); });
    ASSERT_TRUE(found.result.ok()) << found.result.error().message;
    ASSERT_EQ(found.result->size(), 1u);
    NetworkSettings settings;
    settings.mac = MacText(found.result->front().mac);
    settings.ip = "127.0.0.9";
    settings.netmask = "255.0.0.0";
    settings.gateway = "127.0.0.1";

    const Found moved = Complete<FoundSwitchers>(
        [&](Operations::Done<FoundSwitchers> done) { ops->ConfigureNetwork(settings, 500, done); });
    ASSERT_TRUE(moved.result.ok()) << moved.result.error().message;
    ASSERT_EQ(moved.result->size(), 1u);
    EXPECT_EQ(AddressText(moved.result->front().ip), "127.0.0.9");

    QuietOnceConfiguring quiet(model);
    Dlg().ConfigIp().AddObserver(&quiet);
    settings.ip = "127.0.0.10";
    const Found silent = Complete<FoundSwitchers>(
        [&](Operations::Done<FoundSwitchers> done) { ops->ConfigureNetwork(settings, 500, done); });
    Dlg().ConfigIp().RemoveObserver(&quiet);
    ASSERT_FALSE(silent.result.ok());
    EXPECT_EQ(silent.result.error().kind, Error::Kind::kTimedOut);
    EXPECT_EQ(silent.result.error().message, "Time out!");
    EXPECT_FALSE(Dlg().Busy().Flagged());
}

TEST(Operations, AFailedCommandSaysHowItFailed) {
    using Call = std::function<void(Rig&, Operations::Done<void>)>;
    const Call status = [](Rig& r, Operations::Done<void> done) {
        r.ops->Status([done](const Completed<SwitcherStatus>& c) {
            done({c.result ? Status() : Status(c.result.error()), c.notes});
        });
    };
    // Entering the Matrix page first: its entry queries go unanswered.
    const Call route = [](Rig& r, Operations::Done<void> done) { r.ops->Route(3, 2, done); };
    struct Case {
        const char* name;
        Call call;
        std::function<void(Rig&)> fault;
        Error::Kind kind;
        const char* message;
    };
    const Case cases[] = {
        {"silent switcher", status, [](Rig& r) { r.model.Faults().silent = true; },
         Error::Kind::kTimedOut, "Time out!"},
        {"silent switcher on entering the Matrix page", route,
         [](Rig& r) { r.model.Faults().silent = true; }, Error::Kind::kTimedOut, "Time out!"},
        {"serial line cut", status, [](Rig& r) { r.links.UnplugSerial(); }, Error::Kind::kLinkLost,
         "Serial port failed!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        ASSERT_TRUE(rig.Connect().result.ok());
        const auto failed = rig.Complete<void>([&](Operations::Done<void> done) {
            c.call(rig, done);
            c.fault(rig);
        });
        ASSERT_FALSE(failed.result.ok());
        EXPECT_EQ(failed.result.error().kind, c.kind);
        EXPECT_EQ(failed.result.error().message, c.message);
    }
}

TEST_F(OperationsTest, CallsRunOneAtATimeInTheOrderMade) {
    ASSERT_TRUE(Connect().result.ok());
    std::vector<std::string> order;
    ops->Route(3, 1, [&](const Completed<void>& c) {
        EXPECT_TRUE(c.result.ok());
        order.push_back("route");
    });
    ops->Arc(2, true, [&](const Completed<ArcAcknowledgement>& c) {
        EXPECT_TRUE(c.result.ok());
        order.push_back("arc");
    });
    const auto matrix =
        Complete<MatrixState>([&](Operations::Done<MatrixState> done) { ops->ReadMatrix(done); });
    EXPECT_EQ(order, (std::vector<std::string>{"route", "arc"}));
    ASSERT_TRUE(matrix.result.ok());
    EXPECT_EQ(matrix.result->input[0], 3);
    EXPECT_EQ(matrix.result->arc[1], std::optional<bool>(true));
    EXPECT_EQ(model.State().routing[0], 3);
    EXPECT_TRUE(model.State().arcOn[1]);
}

TEST_F(OperationsTest, PowerOffConfirmsItsOwnQuestionOnly) {
    ASSERT_TRUE(Connect().result.ok());
    const auto off =
        Complete<SwitchState>([&](Operations::Done<SwitchState> done) { ops->Power(false, done); });
    ASSERT_TRUE(off.result.ok()) << off.result.error().message;
    EXPECT_FALSE(model.State().powerOn);
    EXPECT_FALSE(off.result->already);
    // A question no call asked for is closed unanswered.
    int answer = 0;
    Dlg().Message().Ask("Do you want to reset to factory settings?", true,
                        [&](int result) { answer = result; });
    loop.RunPending();
    EXPECT_EQ(answer, CMessageDlg::kResultCancel);
    EXPECT_EQ(ops->TakeMessages(),
              (std::vector<std::string>{"Do you want to reset to factory settings?"}));
}

// Presets read the routing the switcher confirmed, never what the Matrix
// page still shows from before: here the page shows the routing of an
// earlier link, and its entry on the new one stopped after two outputs.
TEST_F(OperationsTest, PresetsReadTheRoutingTheSwitcherConfirmedNotWhatThePageShows) {
    auto readMatrix = [&] {
        return Complete<MatrixState>(
            [&](Operations::Done<MatrixState> done) { ops->ReadMatrix(done); });
    };
    model.State().routing = {1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_TRUE(Connect().result.ok());
    ASSERT_TRUE(readMatrix().result.ok());
    const Rect general = Dlg().Controls().At(res::kGeneralLabel).rect;
    Dlg().PressAt({general.x + 2, general.y + 2});
    loop.Advance(100);
    Dlg().Click(res::kComConnectButton);  // closes the port
    ASSERT_FALSE(Dlg().SerialOpen());
    model.State().routing = {8, 7, 6, 5, 4, 3, 2, 1};
    ASSERT_TRUE(Connect().result.ok());
    // The query of C goes unanswered.
    model.Faults().silent = true;
    model.Faults().faultsAfterUnits = static_cast<int>(model.ReceivedUnits().size()) + 2;
    model.Faults().faultsForUnits = 1;
    const auto cut = readMatrix();
    ASSERT_FALSE(cut.result.ok());
    ASSERT_EQ(cut.result.error().message, "Time out!");
    ASSERT_EQ(Dlg().ActivePage(), PageCode::kMatrix);

    OperationRouting routing(*ops);
    std::optional<Result<RoutingState>> read;
    routing.Read([&](const Result<RoutingState>& r) { read = r; });
    for (int ms = 0; !read && ms < 60000; ms += 10) loop.Advance(10);
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->ok()) << read->error().message;
    for (int output = 1; output <= 8; ++output) {
        EXPECT_EQ(read->value().input[output - 1], model.State().routing[output - 1]) << output;
        EXPECT_EQ(read->value().arc[output - 1], model.State().arcOn[output - 1]) << output;
    }
    // Known now: the next reading asks the switcher nothing.
    model.ClearHistory();
    std::optional<Result<RoutingState>> again;
    routing.Read([&](const Result<RoutingState>& r) { again = r; });
    ASSERT_TRUE(again && again->ok());
    EXPECT_TRUE(model.ReceivedUnits().empty());
}

// The switcher stays silent to the third command of the preset (and its
// resend): connecting is 2 units, reading the routing 16.
TEST_F(OperationsTest, APresetPartlyAppliedLeavesTheStateAsTheSwitcherConfirmedIt) {
    model.State().routing = {1, 1, 1, 1, 5, 6, 7, 8};
    ASSERT_TRUE(Connect().result.ok());
    model.Faults().silent = true;
    model.Faults().faultsAfterUnits = 20;
    model.Faults().faultsForUnits = 2;
    profile::Preset preset;
    for (int output = 1; output <= 5; ++output)
        preset.outputs[output - 1] = profile::OutputSetting{std::min(output + 1, 5), std::nullopt};

    OperationRouting routing(*ops);
    std::optional<Result<RoutingState>> read;
    routing.Read([&](const Result<RoutingState>& r) { read = r; });
    for (int ms = 0; !read && ms < 60000; ms += 10) loop.Advance(10);
    ASSERT_TRUE(read && read->ok());
    std::optional<PresetReport> report;
    PresetRun run(routing, preset, read->value(), false,
                  [&](const PresetReport& r) { report = r; });
    run.Start();
    for (int ms = 0; !report && ms < 60000; ms += 10) loop.Advance(10);
    ASSERT_TRUE(report);

    using Outcome = PresetReport::Outcome;
    const Outcome expected[] = {Outcome::kChanged, Outcome::kChanged, Outcome::kFailed,
                                Outcome::kChanged, Outcome::kAlreadySo};
    ASSERT_EQ(report->outputs.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(report->outputs[i].outcome, expected[i]) << report->outputs[i].detail;
    EXPECT_EQ(report->outputs[2].detail, "IN4: Time out!");
    // What is known is what the switcher confirmed: the preset where it was
    // confirmed, and C as it was read, not as the preset asked.
    const RoutingState after = RoutingOf(ops->Confirmed());
    EXPECT_EQ(after.input, (std::array<std::optional<int>, 8>{2, 3, 1, 5, 5, 6, 7, 8}));
}

}  // namespace
}  // namespace torvane::test
