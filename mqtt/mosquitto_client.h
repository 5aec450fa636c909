#pragma once
// An MQTT connection through libmosquitto driven by the core's loop: the
// library's socket is watched by the loop, its reads, writes and keep-alive
// run from the loop's callbacks and a timer, so there is no thread of its
// own. A lost or refused connection is tried again after growing, jittered
// waits, as the switcher's link is.

#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "mqtt/mqtt_client.h"
#include "platform/event_loop.h"

struct mosquitto;
struct mosquitto_message;

namespace torvane::mqtt {

struct BrokerSettings {
    std::string host = "127.0.0.1";
    int port = 1883;
    std::string clientId;
    std::string user;  // "" for none
    std::string password;
    std::string cafile;  // "" for a plain connection
    int keepAliveSeconds = 30;
    // The last will, published by the broker when this connection ends
    // without a goodbye.
    std::string willTopic;
    std::string willPayload;
    // Messages that may wait for the broker (or for the socket): beyond it
    // the oldest are dropped.
    std::size_t queueLimit = 256;
    // Messages handed to the library that its socket has not taken yet;
    // more wait in the queue, where the oldest can still be dropped.
    std::size_t inFlightLimit = 32;
};

class MosquittoClient : public MqttClient {
  public:
    using Log = std::function<void(const std::string& line)>;

    MosquittoClient(EventLoop& loop, BrokerSettings settings, Log log);
    ~MosquittoClient() override;
    MosquittoClient(const MosquittoClient&) = delete;
    MosquittoClient& operator=(const MosquittoClient&) = delete;

    void SetHandlers(Handlers handlers) override { handlers_ = std::move(handlers); }
    void Start() override;
    bool Connected() const override { return connected_; }
    void Publish(const std::string& topic, const std::string& payload, bool retain) override;
    void Subscribe(const std::string& pattern) override;

    // Messages dropped because the queue was full, since the start.
    std::size_t Dropped() const { return dropped_; }

  private:
    struct Waiting {
        std::string topic;
        std::string payload;
        bool retain;
    };

    static void OnConnect(mosquitto*, void* self, int rc);
    static void OnDisconnect(mosquitto*, void* self, int rc);
    static void OnPublish(mosquitto*, void* self, int mid);
    static void OnMessage(mosquitto*, void* self, const mosquitto_message* message);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    void Attempt();
    void ScheduleAttempt();
    void Lose(const std::string& reason);
    void OnReady(unsigned events);
    void Misc();
    // Watches the library's socket for what it wants now.
    void Rewatch();
    void Send(const Waiting& message);
    void Enqueue(Waiting message);
    // Hands the library what waits, as far as its socket keeps up.
    void Flush();
    // What the library's last error told beyond its code (TLS's reason).
    std::string Reason(int rc) const;

    EventLoop& loop_;
    BrokerSettings settings_;
    Log log_;
    Handlers handlers_;
    mosquitto* mosq_ = nullptr;
    int watchedFd_ = -1;
    EventLoop::WatchId watch_ = 0;
    unsigned watchedEvents_ = 0;
    EventLoop::TimerId attemptTimer_ = 0;
    EventLoop::TimerId miscTimer_ = 0;
    int attempts_ = 0;
    bool started_ = false;
    bool connected_ = false;
    std::vector<std::string> subscriptions_;
    std::deque<Waiting> queue_;
    // Messages handed to the library and not yet written to the socket.
    std::size_t unwritten_ = 0;
    std::size_t dropped_ = 0;
    // Dropped since the queue last emptied, told once it has.
    std::size_t droppedLately_ = 0;
    bool retainedDropped_ = false;
    bool tlsReady_ = true;
    std::string lastLibraryError_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace torvane::mqtt
