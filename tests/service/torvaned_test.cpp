// torvaned as people run it: a process on a free loopback port, holding one
// link to torvane-sim, answering HTTP clients.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "support/sim_process.h"
#include "torvaned_process.h"

namespace torvane::service::test {
namespace {

using nlohmann::json;
using sim::test::SimProcess;

std::vector<std::string> SimArgs() { return {"--port", "0", "--no-udp"}; }

json Body(const HttpReply& r) { return json::parse(r.body, nullptr, false); }

// Asks /api/health until the link is up (or `up` false: down with a reason).
json HealthOnceLinked(std::uint16_t port, bool up = true) {
    json health;
    for (int i = 0; i < 100; ++i) {
        health = Body(Request(port, "GET", "/api/health"));
        if ((health["link"] == "up") == up && (up || health.contains("problem"))) break;
        ::usleep(50 * 1000);
    }
    return health;
}

TEST(Torvaned, ServesTheSwitcherOverTcp) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(SimArgs())) << sim.Output();
    TorvanedProcess daemon;
    ASSERT_TRUE(daemon.Start({"--tcp", sim.TcpAddress()})) << daemon.Output();
    EXPECT_EQ(HealthOnceLinked(daemon.Port())["link"], "up");

    const HttpReply routed =
        Request(daemon.Port(), "POST", "/api/route", R"({"output":"D","input":7})",
                {"Content-Type: application/json"});
    EXPECT_EQ(routed.status, 200) << routed.body;
    EXPECT_EQ(routed.headers.at("content-type"), "application/json");
    const json matrix = Body(Request(daemon.Port(), "GET", "/api/matrix"));
    EXPECT_EQ(matrix["outputs"][3]["input"], 7);

    const HttpReply bad = Request(daemon.Port(), "POST", "/api/route", R"({"output":"D"})");
    EXPECT_EQ(bad.status, 400);
    EXPECT_EQ(Body(bad)["error"]["message"], "missing \"input\"");

    const HttpReply page = Request(daemon.Port(), "GET", "/");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.headers.at("content-type"), "text/html; charset=utf-8");
    EXPECT_EQ(Request(daemon.Port(), "GET", "/api/openapi.json").status, 200);
    EXPECT_EQ(daemon.Stop(), 0);
}

// An open event stream: what arrived so far, read until `text` shows.
struct EventClient {
    explicit EventClient(std::uint16_t port, const std::string& lastEventId = "") {
        fd = ConnectLoopback(port);
        std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        if (!lastEventId.empty()) request += "Last-Event-ID: " + lastEventId + "\r\n";
        SendAll(fd, request + "\r\n");
    }
    ~EventClient() { ::close(fd); }
    bool WaitFor(const std::string& text) {
        sim::test::ReadFor(fd, 10000, [&](const sim::test::Bytes& all) {
            seen.assign(all.begin(), all.end());
            return seen.find(text) != std::string::npos;
        });
        return seen.find(text) != std::string::npos;
    }
    int fd;
    std::string seen;
};

TEST(Torvaned, EventsReachEveryListeningClient) {
    TorvanedProcess daemon;
    ASSERT_TRUE(daemon.Start({"--demo"})) << daemon.Output();
    HealthOnceLinked(daemon.Port());
    EventClient first(daemon.Port()), second(daemon.Port());
    ASSERT_TRUE(first.WaitFor("event: state\n")) << first.seen;
    EXPECT_NE(first.seen.find("Content-Type: text/event-stream"), std::string::npos) << first.seen;
    ASSERT_TRUE(second.WaitFor("event: state\n")) << second.seen;
    ASSERT_EQ(Request(daemon.Port(), "POST", "/api/route", R"({"output":"A","input":5})").status,
              200);
    for (EventClient* client : {&first, &second})
        EXPECT_TRUE(client->WaitFor(R"("command":"/api/route")")) << client->seen;
}

TEST(Torvaned, BodiesAndHeadsAreBounded) {
    TorvanedProcess daemon;
    ASSERT_TRUE(daemon.Start({"--demo"})) << daemon.Output();
    const HttpReply big = Request(daemon.Port(), "POST", "/api/text", std::string(100 * 1024, 'x'));
    EXPECT_EQ(big.status, 413);
    const HttpReply longHead = Request(daemon.Port(), "GET", "/api/health", "",
                                       {"X-Padding: " + std::string(64 * 1024, 'p')});
    EXPECT_TRUE(longHead.status == 431 || longHead.status == 413 || longHead.status == 0)
        << longHead.status;
    // The service goes on answering.
    EXPECT_EQ(Request(daemon.Port(), "GET", "/api/health").status, 200);
}

TEST(Torvaned, ASecondServiceOnTheSameSerialPortSaysItIsInUse) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start(SimArgs())) << sim.Output();
    TorvanedProcess first, second;
    ASSERT_TRUE(first.Start({"--serial", sim.SerialPath()})) << first.Output();
    ASSERT_EQ(HealthOnceLinked(first.Port())["link"], "up");
    ASSERT_TRUE(second.Start({"--serial", sim.SerialPath()})) << second.Output();
    const json health = HealthOnceLinked(second.Port(), false);
    EXPECT_EQ(health["link"], "down");
    EXPECT_NE(health["problem"].get<std::string>().find("in use by another program"),
              std::string::npos)
        << health;
    const HttpReply refused = Request(second.Port(), "GET", "/api/status");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(refused.headers.count("retry-after"), 1u);
}

TEST(Torvaned, BeyondLoopbackChangesNeedTheTokenItMadePrivate) {
    char folder[] = "/tmp/torvaned-token-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    const std::string tokenFile = std::string(folder) + "/token";
    {
        TorvanedProcess daemon;
        ASSERT_TRUE(daemon.Start({"--demo", "--listen", "0.0.0.0:0", "--token-file", tokenFile}))
            << daemon.Output();
        struct stat st {};
        ASSERT_EQ(::stat(tokenFile.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        std::string token;
        std::getline(std::ifstream(tokenFile), token);
        ASSERT_GE(token.size(), 32u);
        HealthOnceLinked(daemon.Port());

        EXPECT_EQ(Request(daemon.Port(), "POST", "/api/beep", R"({"on":false})").status, 401);
        EXPECT_EQ(Request(daemon.Port(), "POST", "/api/beep", R"({"on":false})",
                          {"Authorization: Bearer " + token})
                      .status,
                  200);
        EXPECT_EQ(Request(daemon.Port(), "GET", "/api/health").status, 200);
    }
    // A token file others may read is refused: the secret would be out.
    ::chmod(tokenFile.c_str(), 0644);
    TorvanedProcess exposed;
    EXPECT_FALSE(exposed.Start({"--demo", "--listen", "0.0.0.0:0", "--token-file", tokenFile}));
    EXPECT_NE(exposed.Output().find("may be read by others"), std::string::npos)
        << exposed.Output();
    EXPECT_EQ(exposed.Stop(), 3);
    std::remove(tokenFile.c_str());
    ::rmdir(folder);
}

// A command whose link goes while it waits ends as lost with the link; the
// service reopens the link by itself once the switcher is back.
TEST(Torvaned, ALinkLostMidCommandAnswers503AndComesBack) {
    SimProcess sim;
    ASSERT_TRUE(sim.Start({"--port", "0", "--no-udp", "--front-panel", "--reply-delay", "100"}))
        << sim.Output();
    TorvanedProcess daemon;
    ASSERT_TRUE(daemon.Start({"--tcp", sim.TcpAddress(), "--refresh", "3600"})) << daemon.Output();
    ASSERT_EQ(HealthOnceLinked(daemon.Port())["link"], "up");

    const int fd = ConnectLoopback(daemon.Port());
    const std::string body = R"({"output":"C","input":6})";
    SendAll(fd,
            "POST /api/route HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
            "Content-Length: " +
                std::to_string(body.size()) + "\r\n\r\n" + body);
    // The route waits for the switcher (the Matrix page's entry, a reply at a
    // time): the switcher goes away meanwhile.
    json health = json::object();
    for (int i = 0; i < 200 && health.value("waiting", 0) == 0; ++i) {
        health = Body(Request(daemon.Port(), "GET", "/api/health"));
        ::usleep(10 * 1000);
    }
    ASSERT_EQ(health["waiting"], 1) << health;
    sim.Tell("vanish 3");
    std::string raw;
    sim::test::ReadFor(fd, 20000, [&raw](const sim::test::Bytes& all) {
        raw.assign(all.begin(), all.end());
        return false;
    });
    ::close(fd);
    const HttpReply lost = ParseReply(raw);
    EXPECT_EQ(lost.status, 503) << raw;
    EXPECT_EQ(Body(lost)["error"]["kind"], "link-lost") << lost.body;

    // Back after its growing waits, by itself.
    json back;
    for (int i = 0; i < 300 && back["link"] != "up"; ++i) {
        back = Body(Request(daemon.Port(), "GET", "/api/state"));
        ::usleep(50 * 1000);
    }
    EXPECT_EQ(back["link"], "up") << back;
    EXPECT_EQ(back["state"], "connected");
    EXPECT_EQ(Request(daemon.Port(), "POST", "/api/route", body).status, 200);
    EXPECT_EQ(daemon.Stop(), 0);
}

TEST(Torvaned, UsageErrorsEndWithStatus2) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"--serial"},
                                                                  {"--demo", "--tcp", "x"},
                                                                  {"--demo", "--listen", "nowhere"},
                                                                  {"--tcp", "host:0"},
                                                                  {"--bogus"}}) {
        TorvanedProcess daemon;
        EXPECT_FALSE(daemon.Start(args));
        EXPECT_EQ(daemon.Stop(), 2) << daemon.Output();
    }
}

}  // namespace
}  // namespace torvane::service::test
