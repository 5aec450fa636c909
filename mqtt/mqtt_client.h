#pragma once
// What the bridge needs of an MQTT connection: publish, subscribe, and hear
// when the broker is reached or lost and when a message arrives. The
// connection keeps itself up (reconnecting after losses) and runs on the
// core's loop; every callback runs on the loop's thread.

#include <functional>
#include <string>

namespace torvane::mqtt {

struct MqttMessage {
    std::string topic;
    std::string payload;
    // Kept by the broker from before this connection, not sent just now.
    bool retained = false;
};

class MqttClient {
  public:
    struct Handlers {
        std::function<void()> connected;
        std::function<void(const std::string& reason)> lost;
        std::function<void(const MqttMessage& message)> message;
        // Retained messages were dropped for good (the queue overflowed): the
        // broker may hold stale values until everything is published again.
        std::function<void()> stale;
    };

    virtual ~MqttClient() = default;
    virtual void SetHandlers(Handlers handlers) = 0;
    // Starts connecting; the connection is kept up from then on.
    virtual void Start() = 0;
    virtual bool Connected() const = 0;
    // Sends at once while connected and the socket keeps up. A retained
    // message while disconnected is dropped (the bridge publishes its whole
    // state again on connecting); others wait in order in a bounded queue,
    // where a retained message replaces the one waiting for its topic and
    // the oldest go first when it is full.
    virtual void Publish(const std::string& topic, const std::string& payload, bool retain) = 0;
    // Kept across reconnections.
    virtual void Subscribe(const std::string& pattern) = 0;
};

}  // namespace torvane::mqtt
