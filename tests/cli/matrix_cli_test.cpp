// torvanectl's matrix, route and arc as a script runs them: a real process
// against torvane-sim over its TCP port and its pseudo-terminal.

#include <gtest/gtest.h>

#include "processes.h"

namespace torvane::test {
namespace {

class TorvanectlMatrix : public TorvanectlAgainstSim {
  protected:
    TorvanectlMatrix() : TorvanectlAgainstSim({"--routing", "3,1,8,2,5,5,7,4", "--arc", "1,8"}) {}
};

TEST_F(TorvanectlMatrix, MatrixReadsRoutingAndArcOverBothLinks) {
    auto json = Ctl(Tcp({"--json", "matrix"}));
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out,
              R"({"ok":true,"outputs":{"A":{"input":3,"arc":"on"},"B":{"input":1,"arc":"off"},)"
              R"("C":{"input":8,"arc":"off"},"D":{"input":2,"arc":"off"},)"
              R"("E":{"input":5,"arc":"off"},"F":{"input":5,"arc":"off"},)"
              R"("G":{"input":7,"arc":"off"},"H":{"input":4,"arc":"on"}}})"
              "\n");
    auto text = Ctl(Serial({"--trace", "matrix"}));
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out.rfind("OUTPUT A: IN3, ARC on\nOUTPUT B: IN1, ARC off\n", 0), 0u) << text.out;
    EXPECT_NE(text.out.find("OUTPUT H: IN4, ARC on\n"), std::string::npos);
    // The page's chain: routing of output 1 first, ARC of output 8 last.
    EXPECT_NE(text.err.find("> A5 5B 02 01 01 00 00 00 00 00 00 00 FC\n"), std::string::npos);
    EXPECT_NE(text.err.find("> A5 5B 10 02 00 00 08 00 00 00 00 00 E6\n"), std::string::npos);
}

TEST_F(TorvanectlMatrix, RouteAndArcAreConfirmedAndShown) {
    auto route = Ctl(Serial({"--trace", "route", "3", "b"}));
    EXPECT_EQ(route.exitCode, 0) << route.err;
    EXPECT_EQ(route.out, "OUTPUT B: IN3\n");
    EXPECT_NE(route.err.find("> A5 5B 02 03 03 00 02 00 00 00 00 00 F6\n"), std::string::npos)
        << route.err;
    auto arc = Ctl(Tcp({"--json", "arc", "8", "off"}));
    EXPECT_EQ(arc.exitCode, 0) << arc.err;
    EXPECT_EQ(arc.out, R"({"ok":true,"output":"H","arc":"off"})"
                       "\n");
    auto json = Ctl(Tcp({"--json", "route", "2", "d"}));
    EXPECT_EQ(json.out, R"({"ok":true,"output":"D","input":2})"
                        "\n")
        << json.err;
    EXPECT_EQ(Ctl(Tcp({"arc", "C", "on"})).out, "OUTPUT C: ARC on\n");
    // Routing an output to the input it already shows is sent and confirmed too.
    EXPECT_EQ(Ctl(Tcp({"route", "7", "G"})).exitCode, 0);

    auto matrix = Ctl(Tcp({"matrix"}));
    EXPECT_NE(matrix.out.find("OUTPUT B: IN3, ARC off\nOUTPUT C: IN8, ARC on\n"), std::string::npos)
        << matrix.out;
    EXPECT_NE(matrix.out.find("OUTPUT H: IN4, ARC off\n"), std::string::npos);
}

TEST(TorvanectlMatrixFaults, UnacknowledgedRouteTimesOut) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--ignore", "02:03"}))) << sim.Output();
    auto r = Ctl({"--tcp", sim.TcpAddress(), "--trace", "route", "2", "A"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("torvanectl: Time out!\n"), std::string::npos) << r.err;
    // Sent once and resent once by the page's timer.
    const std::string sent = "> A5 5B 02 03 02 00 01 00 00 00 00 00 F8\n";
    const auto first = r.err.find(sent);
    ASSERT_NE(first, std::string::npos) << r.err;
    EXPECT_NE(r.err.find(sent, first + 1), std::string::npos);
}

TEST(TorvanectlMatrixFaults, AnAcknowledgementOfAnotherArcIsReportedAsWhatItSaid) {
    const struct {
        const char* answer;  // the switcher's answer to every ARC command
        std::vector<std::string> arc;
        const char* error;
    } cases[] = {
        {"A5 5B 10 01 00 00 03 00 00 00 0F",
         {"A", "on"},
         "the switcher acknowledged ARC on for output C"},
        {"A5 5B 10 01 00 00 00 00 00 00 0F",
         {"A", "on"},
         "the switcher acknowledged ARC on for no output"},
        {"A5 5B 10 01 00 00 01 00 00 00 F0",
         {"A", "on"},
         "the switcher acknowledged ARC off for output A"},
        // ARC of output H is on already: a mark the page shows is no confirmation.
        {"A5 5B 10 01 00 00 03 00 00 00 0F",
         {"H", "on"},
         "the switcher acknowledged ARC on for output C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        SimProcess sim;
        ASSERT_TRUE(sim.Start(
            LoopbackSimArgs({"--arc", "8", "--answer", std::string("10:01=") + c.answer})))
            << sim.Output();
        auto r = Ctl({"--tcp", sim.TcpAddress(), "--json", "arc", c.arc[0], c.arc[1]});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_EQ(r.out, std::string(R"({"ok":false,"error":")") + c.error + "\"}\n");
    }
}

TEST(TorvanectlMatrixUsage, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    // Nothing listens on port 1: a command that got as far as the link would end in 3.
    const std::vector<std::vector<std::string>> bad = {
        {"matrix", "A"},     {"route", "0", "A"}, {"route", "9", "A"},     {"route", "1", "I"},
        {"route", "1", "9"}, {"route", "1"},      {"route", "a", "1"},     {"arc", "A"},
        {"arc", "A", "onn"}, {"arc", "0", "on"},  {"arc", "A", "on", "x"},
    };
    for (const auto& args : bad) {
        std::vector<std::string> full = {"--tcp", "127.0.0.1:1"};
        full.insert(full.end(), args.begin(), args.end());
        auto r = Ctl(full);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "") << ": "
                                 << r.err;
    }
}

}  // namespace
}  // namespace torvane::test
