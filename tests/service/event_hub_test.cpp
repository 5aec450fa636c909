// Events to every listening client, and a client that comes back gets what
// it missed or, when the history no longer holds it, the full state.

#include "service/event_hub.h"

#include <gtest/gtest.h>

#include "platform/virtual_loop.h"

namespace torvane::service {
namespace {

struct Stream : ResponseStream {
    void Write(const std::string& data) override { written += data; }
    void Close() override { closed = true; }
    std::string written;
    bool closed = false;
};

struct Client {
    std::shared_ptr<Stream> stream = std::make_shared<Stream>();
    std::function<void()> leave;
};

Client Listen(EventHub& hub, const std::string& lastEventId = "") {
    HttpRequest request;
    request.method = "GET";
    request.path = "/api/events";
    if (!lastEventId.empty()) request.headers["last-event-id"] = lastEventId;
    Client client;
    hub.Open(request, [&](HttpResponse response) {
        EXPECT_EQ(response.contentType, "text/event-stream");
        client.leave = response.streamClosed;
        response.streamOpened(client.stream);
    });
    return client;
}

// The id of the last event written to `text`.
std::string LastId(const std::string& text) {
    const auto at = text.rfind("id: ");
    return text.substr(at + 4, text.find('\n', at) - at - 4);
}

TEST(EventHub, EveryClientGetsEveryEventAfterAFullState) {
    VirtualLoop loop;
    EventHub hub(loop);
    hub.SetSnapshot([] { return std::string(R"({"power":true})"); });
    Client a = Listen(hub), b = Listen(hub);
    EXPECT_NE(a.stream->written.find("event: state\ndata: {\"power\":true}\n\n"),
              std::string::npos);
    hub.Publish("change", R"({"what":"route"})");
    for (const Client* c : {&a, &b})
        EXPECT_NE(c->stream->written.find("event: change\ndata: {\"what\":\"route\"}\n\n"),
                  std::string::npos);
    b.leave();
    EXPECT_EQ(hub.Clients(), 1u);
    hub.Publish("change", "{}");
    EXPECT_EQ(hub.Clients(), 1u);
}

TEST(EventHub, AReturningClientGetsWhatItMissedOrTheFullState) {
    VirtualLoop loop;
    EventHub hub(loop, 3);
    hub.SetSnapshot([] { return std::string("{}"); });
    Client first = Listen(hub);
    hub.Publish("change", R"({"n":1})");
    const std::string seen = LastId(first.stream->written);
    first.leave();
    hub.Publish("change", R"({"n":2})");
    hub.Publish("change", R"({"n":3})");

    Client back = Listen(hub, seen);
    EXPECT_EQ(back.stream->written.find("event: state"), std::string::npos);
    EXPECT_EQ(back.stream->written.find(R"({"n":1})"), std::string::npos);
    EXPECT_NE(back.stream->written.find(R"({"n":2})"), std::string::npos);
    EXPECT_NE(back.stream->written.find(R"({"n":3})"), std::string::npos);

    hub.Publish("change", R"({"n":4})");
    hub.Publish("change", R"({"n":5})");  // the history now starts at 3: 2 is gone
    for (const std::string& id : {seen, std::string("0-1"), std::string("nonsense")}) {
        Client late = Listen(hub, id);
        EXPECT_NE(late.stream->written.find("event: state"), std::string::npos) << id;
        EXPECT_EQ(late.stream->written.find("event: change"), std::string::npos) << id;
    }
}

TEST(EventHub, IdleClientsHearAKeepAlive) {
    VirtualLoop loop;
    EventHub hub(loop);
    Client a = Listen(hub);
    loop.Advance(EventHub::kKeepAliveMs);
    EXPECT_NE(a.stream->written.find(": keep-alive\n\n"), std::string::npos);
}

}  // namespace
}  // namespace torvane::service
