#pragma once
// Debian's mosquitto broker for a test: on 127.0.0.1 at a free port, with a
// configuration of the test's own (anonymous clients, nothing kept on disk),
// and the broker's own clients to watch and publish.

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace torvane::mqtt::test {

// A port nothing listens on now.
inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// A second listener that speaks TLS only, with the server's certificate.
struct TlsListener {
    int port = 0;
    std::string cafile, certfile, keyfile;
};

class BrokerProcess {
  public:
    // `folder` holds the configuration file. `nodelay` has the broker send
    // each small message at once rather than after the next acknowledgement
    // (mosquitto's default holds them back, some 40 ms on loopback).
    bool Start(const std::string& folder, int port = 0, bool nodelay = true,
               const TlsListener* tls = nullptr) {
        port_ = port ? port : FreePort();
        const std::string config = folder + "/mosquitto.conf";
        std::ofstream file(config);
        file << "allow_anonymous true\npersistence false\n"
             << "listener " << port_ << " 127.0.0.1\n"
             << "set_tcp_nodelay " << (nodelay ? "true" : "false") << "\n";
        if (tls)
            file << "listener " << tls->port << " 127.0.0.1\n"
                 << "cafile " << tls->cafile << "\ncertfile " << tls->certfile << "\nkeyfile "
                 << tls->keyfile << "\n";
        file.close();
        return broker_.Start("/usr/sbin/mosquitto", "mosquitto", {"-c", config}) &&
               broker_.WaitFor(" running");
    }
    int Stop() { return broker_.Stop(); }
    // A broker that stops reading (SIGSTOP) and goes on (SIGCONT).
    void Pause(bool paused) { ::kill(broker_.Pid(), paused ? SIGSTOP : SIGCONT); }
    int Port() const { return port_; }
    const std::string& Output() const { return broker_.Output(); }

  private:
    ::torvane::test::ChildProcess broker_;
    int port_ = 0;
};

// mosquitto_sub printing "TOPIC PAYLOAD" for every message on `topics`.
class Watcher {
  public:
    bool Start(int port, const std::vector<std::string>& topics) {
        std::vector<std::string> args{"-h", "127.0.0.1", "-p", std::to_string(port), "-v"};
        for (const auto& topic : topics) args.insert(args.end(), {"-t", topic});
        return sub_.Start("/usr/bin/mosquitto_sub", "mosquitto_sub", args);
    }
    // Waits for a line holding every one of `parts` after those found before.
    bool WaitForLine(const std::vector<std::string>& parts, int waitMs = 10000) {
        return sub_.WaitForLine(parts, waitMs);
    }
    // The payload of the next line on `topic` (after those found before).
    std::string Next(const std::string& topic, int waitMs = 10000) {
        if (!sub_.WaitForLine({topic + " "}, waitMs)) return "";
        const std::string& all = sub_.Output();
        std::size_t end = sub_.Seen() - 1;
        std::size_t start = all.rfind('\n', end - 1);
        start = start == std::string::npos ? 0 : start + 1;
        return all.substr(start + topic.size() + 1, end - start - topic.size() - 1);
    }
    const std::string& Output() const { return sub_.Output(); }
    int Stop() { return sub_.Stop(); }

  private:
    ::torvane::test::ChildProcess sub_;
};

inline bool PublishOnce(int port, const std::string& topic, const std::string& payload,
                        bool retain = false) {
    std::string command = "/usr/bin/mosquitto_pub -h 127.0.0.1 -p " + std::to_string(port) +
                          " -t '" + topic + "' -m '" + payload + "'" + (retain ? " -r" : "");
    return std::system(command.c_str()) == 0;
}

}  // namespace torvane::mqtt::test
