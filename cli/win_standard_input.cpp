#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <thread>

#include "cli/standard_input.h"

namespace torvane::cli {

namespace {

constexpr int kStandardInput = 0;

// Windows waits on a pipe with no time limit, so the reading happens on a
// thread of its own and the command waits for it no longer than it may. A
// reader still blocked when the time is up ends with the program.
struct Reading {
    std::vector<std::uint8_t> bytes;
    std::string error;
};

Reading ReadAll(std::size_t limit) {
    Reading reading;
    std::uint8_t buffer[4096];
    while (reading.bytes.size() < limit) {
        const unsigned wanted =
            static_cast<unsigned>(std::min(sizeof buffer, limit - reading.bytes.size()));
        const int n = ::_read(kStandardInput, buffer, wanted);
        if (n < 0) {
            reading.error = std::strerror(errno);
            break;
        }
        if (n == 0) break;
        reading.bytes.insert(reading.bytes.end(), buffer, buffer + n);
    }
    return reading;
}

}  // namespace

StandardInputRead ReadStandardInput(std::size_t limit, int waitMs) {
    StandardInputRead read;
    if (::_isatty(kStandardInput)) {
        read.error = "a terminal; give the file through a pipe or a redirection";
        return read;
    }
    ::_setmode(kStandardInput, _O_BINARY);
    auto task = std::make_shared<std::packaged_task<Reading()>>([limit] { return ReadAll(limit); });
    auto done = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    if (done.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready) {
        read.error = "did not end within " + std::to_string(waitMs / 1000) + " s";
        return read;
    }
    Reading reading = done.get();
    read.bytes = std::move(reading.bytes);
    read.error = std::move(reading.error);
    return read;
}

bool StandardErrorIsTerminal() { return ::_isatty(::_fileno(stderr)); }

}  // namespace torvane::cli
