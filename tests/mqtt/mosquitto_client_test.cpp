// The broker connection's outgoing queue against Debian's broker: what waits
// while the broker is away or stops reading, what is dropped, and that the
// broker is never left holding a retained value older than the last one.

#include "mqtt/mosquitto_client.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "broker_process.h"
#include "platform/poll_loop.h"

namespace torvane::mqtt::test {
namespace {

class ClientQueue : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/torvane-mqtt-queue-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        settings_.port = FreePort();
        settings_.clientId = "queue-test";
        settings_.keepAliveSeconds = 5;
    }
    void TearDown() override {
        client_.reset();
        broker_.Stop();
        std::filesystem::remove_all(folder_);
    }

    void MakeClient(MqttClient::Handlers handlers) {
        client_ = std::make_unique<MosquittoClient>(
            loop_, settings_, [this](const std::string& line) { log_ += line + "\n"; });
        handlers.connected = [this, then = handlers.connected] {
            connected_ = true;
            if (then) then();
        };
        client_->SetHandlers(handlers);
        client_->Start();
    }

    // A watcher that has surely subscribed: it saw a probe published after.
    bool WatchReady(Watcher& watcher) {
        return watcher.Start(broker_.Port(), {"q/#"}) && WaitProbe(watcher);
    }
    bool WaitProbe(Watcher& watcher) {
        for (int i = 0; i < 50; ++i) {
            PublishOnce(broker_.Port(), "q/probe", "ready");
            if (watcher.WaitForLine({"q/probe ready"}, 100)) return true;
        }
        return false;
    }

    // Runs the loop until `done` or 10 s.
    template <typename Done>
    bool RunUntil(Done done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            loop_.RunFor(20);
        }
        return true;
    }

    // The payloads seen on `topic`, in order.
    static std::vector<std::string> PayloadsOn(const Watcher& watcher, const std::string& topic) {
        std::vector<std::string> payloads;
        std::istringstream lines(watcher.Output());
        for (std::string line; std::getline(lines, line);)
            if (line.rfind(topic + " ", 0) == 0) payloads.push_back(line.substr(topic.size() + 1));
        return payloads;
    }

    std::string folder_;
    PollLoop loop_;
    BrokerSettings settings_;
    BrokerProcess broker_;
    std::unique_ptr<MosquittoClient> client_;
    std::string log_;
    bool connected_ = false;
};

TEST_F(ClientQueue, KeepsTheNewestWhileTheBrokerIsAwayAndSendsThemInOrderWhenItComes) {
    settings_.queueLimit = 256;
    MakeClient({});
    for (int i = 0; i < 300; ++i) client_->Publish("q/event", std::to_string(i), false);
    // A retained value is not kept: everything retained is published again
    // on connecting.
    client_->Publish("q/state", "from before", true);
    EXPECT_NE(log_.find("more than 256 messages wait for the broker; the oldest are dropped"),
              std::string::npos)
        << log_;
    EXPECT_EQ(client_->Dropped(), 44u);

    ASSERT_TRUE(broker_.Start(folder_, settings_.port)) << broker_.Output();
    Watcher watcher;
    ASSERT_TRUE(WatchReady(watcher)) << watcher.Output();
    ASSERT_TRUE(RunUntil([&] { return connected_; })) << log_;
    client_->Publish("q/event", "after", false);
    ASSERT_TRUE(RunUntil([&] { return watcher.WaitForLine({"q/event after"}, 10); }))
        << watcher.Output();

    std::vector<std::string> expected;
    for (int i = 44; i < 300; ++i) expected.push_back(std::to_string(i));
    expected.push_back("after");
    EXPECT_EQ(PayloadsOn(watcher, "q/event"), expected);
    EXPECT_TRUE(PayloadsOn(watcher, "q/state").empty());
    EXPECT_NE(log_.find("44 messages were dropped while waiting for the broker"), std::string::npos)
        << log_;
}

TEST_F(ClientQueue, ABrokerThatStopsReadingIsToldTheLatestRetainedValueInTheEnd) {
    settings_.queueLimit = 8;
    settings_.inFlightLimit = 4;
    ASSERT_TRUE(broker_.Start(folder_, settings_.port)) << broker_.Output();
    int republished = 0;
    std::string state = "1";
    MqttClient::Handlers handlers;
    handlers.stale = [&] {
        ++republished;
        client_->Publish("q/state", state, true);
    };
    MakeClient(handlers);
    ASSERT_TRUE(RunUntil([&] { return connected_; })) << log_;
    Watcher watcher;
    ASSERT_TRUE(WatchReady(watcher)) << watcher.Output();
    client_->Publish("q/state", state, true);
    ASSERT_TRUE(RunUntil([&] { return watcher.WaitForLine({"q/state 1"}, 10); }));

    // Big messages fill the socket's buffers while the broker is stopped,
    // then the queue; the new state is queued behind them and dropped.
    broker_.Pause(true);
    const std::string bulk(256 * 1024, 'x');
    for (int i = 0; i < 200 && client_->Dropped() == 0; ++i) client_->Publish("bulk", bulk, false);
    ASSERT_GT(client_->Dropped(), 0u) << "the socket never filled";
    state = "2";
    client_->Publish("q/state", state, true);
    for (int i = 0; i < 8; ++i) client_->Publish("bulk", bulk, false);
    broker_.Pause(false);

    ASSERT_TRUE(RunUntil([&] { return watcher.WaitForLine({"q/state 2"}, 10); }))
        << watcher.Output() << log_;
    EXPECT_EQ(republished, 1);
    EXPECT_NE(log_.find("the oldest are dropped"), std::string::npos) << log_;
}

}  // namespace
}  // namespace torvane::mqtt::test
