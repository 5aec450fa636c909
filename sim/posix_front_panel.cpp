#include "sim/posix_front_panel.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace torvane::sim {

void PosixFrontPanel::Start() {
    // Only read when poll() says so, rather than making the descriptor
    // non-blocking: standard input may be a terminal shared with the shell.
    watch_ = loop_.WatchFd(fd_, EventLoop::kReadable, [this](unsigned) { OnReadable(); });
}

void PosixFrontPanel::Stop() {
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
}

void PosixFrontPanel::OnReadable() {
    char buffer[1024];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        if (!pending_.empty() || overlong_) TakeLine(pending_);
        Stop();
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
            TakeLine(pending_);
            pending_.clear();
            overlong_ = false;
        } else if (!overlong_) {
            pending_ += buffer[i];
            // Keep no more than the parser would take (and a carriage return).
            if (pending_.size() > kFrontPanelMaxLine + 1) {
                overlong_ = true;
                pending_.clear();
            }
        }
    }
}

void PosixFrontPanel::TakeLine(std::string_view line) {
    ++lineNumber_;
    const std::string where = "line " + std::to_string(lineNumber_);
    if (overlong_) {
        onError_(where + ": line longer than " + std::to_string(kFrontPanelMaxLine) +
                 " characters, ignored");
        return;
    }
    const FrontPanelParse parse = ParseFrontPanelLine(line);
    if (!parse.error.empty())
        onError_(where + " \"" + ShownLine(line) + "\": " + parse.error + "; nothing changed");
    else if (parse.command.kind != FrontPanelCommand::kNothing)
        onCommand_(parse.command);
}

std::string ShownLine(std::string_view line) {
    constexpr std::size_t kShown = 60;
    std::string shown;
    for (char c : line.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\') {
            shown += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        }
    }
    if (line.size() > kShown) shown += "...";
    return shown;
}

}  // namespace torvane::sim
