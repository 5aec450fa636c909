#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "cli/standard_input.h"

namespace torvane::cli {

StandardInputRead ReadStandardInput(std::size_t limit, int waitMs) {
    StandardInputRead read;
    if (::isatty(STDIN_FILENO)) {
        read.error = "a terminal; give the file through a pipe or a redirection";
        return read;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    std::uint8_t buffer[4096];
    while (read.bytes.size() < limit) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            read.error = "did not end within " + std::to_string(waitMs / 1000) + " s";
            return read;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) {
            read.error = std::strerror(errno);
            return read;
        }
        if (ready == 0) continue;
        const std::size_t wanted = std::min(sizeof buffer, limit - read.bytes.size());
        const ssize_t n = ::read(STDIN_FILENO, buffer, wanted);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n < 0) {
            read.error = std::strerror(errno);
            return read;
        }
        if (n == 0) break;
        read.bytes.insert(read.bytes.end(), buffer, buffer + n);
    }
    return read;
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO); }

}  // namespace torvane::cli
