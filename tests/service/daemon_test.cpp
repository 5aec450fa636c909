// The service put together, on virtual time against the in-process switcher:
// the state it tells is the one the switcher confirmed, every change reaches
// the event stream with its cause, and the link is kept by the supervisor.

#include "service/daemon.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>

#include "api_requests.h"
#include "app/profile_folder.h"
#include "platform/virtual_loop.h"
#include "sim/in_process_links.h"
#include "sim/switcher_model.h"

namespace torvane::service {
namespace {

using nlohmann::json;

// An event stream as a client reads it: every event's type and data.
struct EventClient : ResponseStream {
    struct Event {
        std::string type;
        json data;
    };
    void Write(const std::string& text) override {
        raw += text;
        std::size_t end;
        while ((end = raw.find("\n\n")) != std::string::npos) {
            const std::string block = raw.substr(0, end);
            raw.erase(0, end + 2);
            Event event;
            for (std::size_t at = 0; at < block.size();) {
                std::size_t eol = block.find('\n', at);
                if (eol == std::string::npos) eol = block.size();
                const std::string line = block.substr(at, eol - at);
                if (line.rfind("event: ", 0) == 0) event.type = line.substr(7);
                if (line.rfind("data: ", 0) == 0) event.data = json::parse(line.substr(6));
                at = eol + 1;
            }
            if (!event.type.empty()) events.push_back(event);
        }
    }
    void Close() override {}

    std::vector<Event> Of(const std::string& type) const {
        std::vector<Event> found;
        for (const auto& e : events)
            if (e.type == type) found.push_back(e);
        return found;
    }
    std::string raw;
    std::vector<Event> events;
};

struct DaemonRig {
    explicit DaemonRig(std::string profileFolder = "") {
        links.AddSwitcher(model);
        DaemonSettings settings;
        settings.link.serialPath = sim::kDefaultSerialPath;
        settings.supervision = {true, 0, 2000};
        settings.profileFolder = std::move(profileFolder);
        daemon.emplace(loop, links, std::move(settings));
    }

    HttpRequest Request(const std::string& method, const std::string& path,
                        const std::string& body = "") {
        return test::LoopbackRequest(method, path, body);
    }

    HttpResponse Call(const std::string& method, const std::string& path,
                      const std::string& body = "") {
        std::optional<HttpResponse> answer;
        daemon->Api().Handle(Request(method, path, body), [&](HttpResponse r) { answer = r; });
        for (int ms = 0; !answer && ms < 60000; ms += 10) loop.Advance(10);
        EXPECT_TRUE(answer.has_value());
        return answer.value_or(HttpResponse{});
    }

    std::shared_ptr<EventClient> Listen() {
        auto client = std::make_shared<EventClient>();
        daemon->Api().Handle(Request("GET", "/api/events"), [&](HttpResponse r) {
            ASSERT_TRUE(r.streamOpened);
            r.streamOpened(client);
        });
        return client;
    }

    bool AdvanceUntil(const std::function<bool()>& done, int limitMs = 60000) {
        for (int ms = 0; !done() && ms < limitMs; ms += 10) loop.Advance(10);
        return done();
    }

    json State() { return json::parse(Call("GET", "/api/state").body); }

    VirtualLoop loop;
    sim::SwitcherModel model{loop};
    sim::SimLinkFactory links{loop};
    std::optional<Daemon> daemon;
};

TEST(Daemon, TellsTheStateTheSwitcherConfirmedAndEachChangeWithItsCause) {
    DaemonRig rig;
    // Before the switcher has said anything, nothing is known.
    const json before = rig.State();
    EXPECT_EQ(before["link"], "down");
    EXPECT_TRUE(before["outputs"][1]["input"].is_null());

    rig.model.State().routing = {1, 5, 3, 4, 5, 6, 7, 8};
    rig.daemon->OpenLink();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["outputs"][7]["arc"].is_boolean(); }));
    const json state = rig.State();
    EXPECT_EQ(state["link"], "up");
    EXPECT_EQ(state["state"], "connected");
    EXPECT_EQ(state["power"], true);
    EXPECT_EQ(state["outputs"][1]["input"], 5);
    EXPECT_EQ(state["outputs"][1]["output"], "B");
    EXPECT_EQ(state["inputs"][0]["connected"], true);

    auto client = rig.Listen();
    ASSERT_EQ(client->Of("state").size(), 1u);
    EXPECT_EQ(client->Of("state")[0].data["outputs"][1]["input"], 5);

    // Changed at the switcher itself: found by the next refresh.
    rig.model.State().routing[2] = 7;
    auto routes = [&] {
        std::vector<json> found;
        for (const auto& e : client->Of("change"))
            if (e.data["what"] == "route") found.push_back(e.data);
        return found;
    };
    ASSERT_TRUE(rig.AdvanceUntil([&] { return !routes().empty(); }, 10000));
    EXPECT_EQ(routes()[0], json({{"what", "route"},
                                 {"output", "C"},
                                 {"input", 7},
                                 {"was", 3},
                                 {"cause", "elsewhere"}}));

    // Changed by a client: this program's own.
    EXPECT_EQ(rig.Call("POST", "/api/route", R"({"output":"A","input":2})").status, 200);
    ASSERT_EQ(routes().size(), 2u);
    EXPECT_EQ(routes()[1]["output"], "A");
    EXPECT_EQ(routes()[1]["input"], 2);
    EXPECT_EQ(routes()[1]["cause"], "this program");
    EXPECT_EQ(client->Of("command").size(), 1u);
    EXPECT_EQ(rig.State()["outputs"][0]["input"], 2);
}

TEST(Daemon, TheSupervisorReopensALostLinkAndEveryClientHearsHowItGoes) {
    DaemonRig rig;
    rig.daemon->OpenLink();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["link"] == "up"; }));
    auto client = rig.Listen();

    rig.links.UnplugSerial();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return !client->Of("link").empty(); }, 1000));
    const json lost = client->Of("link")[0].data;
    ASSERT_TRUE(lost.contains("retry_in_ms")) << lost;
    EXPECT_EQ(lost["state"], "lost");
    EXPECT_EQ(lost["link"], "down");
    EXPECT_FALSE(lost["reason"].get<std::string>().empty());
    // The supervisor's first wait: 0.5 s shortened by up to a quarter.
    EXPECT_LE(lost["retry_in_ms"].get<int>(), 500);
    EXPECT_GE(lost["retry_in_ms"].get<int>(), 375);
    EXPECT_EQ(rig.Call("GET", "/api/status").status, 503);

    // Attempts while it is gone wait longer each time.
    rig.loop.Advance(2000);
    std::vector<int> waits;
    for (const auto& e : client->Of("link"))
        if (e.data.contains("retry_in_ms")) waits.push_back(e.data["retry_in_ms"].get<int>());
    ASSERT_GE(waits.size(), 2u);
    EXPECT_GT(waits[1], waits[0]);

    rig.links.PlugInSerial();
    rig.model.State().routing[4] = 1;
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["link"] == "up"; }, 40000));
    EXPECT_EQ(client->Of("link").back().data["state"], "connected");
    // Read again in full once back.
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["outputs"][4]["input"] == 1; }, 5000));
    EXPECT_EQ(rig.Call("POST", "/api/beep", R"({"on":false})").status, 200);
}

TEST(Daemon, AFirstConnectionThatFailsIsTriedAgainAfterGrowingWaits) {
    DaemonRig rig;
    rig.links.UnplugSerial();
    rig.daemon->OpenLink();
    rig.loop.Advance(100);
    const json down = rig.State();
    EXPECT_EQ(down["link"], "down");
    EXPECT_FALSE(down["problem"].get<std::string>().empty());
    rig.loop.Advance(5000);
    rig.links.PlugInSerial();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["link"] == "up"; }, 40000));
    EXPECT_FALSE(rig.State().contains("problem"));
}

// Names and presets come from the switcher's profile: requests may name
// ports, and presets are saved from and applied to what the switcher confirms.
TEST(Daemon, NamesAndPresetsOfTheSwitchersProfile) {
    torvane::test::ProfileFolder folder;
    DaemonRig rig(folder.Profiles());
    rig.daemon->OpenLink();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["link"] == "up"; }));
    auto client = rig.Listen();

    EXPECT_EQ(rig.Call("POST", "/api/names", R"({"input":3,"name":"Apple TV"})").status, 200);
    EXPECT_EQ(rig.Call("POST", "/api/names", R"({"output":"B","name":"Projector"})").status, 200);
    // Everyone hears the new names with the whole state.
    ASSERT_FALSE(client->Of("state").empty());
    EXPECT_EQ(client->Of("state").back().data["inputs"][2]["name"], "Apple TV");
    const json names = json::parse(rig.Call("GET", "/api/names").body);
    EXPECT_EQ(names["outputs"][1]["name"], "Projector");
    EXPECT_TRUE(names["outputs"][0]["name"].is_null());

    const HttpResponse routed =
        rig.Call("POST", "/api/route", R"({"output":"projector","input":"Apple TV"})");
    EXPECT_EQ(routed.status, 200) << routed.body;
    EXPECT_EQ(rig.model.State().routing[1], 3);
    const HttpResponse unknown =
        rig.Call("POST", "/api/route", R"({"output":"B","input":"Apple"})");
    EXPECT_EQ(unknown.status, 400);
    EXPECT_EQ(json::parse(unknown.body)["error"]["message"],
              "no input \"Apple\": give 1-8 or a name: 3 \"Apple TV\"");

    const HttpResponse saved =
        rig.Call("POST", "/api/presets", R"({"name":"Evening","outputs":["B","C"]})");
    ASSERT_EQ(saved.status, 200) << saved.body;
    EXPECT_EQ(json::parse(saved.body)["outputs"]["B"]["input"], 3);
    rig.model.State().routing[1] = 8;  // changed at the switcher
    rig.model.State().routing[2] = 8;
    // Applied against what the switcher confirmed: found by the refresh.
    rig.loop.Advance(3000);
    const HttpResponse applied = rig.Call("POST", "/api/presets/apply", R"({"name":"Evening"})");
    ASSERT_EQ(applied.status, 200) << applied.body;
    EXPECT_EQ(rig.model.State().routing[1], 3);
    EXPECT_EQ(rig.model.State().routing[2], 3);
    EXPECT_EQ(json::parse(applied.body)["outputs"]["B"]["result"], "changed");

    EXPECT_EQ(json::parse(rig.Call("GET", "/api/presets").body)["presets"][0]["name"], "Evening");
    EXPECT_EQ(rig.Call("POST", "/api/presets/delete", R"({"name":"Evening"})").status, 200);
    EXPECT_TRUE(rig.State()["presets"].empty());
    for (const char* body : {R"({"name":"Evening"})", R"({"name":""})", R"({"name":3})"})
        EXPECT_EQ(rig.Call("POST", "/api/presets/apply", body).status, 400) << body;
    EXPECT_EQ(rig.Call("POST", "/api/names", R"({"input":3,"output":"A","name":"x"})").status, 400);
}

// Without a profile (no configuration folder) names are refused, never kept
// in memory only.
TEST(Daemon, WithoutAProfileNamesAreRefused) {
    DaemonRig rig;
    rig.daemon->OpenLink();
    ASSERT_TRUE(rig.AdvanceUntil([&] { return rig.State()["link"] == "up"; }));
    const HttpResponse refused = rig.Call("POST", "/api/names", R"({"input":3,"name":"TV"})");
    EXPECT_EQ(refused.status, 503);
    EXPECT_EQ(json::parse(refused.body)["error"]["kind"], "no-profile");
    EXPECT_FALSE(rig.State().contains("presets"));
}

}  // namespace
}  // namespace torvane::service
