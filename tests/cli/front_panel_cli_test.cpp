// A change made at the switcher's front panel, found by torvanectl's next
// reading: torvane-sim driven on its standard input, torvanectl as a script
// runs it.

#include <gtest/gtest.h>

#include "processes.h"

namespace torvane::test {
namespace {

TEST(FrontPanelChange, TheNextMatrixReadingShowsIt) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(LoopbackSimArgs({"--front-panel"}))) << sim.Output();
    for (const char* line : {"route 3 B", "arc H on"}) {
        ASSERT_TRUE(sim.Tell(line));
        ASSERT_TRUE(sim.WaitFor(std::string("panel ") + line + "\n")) << sim.Output();
    }
    for (const auto& link : {std::vector<std::string>{"--tcp", sim.TcpAddress()},
                             std::vector<std::string>{"--serial", sim.SerialPath()}}) {
        auto args = link;
        args.push_back("matrix");
        const auto matrix = RunProgram(BuiltProgram("torvanectl"), args);
        EXPECT_EQ(matrix.exitCode, 0) << matrix.err;
        EXPECT_NE(matrix.out.find("OUTPUT A: IN1, ARC off\nOUTPUT B: IN3, ARC off\n"),
                  std::string::npos)
            << matrix.out;
        EXPECT_NE(matrix.out.find("OUTPUT H: IN8, ARC on\n"), std::string::npos) << matrix.out;
    }
}

}  // namespace
}  // namespace torvane::test
