#pragma once
// torvaned as a child process for a test, on a free loopback port, and a
// small HTTP client for it over loopback (one request per connection).

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/sim_process.h"

namespace torvane::service::test {

class TorvanedProcess {
  public:
    // Starts torvaned with `args` (plus --listen 127.0.0.1:0 unless given)
    // and waits up to 5 s for the port it bound.
    bool Start(std::vector<std::string> args) {
        bool listen = false;
        for (const auto& a : args) listen = listen || a == "--listen";
        if (!listen) args.insert(args.end(), {"--listen", "127.0.0.1:0"});
        const std::string program = std::string(TORVANE_BINARY_DIR) + "/torvaned";
        return child_.Start(program, "torvaned", args) && WaitFor("listening on http://") &&
               ReadPort();
    }

    // Reads what it prints until `text` appears or `waitMs` pass.
    bool WaitFor(const std::string& text, int waitMs = 5000) {
        return child_.WaitFor(text, waitMs);
    }
    int Stop(int signal = SIGTERM) { return child_.Stop(signal); }

    std::uint16_t Port() const { return port_; }
    const std::string& Output() const { return child_.Output(); }

  private:
    bool ReadPort() {
        const std::size_t address = child_.Seen();
        if (!WaitFor("/\n")) return false;
        const auto colon = Output().find(':', address);
        port_ = static_cast<std::uint16_t>(std::stoi(Output().substr(colon + 1)));
        return port_ != 0;
    }

    ::torvane::test::ChildProcess child_;
    std::uint16_t port_ = 0;
};

struct HttpReply {
    int status = 0;
    std::map<std::string, std::string> headers;  // names in lower case
    std::string body;
};

// A connected loopback socket to `port`, or -1.
inline int ConnectLoopback(std::uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

inline bool SendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Splits a whole response (read to the end of the connection) into its
// status, headers and body; a chunked body is joined.
inline HttpReply ParseReply(const std::string& raw) {
    HttpReply reply;
    const auto headEnd = raw.find("\r\n\r\n");
    if (raw.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) return reply;
    reply.status = std::stoi(raw.substr(9, 3));
    std::size_t line = raw.find("\r\n") + 2;
    while (line < headEnd) {
        const auto end = raw.find("\r\n", line);
        const std::string header = raw.substr(line, end - line);
        std::string name = header.substr(0, header.find(':'));
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto value = header.find_first_not_of(' ', header.find(':') + 1);
        reply.headers[name] = value == std::string::npos ? "" : header.substr(value);
        line = end + 2;
    }
    reply.body = raw.substr(headEnd + 4);
    if (reply.headers["transfer-encoding"] == "chunked") {
        std::string joined;
        std::size_t at = 0;
        while (at < reply.body.size()) {
            const auto eol = reply.body.find("\r\n", at);
            const std::size_t size = std::stoul(reply.body.substr(at, eol - at), nullptr, 16);
            if (size == 0) break;
            joined += reply.body.substr(eol + 2, size);
            at = eol + 2 + size + 2;
        }
        reply.body = joined;
    }
    return reply;
}

// One request on its own connection; `extraHeaders` are whole lines.
inline HttpReply Request(std::uint16_t port, const std::string& method, const std::string& target,
                         const std::string& body = "",
                         const std::vector<std::string>& extraHeaders = {}, int waitMs = 20000) {
    const int fd = ConnectLoopback(port);
    if (fd < 0) return {};
    std::string request = method + " " + target +
                          " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\n";
    for (const auto& h : extraHeaders) request += h + "\r\n";
    if (!body.empty() || method == "POST")
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    SendAll(fd, request);
    std::string raw;
    sim::test::ReadFor(fd, waitMs, [&raw](const sim::test::Bytes& all) {
        raw.assign(all.begin(), all.end());
        return false;
    });
    ::close(fd);
    return ParseReply(raw);
}

}  // namespace torvane::service::test
