// An installer leaves the program connected for hours and opens and closes
// the link again and again: a thousand connections by the serial port and a
// thousand by TCP against torvane-sim, with a Status now and then, must leave
// the process with the descriptors and threads it had before.

#include <dirent.h>

#include <ostream>

#include "live_window.h"

namespace torvane::test {
namespace {

constexpr int kCycles = 1000;
constexpr int kStatusEvery = 50;

// Entries of a /proc directory, "." and ".." aside. Reading it takes a
// descriptor of its own, so every count includes that one.
int CountEntries(const char* path) {
    DIR* dir = ::opendir(path);
    if (dir == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir))
        if (entry->d_name[0] != '.') ++count;
    ::closedir(dir);
    return count;
}

struct Footprint {
    int descriptors = CountEntries("/proc/self/fd");
    int threads = CountEntries("/proc/self/task");
    bool operator==(const Footprint&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Footprint& f) {
    return out << f.descriptors << " descriptors, " << f.threads << " threads";
}

class ConnectCycles : public LiveWindow {
  protected:
    void SetUp() override { Start({"--reply-delay", "0"}); }

    // Status reads the switcher's connections; IN1 is connected on the simulator.
    void CheckStatus(int cycle) {
        dlg_->Click(res::kStatusButton);
        ASSERT_TRUE(RunUntil([this] { return Quiet(); })) << "status in cycle " << cycle;
        ASSERT_EQ(dlg_->Controls().Text(res::kFirstInputLabel), "HDMI IN1: Connect")
            << "cycle " << cycle;
    }
    // The footprint once the last port's monitoring thread, which ends on
    // its own after a disconnect, has had time to go.
    Footprint FootprintAtRest() {
        loop_.RunFor(300);
        return Footprint();
    }
    // The monitoring thread of a closed port ends on its own; give it time.
    void ExpectBackTo(const Footprint& start) {
        RunUntil([&] { return Footprint() == start; });
        EXPECT_EQ(Footprint(), start);
        EXPECT_TRUE(TakeMessages().empty());
    }
};

// The first cycle is not counted: a sanitizer's runtime starts a thread of its
// own when the process starts its first.
TEST_F(ConnectCycles, SerialPortAThousandTimes) {
    Footprint start;
    for (int cycle = 0; cycle <= kCycles; ++cycle) {
        if (cycle == 1) start = FootprintAtRest();
        ASSERT_NO_FATAL_FAILURE(ConnectCom()) << "cycle " << cycle;
        ASSERT_TRUE(dlg_->Controls().Checked(res::kPowerOnBox)) << "cycle " << cycle;
        if (cycle % kStatusEvery == 0) {
            ASSERT_NO_FATAL_FAILURE(CheckStatus(cycle));
        }
        dlg_->Click(res::kComConnectButton);
        ASSERT_FALSE(dlg_->SerialOpen());
    }
    ExpectBackTo(start);
}

TEST_F(ConnectCycles, TcpAThousandTimes) {
    dlg_->Click(res::kTcpModeRadio);
    Footprint start;
    for (int cycle = 0; cycle <= kCycles; ++cycle) {
        if (cycle == 1) start = FootprintAtRest();
        ASSERT_NO_FATAL_FAILURE(ConnectTcp()) << "cycle " << cycle;
        if (cycle % kStatusEvery == 0) {
            ASSERT_NO_FATAL_FAILURE(CheckStatus(cycle));
        }
        dlg_->Click(res::kTcpConnectButton);
        ASSERT_FALSE(dlg_->TcpConnected());
    }
    ExpectBackTo(start);
}

}  // namespace
}  // namespace torvane::test
