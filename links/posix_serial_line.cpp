// The serial line on a POSIX serial device: termios set-up, an exclusive
// open, and a monitoring thread that waits with poll() on the port and on
// two wake channels.

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "links/posix_serial_write.h"
#include "links/posix_termios_settings.h"
#include "links/serial_line.h"
#include "platform/wake_channel.h"

namespace torvane {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

// The exclusive mark stays on the line after our descriptor is gone for as
// long as anything else holds the line (the far end of a pseudo-terminal,
// a modem daemon), and would lock every later open out but root's; so it is
// taken off before every close.
void CloseExclusive(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::close(fd);
}

// Raises or drops DTR and RTS as the line flags say (bit 1 DTR, bit 0 RTS).
// A port without modem lines (a pseudo-terminal) is still a good port.
std::string SetModemLines(int fd, unsigned lineFlags) {
    int raise = 0, drop = 0;
    (lineFlags & 2 ? raise : drop) |= TIOCM_DTR;
    (lineFlags & 1 ? raise : drop) |= TIOCM_RTS;
    for (auto [request, bits] : {std::pair{TIOCMBIS, raise}, std::pair{TIOCMBIC, drop}}) {
        if (bits == 0) continue;
        if (::ioctl(fd, request, &bits) != 0 && errno != ENOTTY && errno != EINVAL)
            return "modem lines: " + ErrnoText(errno);
    }
    return {};
}

// The configuration chain: the first step that fails ends it, and what
// failed is returned; the port stays open either way.
std::string Configure(int fd, const SerialSettings& settings) {
    termios tio;
    if (::tcgetattr(fd, &tio) != 0) return "reading the line settings: " + ErrnoText(errno);
    if (auto problem = ApplySerialSettings(settings, &tio); !problem.empty()) return problem;
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) return "setting the line: " + ErrnoText(errno);
    return SetModemLines(fd, settings.lineFlags);
}

class PosixSerialLine : public SerialLine {
  public:
    Status Open(const std::string& path, const SerialSettings& settings,
                std::string* configurationProblem) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            // A terminal another program holds exclusively refuses the open
            // itself (for every user but root, whom only the lock below stops).
            return SystemError("cannot open " + path + ": " +
                               (errno == EBUSY ? std::string(kSerialPortInUse) : ErrnoText(errno)));
        }
        // Exclusive: no other program may use the port while we hold it. The
        // advisory lock comes first so a refused open leaves the port as it was.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            Error refused = SystemError(
                "cannot open " + path + ": " +
                (errno == EWOULDBLOCK ? std::string(kSerialPortInUse) : ErrnoText(errno)));
            ::close(fd);
            return refused;
        }
        ::ioctl(fd, TIOCEXCL);
        fd_ = fd;
        *configurationProblem = Configure(fd, settings);
        ::tcflush(fd, TCIOFLUSH);
        return {};
    }

    bool IsOpen() const override { return fd_ >= 0; }
    void PurgeBeforeMonitoring() override { ::tcflush(fd_, TCIOFLUSH); }

    void Close() override {
        if (fd_ >= 0) CloseExclusive(fd_);
        fd_ = -1;
    }

    void SignalShutdown() override { shutdown_.Signal(); }
    void SignalWriteRequest() override { writeRequest_.Signal(); }
    void ResetSignals() override {
        shutdown_.Drain();
        writeRequest_.Drain();
    }

    bool BeginWatch() override { return true; }

    Wake Wait(bool watchInput) override {
        for (;;) {
            pollfd fds[3] = {{shutdown_.ReadFd(), POLLIN, 0},
                             {watchInput ? fd_ : -1, POLLIN, 0},
                             {writeRequest_.ReadFd(), POLLIN, 0}};
            if (::poll(fds, 3, -1) < 0) {
                if (errno == EINTR) continue;
                return Wake::kBroken;
            }
            if (fds[0].revents) return Wake::kShutdown;
            if (fds[1].revents) {
                // A port that reports a hang-up or an error is finished even
                // when its read says "nothing yet": polling it again would spin.
                hungUp_ = fds[1].revents & (POLLHUP | POLLERR | POLLNVAL);
                return Wake::kInput;
            }
            if (fds[2].revents) {
                writeRequest_.Drain();
                return Wake::kWriteRequest;
            }
        }
    }

    bool Receive(const SerialDelivery& delivery) override {
        return ReceiveUntilDrained(delivery) && !hungUp_;
    }

    UnitWrite WriteUnit(const std::uint8_t* bytes, std::size_t count) override {
        return PurgeAndWriteUnit(fd_, bytes, count, shutdown_.ReadFd());
    }

    void WaitForShutdown() override { shutdown_.Wait(); }
    void EndWatch() override {}

  private:
    // Reads until the port is drained; false when it has failed.
    bool ReceiveUntilDrained(const SerialDelivery& delivery) {
        for (;;) {
            std::vector<std::uint8_t> bytes(256);
            const ssize_t n = ::read(fd_, bytes.data(), bytes.size());
            if (n > 0) {
                bytes.resize(static_cast<std::size_t>(n));
                delivery.Bytes(std::move(bytes));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            // Drained; or hung up (end of file, or EIO on a closed
            // pseudo-terminal). A failed read delivers nothing.
            return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
    }

    int fd_ = -1;
    WakeChannel shutdown_;
    WakeChannel writeRequest_;
    bool hungUp_ = false;
};

}  // namespace

std::unique_ptr<SerialLine> MakeSystemSerialLine() { return std::make_unique<PosixSerialLine>(); }

}  // namespace torvane
