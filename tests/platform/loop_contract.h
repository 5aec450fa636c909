#pragma once
// What every real-time loop promises the core, as one typed test suite. A
// loop's test program instantiates it with a harness:
//
//   struct Harness {
//       EventLoop& Loop();
//       // Runs the loop until done() holds or `ms` of real time have passed.
//       bool RunUntil(const std::function<bool()>& done, int ms);
//   };

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_loop.h"
#include "platform/window_timers.h"
#include "support/descriptor_pair.h"

namespace torvane {

template <typename Harness>
class LoopContract : public testing::Test {
  protected:
    Harness harness_;
    EventLoop& Loop() { return harness_.Loop(); }
    bool RunUntil(const std::function<bool()>& done, int ms) { return harness_.RunUntil(done, ms); }
};

TYPED_TEST_SUITE_P(LoopContract);

TYPED_TEST_P(LoopContract, PostsRunLaterInPostingOrder) {
    std::string trace;
    this->Loop().Post([&] {
        trace += "a";
        this->Loop().Post([&] { trace += "c"; });
        trace += "b";  // the task posted above waits for this one to finish
    });
    this->Loop().Post([&] { trace += "d"; });
    EXPECT_TRUE(trace.empty());
    EXPECT_TRUE(this->RunUntil([&] { return trace.size() == 4; }, 2000));
    EXPECT_EQ(trace, "abdc");
}

TYPED_TEST_P(LoopContract, TimersRepeatUntilKilledEvenFromTheirOwnExpiry) {
    EventLoop& loop = this->Loop();
    std::vector<TimeMs> fired;
    const TimeMs start = loop.Now();
    WindowTimers timers(loop, [&](int id) {
        fired.push_back(loop.Now() - start);
        if (fired.size() == 3) timers.KillTimer(id);
    });
    timers.SetTimer(7, 20);
    timers.KillTimer(99);  // unknown: harmless
    // A loaded machine may run the loop late, never early: wait for the
    // third expiry, then long enough for a fourth that must not come.
    ASSERT_TRUE(this->RunUntil([&] { return fired.size() == 3; }, 2000));
    this->RunUntil([] { return false; }, 60);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_GE(fired[0], 19);
    EXPECT_GE(fired[2], 58);
    EXPECT_FALSE(timers.IsRunning(7));
}

TYPED_TEST_P(LoopContract, ArmingARunningTimerRestartsIt) {
    EventLoop& loop = this->Loop();
    int fired = 0;
    TimeMs firedAt = 0;
    WindowTimers timers(loop, [&](int id) {
        ++fired;
        firedAt = loop.Now();
        timers.KillTimer(id);
    });
    const TimeMs armed = loop.Now();
    timers.SetTimer(1, 60);
    this->RunUntil([] { return false; }, 40);
    const TimeMs rearmed = loop.Now();
    // A machine so loaded that the first run overran the timer cannot show the restart.
    if (fired != 0 || rearmed - armed >= 60) GTEST_SKIP() << "the loop ran too late to tell";
    timers.SetTimer(1, 60);  // due 60 ms from now, not 20
    EXPECT_TRUE(this->RunUntil([&] { return fired == 1; }, 1000));
    EXPECT_GE(firedAt - rearmed, 59);
}

TYPED_TEST_P(LoopContract, WatchesReportReadinessUntilRemoved) {
    EventLoop& loop = this->Loop();
    test::DescriptorPair pair;
    std::string got;
    bool writable = false;
    EventLoop::WatchId watch = 0;
    watch = loop.WatchFd(pair.ReadFd(), EventLoop::kReadable, [&](unsigned events) {
        char c;
        if ((events & EventLoop::kReadable) && pair.Read(&c, 1) == 1) got += c;
        if (got == "xy") loop.Unwatch(watch);  // removal from its own handler
    });
    auto writeWatch = loop.WatchFd(pair.WriteFd(), 0, [&](unsigned events) {
        if (events & EventLoop::kWritable) writable = true;
    });
    ASSERT_EQ(pair.Write("x", 1), 1);
    EXPECT_TRUE(this->RunUntil([&] { return got == "x"; }, 2000));
    this->RunUntil([] { return false; }, 20);
    EXPECT_FALSE(writable);  // not asked for yet
    loop.UpdateWatch(writeWatch, EventLoop::kWritable);
    EXPECT_TRUE(this->RunUntil([&] { return writable; }, 2000));
    loop.Unwatch(writeWatch);
    ASSERT_EQ(pair.Write("yz", 2), 2);
    this->RunUntil([] { return false; }, 50);
    EXPECT_EQ(got, "xy");
}

TYPED_TEST_P(LoopContract, PostsFromOtherThreadsKeepTheirOrder) {
    std::vector<int> got;
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i)
            this->Loop().PostFromAnyThread([&got, i] { got.push_back(i); });
    });
    EXPECT_TRUE(this->RunUntil([&] { return got.size() == 200; }, 3000));
    worker.join();
    for (int i = 0; i < static_cast<int>(got.size()); ++i) EXPECT_EQ(got[i], i);
}

REGISTER_TYPED_TEST_SUITE_P(LoopContract, PostsRunLaterInPostingOrder,
                            TimersRepeatUntilKilledEvenFromTheirOwnExpiry,
                            ArmingARunningTimerRestartsIt, WatchesReportReadinessUntilRemoved,
                            PostsFromOtherThreadsKeepTheirOrder);

}  // namespace torvane
