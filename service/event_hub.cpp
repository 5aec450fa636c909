#include "service/event_hub.h"

#include <chrono>

namespace torvane::service {

EventHub::EventHub(EventLoop& loop, std::size_t history)
    : loop_(loop),
      historyLimit_(history),
      epoch_(std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count())) {
    keepAlive_ = loop_.StartTimer(kKeepAliveMs, [this] { KeepAlive(); });
}

EventHub::~EventHub() {
    *alive_ = false;
    loop_.CancelTimer(keepAlive_);
    for (auto& [id, stream] : clients_) stream->Close();
}

std::string EventHub::Id(std::uint64_t number) const {
    return epoch_ + "-" + std::to_string(number);
}

void EventHub::Publish(const std::string& type, const std::string& data) {
    const std::uint64_t number = next_++;
    std::string text = "id: " + Id(number) + "\nevent: " + type + "\ndata: " + data + "\n\n";
    for (auto& [id, stream] : clients_) stream->Write(text);
    history_.push_back({number, std::move(text)});
    if (history_.size() > historyLimit_) history_.pop_front();
}

void EventHub::Open(const HttpRequest& request, const Respond& respond) {
    const std::uint64_t client = nextClient_++;
    const std::string lastEventId = request.Header("last-event-id");
    HttpResponse response;
    response.contentType = "text/event-stream";
    response.headers = {{"Cache-Control", "no-cache"}, {"X-Accel-Buffering", "no"}};
    response.streamOpened = [this, client, lastEventId, alive = std::weak_ptr<bool>(alive_)](
                                std::shared_ptr<ResponseStream> stream) {
        if (!alive.expired()) Start(client, stream, lastEventId);
    };
    response.streamClosed = [this, client, alive = std::weak_ptr<bool>(alive_)] {
        if (!alive.expired()) clients_.erase(client);
    };
    respond(std::move(response));
}

void EventHub::Start(std::uint64_t client, const std::shared_ptr<ResponseStream>& stream,
                     const std::string& lastEventId) {
    clients_[client] = stream;
    // A browser waits this long before it comes back with Last-Event-ID.
    stream->Write("retry: 2000\n\n");
    const std::string prefix = epoch_ + "-";
    if (!lastEventId.empty() && lastEventId.rfind(prefix, 0) == 0 && !history_.empty()) {
        std::uint64_t seen = 0;
        try {
            seen = std::stoull(lastEventId.substr(prefix.size()));
        } catch (...) {
            seen = 0;
        }
        // Everything after `seen` is still in the history: replay it.
        if (seen + 1 >= history_.front().number && seen < next_) {
            for (const auto& event : history_)
                if (event.number > seen) stream->Write(event.text);
            return;
        }
    }
    const std::string state = snapshot_ ? snapshot_() : "{}";
    // The full state carries the id of the last event it includes.
    const std::uint64_t last = next_ - 1;
    stream->Write("id: " + Id(last) + "\nevent: state\ndata: " + state + "\n\n");
}

void EventHub::KeepAlive() {
    for (auto& [id, stream] : clients_) stream->Write(": keep-alive\n\n");
}

}  // namespace torvane::service
