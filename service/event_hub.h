#pragma once
// Server-sent events for every client that listens: each event is written to
// all of them and kept in a bounded history, so a client that comes back with
// the id of the last event it saw gets what it missed; one that missed more
// than the history holds (or comes new) starts from a full state instead.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/event_loop.h"
#include "service/http_exchange.h"

namespace torvane::service {

class EventHub {
  public:
    static constexpr std::size_t kDefaultHistory = 256;
    // A comment line this often keeps idle connections and proxies open and
    // lets the server notice clients that left.
    static constexpr int kKeepAliveMs = 15000;

    EventHub(EventLoop& loop, std::size_t history = kDefaultHistory);
    ~EventHub();

    // The "state" event's data: a JSON object of everything known now.
    void SetSnapshot(std::function<std::string()> snapshot) { snapshot_ = std::move(snapshot); }

    // Sends an event of `type` whose data is the JSON text `data`.
    void Publish(const std::string& type, const std::string& data);

    // Answers GET /api/events with a stream.
    void Open(const HttpRequest& request, const Respond& respond);

    std::size_t Clients() const { return clients_.size(); }

  private:
    struct Event {
        std::uint64_t number;
        std::string text;  // as written on the stream
    };
    std::string Id(std::uint64_t number) const;
    void Start(std::uint64_t client, const std::shared_ptr<ResponseStream>& stream,
               const std::string& lastEventId);
    void KeepAlive();

    EventLoop& loop_;
    std::size_t historyLimit_;
    // Ids carry the service's start, so an id from an earlier run is not
    // taken for one of this run.
    std::string epoch_;
    std::uint64_t next_ = 1;
    std::deque<Event> history_;
    std::map<std::uint64_t, std::shared_ptr<ResponseStream>> clients_;
    std::uint64_t nextClient_ = 1;
    std::function<std::string()> snapshot_;
    EventLoop::TimerId keepAlive_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::service
