#include "platform/virtual_loop.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/loop_contract.h"
#include "platform/poll_loop.h"
#include "platform/window_timers.h"
#include "support/descriptor_pair.h"

namespace torvane {
namespace {

TEST(VirtualLoop, TimersFireInDueThenArmingOrderWithPostsSettledBetween) {
    VirtualLoop loop;
    std::string trace;
    WindowTimers main(loop, [&](int id) {
        trace += "main" + std::to_string(id) + "@" + std::to_string(loop.Now()) + " ";
        if (id == 7) {
            main.KillTimer(7);  // one shot
            loop.Post([&] { trace += "posted@" + std::to_string(loop.Now()) + " "; });
        }
    });
    WindowTimers page(loop, [&](int id) {
        trace += "page" + std::to_string(id) + "@" + std::to_string(loop.Now()) + " ";
        page.KillTimer(id);
    });
    main.SetTimer(7, 3000);
    page.SetTimer(7, 3000);  // same id, other window: a separate timer
    main.SetTimer(1, 1000);  // periodic; armed last, so last among equals
    loop.Advance(3000);
    EXPECT_EQ(trace, "main1@1000 main1@2000 main7@3000 posted@3000 page7@3000 main1@3000 ");
    EXPECT_EQ(loop.Now(), 3000);
}

TEST(VirtualLoop, ArmingARunningIdRestartsItAndKillStopsIt) {
    VirtualLoop loop;
    std::vector<TimeMs> fired;
    WindowTimers w(loop, [&](int) { fired.push_back(loop.Now()); });
    w.SetTimer(1000, 7000);
    loop.Advance(5000);
    w.SetTimer(1000, 7000);  // restart: due at 12000, not 7000
    loop.Advance(6999);
    EXPECT_TRUE(fired.empty());
    loop.Advance(1);
    EXPECT_EQ(fired, std::vector<TimeMs>{12000});
    loop.Advance(7000);
    EXPECT_EQ(fired.size(), 2u);  // fires every period until killed
    w.KillTimer(1000);
    w.KillTimer(1000);  // harmless twice
    loop.Advance(20000);
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_FALSE(w.IsRunning(1000));
}

TEST(VirtualLoop, PostsFromOtherThreadsArriveInOrder) {
    VirtualLoop loop;
    std::vector<int> got;
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) loop.PostFromAnyThread([&got, i] { got.push_back(i); });
    });
    worker.join();
    EXPECT_TRUE(loop.RunUntil([&] { return got.size() == 100; }, 2000));
    for (int i = 0; i < 100; ++i) EXPECT_EQ(got[i], i);
}

TEST(PollLoop, RunsTimersDescriptorsAndCrossThreadPostsInRealTime) {
    PollLoop loop;
    test::DescriptorPair pair;
    std::string got;
    auto watch = loop.WatchFd(pair.ReadFd(), EventLoop::kReadable, [&](unsigned ev) {
        char c;
        if ((ev & EventLoop::kReadable) && pair.Read(&c, 1) == 1) got += c;
        if (got.find('p') != std::string::npos && got.find('t') != std::string::npos) loop.Quit(3);
    });
    loop.StartTimer(5, [&] { [[maybe_unused]] auto n = pair.Write("t", 1); });
    std::thread([&] { loop.PostFromAnyThread([&] { got += "p"; }); }).join();
    // Only a loop that never delivers gets here; a loaded one is just late.
    loop.StartTimer(5000, [&] { loop.Quit(4); });
    EXPECT_EQ(loop.Run(), 3);
    EXPECT_NE(got.find('p'), std::string::npos);
    EXPECT_NE(got.find('t'), std::string::npos);
    loop.Unwatch(watch);
}

struct PollLoopHarness {
    PollLoop loop;
    EventLoop& Loop() { return loop; }
    bool RunUntil(const std::function<bool()>& done, int ms) {
        const TimeMs end = loop.Now() + ms;
        while (!done() && loop.Now() < end) loop.RunFor(std::min<TimeMs>(5, end - loop.Now()));
        return done();
    }
};
INSTANTIATE_TYPED_TEST_SUITE_P(Poll, LoopContract, PollLoopHarness);

}  // namespace
}  // namespace torvane
