#pragma once
// A real pseudo-terminal pair for driving the serial port: the test plays the
// switcher on the master side; the slave side is the port under test. The
// test keeps its own slave descriptor to look at the line's settings and its
// input queue.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace torvane::test {

class PtyPair {
  public:
    PtyPair() {
        char name[128] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        path = name;
        termios t;
        ::tcgetattr(master, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(master, TCSANOW, &t);
        ::fcntl(master, F_SETFD, FD_CLOEXEC);
        ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    }
    ~PtyPair() {
        CloseMaster();
        if (slave >= 0) ::close(slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    void CloseMaster() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    void Send(const std::vector<std::uint8_t>& bytes) const {
        [[maybe_unused]] auto n = ::write(master, bytes.data(), bytes.size());
    }
    // Reads from the master until `count` bytes came or `ms` passed.
    std::vector<std::uint8_t> Receive(std::size_t count, int ms = 2000) const {
        std::vector<std::uint8_t> out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (out.size() < count && std::chrono::steady_clock::now() < end) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) continue;
            std::uint8_t buffer[4096];
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }
    // Bytes waiting unread on the port's side.
    int PendingAtPort() const {
        int n = 0;
        ::ioctl(slave, FIONREAD, &n);
        return n;
    }
    // Waits until the line discipline has queued what the master sent.
    bool WaitPendingAtPort(int count) const {
        for (int i = 0; i < 200 && PendingAtPort() < count; ++i) ::usleep(1000);
        return PendingAtPort() >= count;
    }
    termios PortSettings() const {
        termios t{};
        ::tcgetattr(slave, &t);
        return t;
    }

    int master = -1;
    int slave = -1;
    std::string path;
};

// Descriptors this process has open now.
inline int OpenDescriptorCount() {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd)
        if (::fcntl(fd, F_GETFD) != -1) ++count;
    return count;
}

// Threads this process runs now (the port's monitoring thread among them).
inline int ThreadCount() {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        (void)entry;
        ++count;
    }
    return count;
}

}  // namespace torvane::test
