#include "sim/posix_pty_port.h"

#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace torvane::sim {

PosixPtyPort::~PosixPtyPort() { CloseLine(); }

void PosixPtyPort::CloseLine() {
    link_.reset();
    writer_.reset();
    if (watch_ != 0) loop_.Unwatch(watch_);
    watch_ = 0;
    master_.Reset();
    slave_.Reset();
    if (!linkPath_.empty()) {
        // Remove the link only while it still points at this pty.
        char target[PATH_MAX];
        const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == slavePath_)
            ::unlink(linkPath_.c_str());
    }
}

void PosixPtyPort::Replace() {
    std::string error;
    if (Reopen(&error) && onReplaced_) onReplaced_(slavePath_);
}

bool PosixPtyPort::Reopen(std::string* error) {
    CloseLine();
    const std::string linkPath = linkPath_;
    linkPath_.clear();
    return Open(linkPath, error);
}

bool PosixPtyPort::Open(const std::string& linkPath, std::string* error) {
    int master = -1;
    int slave = -1;
    termios raw{};
    ::cfmakeraw(&raw);
    ::cfsetispeed(&raw, B115200);
    ::cfsetospeed(&raw, B115200);
    if (::openpty(&master, &slave, nullptr, &raw, nullptr) != 0) {
        *error = std::string("openpty failed: ") + std::strerror(errno);
        return false;
    }
    master_ = UniqueFd(master);
    slave_ = UniqueFd(slave);
    slavePath_ = ::ttyname(slave) ? ::ttyname(slave) : "";
    if (!SetNonBlocking(master) || slavePath_.empty()) {
        *error = "cannot set up the pseudo-terminal";
        return false;
    }
    if (!linkPath.empty()) {
        struct stat existing {};
        if (::lstat(linkPath.c_str(), &existing) == 0 && S_ISLNK(existing.st_mode))
            ::unlink(linkPath.c_str());
        if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
            *error = "cannot link " + linkPath + ": " + std::strerror(errno);
            return false;
        }
        linkPath_ = linkPath;
    }
    watch_ =
        loop_.WatchFd(master, EventLoop::kReadable, [this](unsigned events) { OnEvents(events); });
    writer_ =
        std::make_unique<ByteStreamWriter>(loop_, master, watch_, EventLoop::kReadable, nullptr);
    link_ = model_.Attach(
        LinkKind::kSerial, [this](const auto& chunk) { writer_->Write(chunk); },
        [this] { Replace(); });
    return true;
}

void PosixPtyPort::OnEvents(unsigned events) {
    if (events & EventLoop::kWritable) writer_->OnWritable();
    if (!(events & EventLoop::kReadable)) return;
    std::uint8_t buffer[2048];
    const ssize_t n = ::read(master_.Get(), buffer, sizeof buffer);
    if (n > 0) link_->Write(buffer, static_cast<std::size_t>(n));
}

}  // namespace torvane::sim
