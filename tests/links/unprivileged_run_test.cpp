// ctest starts the links and end-to-end tests through scripts/as_normal_user.sh.
// A run that kept root's powers would open lines held exclusively, ignore
// device permissions, and so pass where a new user fails.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

TEST(TestRun, HasNeitherRootNorCapabilitiesUnderCtest) {
    if (std::getenv("TORVANE_UNPRIVILEGED") == nullptr)
        GTEST_SKIP() << "started directly rather than through the test command's launcher";
    EXPECT_NE(::geteuid(), 0u);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) == 0) {
            EXPECT_EQ(line.find_first_not_of("0\t ", 7), std::string::npos) << line;
        }
    }
}

}  // namespace
