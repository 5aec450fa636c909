#include "mqtt/mosquitto_client.h"

#include <mosquitto.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#include "app/connection_supervisor.h"

namespace torvane::mqtt {
namespace {

// How often the library's keep-alive and time-outs are looked after.
constexpr int kMiscPeriodMs = 1000;

struct LibraryInit {
    LibraryInit() { mosquitto_lib_init(); }
};

double Jitter() {
    static std::minstd_rand random{std::random_device{}()};
    return std::uniform_real_distribution<double>(0.0, 1.0)(random);
}

}  // namespace

MosquittoClient::MosquittoClient(EventLoop& loop, BrokerSettings settings, Log log)
    : loop_(loop), settings_(std::move(settings)), log_(std::move(log)) {
    static LibraryInit init;
    mosq_ = mosquitto_new(settings_.clientId.empty() ? nullptr : settings_.clientId.c_str(), true,
                          this);
    if (!mosq_) return;
    mosquitto_connect_callback_set(mosq_, &MosquittoClient::OnConnect);
    mosquitto_disconnect_callback_set(mosq_, &MosquittoClient::OnDisconnect);
    mosquitto_publish_callback_set(mosq_, &MosquittoClient::OnPublish);
    mosquitto_message_callback_set(mosq_, &MosquittoClient::OnMessage);
    mosquitto_log_callback_set(mosq_, &MosquittoClient::OnLog);
    // A command's message and its confirmation are small and each waits for
    // the other: none of them is held back to be sent with more.
    mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
    if (!settings_.user.empty())
        mosquitto_username_pw_set(
            mosq_, settings_.user.c_str(),
            settings_.password.empty() ? nullptr : settings_.password.c_str());
    if (!settings_.willTopic.empty())
        mosquitto_will_set(mosq_, settings_.willTopic.c_str(),
                           static_cast<int>(settings_.willPayload.size()),
                           settings_.willPayload.data(), 1, true);
    if (!settings_.cafile.empty()) {
        // Never the plain connection in its place: the password and every
        // command would cross the network readable.
        std::string problem;
        if (!std::ifstream(settings_.cafile))
            problem = std::string("cannot read it: ") + strerror(errno);
        else if (const int rc = mosquitto_tls_set(mosq_, settings_.cafile.c_str(), nullptr, nullptr,
                                                  nullptr, nullptr);
                 rc != MOSQ_ERR_SUCCESS)
            problem = mosquitto_strerror(rc);
        if (!problem.empty()) {
            tlsReady_ = false;
            log_("mqtt: TLS with " + settings_.cafile + ": " + problem + "; not connecting");
        }
    }
}

MosquittoClient::~MosquittoClient() {
    *alive_ = false;
    loop_.CancelTimer(attemptTimer_);
    loop_.CancelTimer(miscTimer_);
    if (watch_) loop_.Unwatch(watch_);
    if (mosq_) {
        // A goodbye would tell the broker not to publish the last will; a
        // bridge that ends is offline all the same, so it says so first.
        if (connected_ && !settings_.willTopic.empty()) {
            mosquitto_publish(mosq_, nullptr, settings_.willTopic.c_str(),
                              static_cast<int>(settings_.willPayload.size()),
                              settings_.willPayload.data(), 1, true);
            mosquitto_loop_write(mosq_, 1);
        }
        mosquitto_disconnect(mosq_);
        mosquitto_loop_write(mosq_, 1);
        mosquitto_destroy(mosq_);
    }
}

void MosquittoClient::Start() {
    if (started_) return;
    started_ = true;
    if (!mosq_) {
        log_("mqtt: the MQTT library could not start a client");
        return;
    }
    if (!tlsReady_) return;
    miscTimer_ = loop_.StartTimer(kMiscPeriodMs, [this] { Misc(); });
    Attempt();
}

void MosquittoClient::Attempt() {
    loop_.CancelTimer(attemptTimer_);
    attemptTimer_ = 0;
    const int rc = mosquitto_connect_async(mosq_, settings_.host.c_str(), settings_.port,
                                           settings_.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        log_("mqtt: cannot reach " + settings_.host + ":" + std::to_string(settings_.port) + ": " +
             Reason(rc));
        return ScheduleAttempt();
    }
    Rewatch();
}

void MosquittoClient::ScheduleAttempt() {
    if (attemptTimer_) return;
    const int wait = ConnectionSupervisor::WaitBefore(attempts_++, Jitter());
    attemptTimer_ = loop_.StartTimer(wait, [this] { Attempt(); });
}

void MosquittoClient::Lose(const std::string& reason) {
    if (watch_) loop_.Unwatch(watch_);
    watch_ = 0;
    watchedFd_ = -1;
    unwritten_ = 0;
    // Everything is published again on connecting.
    retainedDropped_ = false;
    const bool was = connected_;
    connected_ = false;
    if (was) {
        log_("mqtt: lost the broker: " + reason);
        if (handlers_.lost) handlers_.lost(reason);
    } else {
        log_("mqtt: cannot reach " + settings_.host + ":" + std::to_string(settings_.port) + ": " +
             reason);
    }
    ScheduleAttempt();
}

void MosquittoClient::Rewatch() {
    const int fd = mosquitto_socket(mosq_);
    if (fd < 0) {
        if (watch_) Lose("the connection closed");
        return;
    }
    const unsigned events =
        EventLoop::kReadable | (mosquitto_want_write(mosq_) ? EventLoop::kWritable : 0u);
    if (fd != watchedFd_) {
        if (watch_) loop_.Unwatch(watch_);
        watch_ = loop_.WatchFd(fd, events, [this](unsigned ready) { OnReady(ready); });
        watchedFd_ = fd;
        watchedEvents_ = events;
    } else if (events != watchedEvents_) {
        loop_.UpdateWatch(watch_, events);
        watchedEvents_ = events;
    }
}

void MosquittoClient::OnReady(unsigned events) {
    const std::weak_ptr<bool> alive = alive_;
    int rc = MOSQ_ERR_SUCCESS;
    if (events & (EventLoop::kReadable | EventLoop::kError)) rc = mosquitto_loop_read(mosq_, 1);
    if (alive.expired()) return;
    if (rc == MOSQ_ERR_SUCCESS && (events & EventLoop::kWritable))
        rc = mosquitto_loop_write(mosq_, 1);
    if (alive.expired()) return;
    if (rc != MOSQ_ERR_SUCCESS) return Lose(Reason(rc));
    Flush();
    Rewatch();
}

void MosquittoClient::Misc() {
    if (!watch_) return;
    const int rc = mosquitto_loop_misc(mosq_);
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(mosq_) < 0)
        return Lose("no answer from the broker");
    Rewatch();
}

std::string MosquittoClient::Reason(int rc) const {
    if (rc == MOSQ_ERR_ERRNO) return strerror(errno);
    std::string reason = mosquitto_strerror(rc);
    // The library tells a TLS failure's cause (an unknown certificate
    // authority, a name that does not match) only in its log.
    if (rc == MOSQ_ERR_TLS && !lastLibraryError_.empty()) reason += " (" + lastLibraryError_ + ")";
    return reason;
}

void MosquittoClient::OnLog(mosquitto*, void* self, int level, const char* text) {
    if (level == MOSQ_LOG_ERR && text)
        static_cast<MosquittoClient*>(self)->lastLibraryError_ = text;
}

void MosquittoClient::OnConnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (rc != 0) {
        // Refused (a wrong password, say): asked again later, as the broker's
        // owner may fix it meanwhile.
        client->log_(std::string("mqtt: the broker refused the connection: ") +
                     mosquitto_connack_string(rc));
        return;
    }
    client->connected_ = true;
    client->attempts_ = 0;
    client->unwritten_ = 0;
    // Subscribed and published after the library's read has returned.
    client->loop_.Post([client, alive = std::weak_ptr<bool>(client->alive_)] {
        if (alive.expired() || !client->connected_) return;
        client->log_("mqtt: connected to " + client->settings_.host + ":" +
                     std::to_string(client->settings_.port));
        for (const auto& pattern : client->subscriptions_)
            mosquitto_subscribe(client->mosq_, nullptr, pattern.c_str(), 1);
        client->Flush();
        if (client->handlers_.connected) client->handlers_.connected();
        client->Rewatch();
    });
}

void MosquittoClient::OnDisconnect(mosquitto*, void* self, int rc) {
    auto* client = static_cast<MosquittoClient*>(self);
    // Told from inside the library's calls; the loop notices the closed
    // socket after them.
    if (rc != 0)
        client->loop_.Post([client, alive = std::weak_ptr<bool>(client->alive_)] {
            if (!alive.expired() && client->watch_ && mosquitto_socket(client->mosq_) < 0)
                client->Lose("the connection closed");
        });
}

void MosquittoClient::OnPublish(mosquitto*, void* self, int) {
    auto* client = static_cast<MosquittoClient*>(self);
    if (client->unwritten_ > 0) --client->unwritten_;
}

void MosquittoClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<MosquittoClient*>(self);
    MqttMessage copy;
    copy.topic = message->topic ? message->topic : "";
    if (message->payload && message->payloadlen > 0)
        copy.payload.assign(static_cast<const char*>(message->payload),
                            static_cast<std::size_t>(message->payloadlen));
    copy.retained = message->retain;
    // Handled after the library's read has returned, so a handler may
    // publish freely.
    client->loop_.Post(
        [client, copy = std::move(copy), alive = std::weak_ptr<bool>(client->alive_)] {
            if (!alive.expired() && client->handlers_.message) client->handlers_.message(copy);
        });
}

void MosquittoClient::Publish(const std::string& topic, const std::string& payload, bool retain) {
    if (!connected_ && retain) return;
    if (connected_ && queue_.empty() && unwritten_ < settings_.inFlightLimit) {
        Send({topic, payload, retain});
        Rewatch();
        return;
    }
    Enqueue({topic, payload, retain});
}

void MosquittoClient::Enqueue(Waiting message) {
    // Only the latest retained value of a topic matters to the broker.
    if (message.retain)
        std::erase_if(queue_,
                      [&](const Waiting& w) { return w.retain && w.topic == message.topic; });
    queue_.push_back(std::move(message));
    while (queue_.size() > settings_.queueLimit) {
        if (droppedLately_++ == 0)
            log_("mqtt: more than " + std::to_string(settings_.queueLimit) +
                 " messages wait for the broker; the oldest are dropped");
        ++dropped_;
        if (queue_.front().retain) retainedDropped_ = true;
        queue_.pop_front();
    }
}

void MosquittoClient::Send(const Waiting& message) {
    const int rc = mosquitto_publish(mosq_, nullptr, message.topic.c_str(),
                                     static_cast<int>(message.payload.size()),
                                     message.payload.data(), 0, message.retain);
    if (rc == MOSQ_ERR_SUCCESS)
        ++unwritten_;
    else
        log_("mqtt: cannot publish on " + message.topic + ": " + mosquitto_strerror(rc));
}

void MosquittoClient::Flush() {
    if (!connected_) return;
    while (!queue_.empty() && unwritten_ < settings_.inFlightLimit) {
        Send(queue_.front());
        queue_.pop_front();
    }
    if (!queue_.empty()) return;
    if (droppedLately_ > 0) {
        log_("mqtt: " + std::to_string(droppedLately_) +
             " messages were dropped while waiting for the broker");
        droppedLately_ = 0;
    }
    if (retainedDropped_) {
        retainedDropped_ = false;
        if (handlers_.stale) handlers_.stale();
    }
}

void MosquittoClient::Subscribe(const std::string& pattern) {
    subscriptions_.push_back(pattern);
    if (connected_) {
        mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1);
        Rewatch();
    }
}

}  // namespace torvane::mqtt
