#include "links/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "links/posix_serial_write.h"
#include "links/posix_termios_settings.h"

namespace torvane {

namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

constexpr const char* kInUse = "in use by another program";

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

}  // namespace

CSerialPort::CSerialPort(EventLoop& loop) : handOff_(loop) {}

CSerialPort::~CSerialPort() {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    ClosePort();
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(portLock_);
    return fd_ >= 0;
}

void CSerialPort::EndThread() {
    if (!thread_.joinable()) return;
    shutdown_.Signal();
    thread_.join();
}

void CSerialPort::ClosePort() {
    std::lock_guard lock(portLock_);
    if (fd_ >= 0) CloseExclusive(fd_);
    fd_ = -1;
}

Status CSerialPort::InitPort(SerialPortOwner* owner, const std::string& portPath,
                             const SerialSettings& settings) {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    shutdown_.Drain();
    writeRequest_.Drain();
    handOff_.BeginSession(owner);
    configurationProblem_.clear();

    std::lock_guard lock(portLock_);
    if (fd_ >= 0) CloseExclusive(fd_);
    fd_ = -1;

    const int fd = ::open(portPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // A terminal another program holds exclusively refuses the open
        // itself (for every user but root, whom only the lock below stops).
        return SystemError("cannot open " + portPath + ": " +
                           (errno == EBUSY ? std::string(kInUse) : ErrnoText(errno)));
    }
    // Exclusive: no other program may use the port while we hold it. The
    // advisory lock comes first so a refused open leaves the port as it was.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Error refused =
            SystemError("cannot open " + portPath + ": " +
                        (errno == EWOULDBLOCK ? std::string(kInUse) : ErrnoText(errno)));
        ::close(fd);
        return refused;
    }
    ::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    configurationProblem_ = Configure(fd, settings);
    ::tcflush(fd, TCIOFLUSH);
    return {};
}

bool CSerialPort::StartMonitoring() {
    if (monitoring_) return true;
    EndThread();
    int fd;
    {
        // What arrived before monitoring belongs to no command. Purged here
        // rather than on the new thread, so that nothing arriving after this
        // returns can be lost to the purge.
        std::lock_guard lock(portLock_);
        fd = fd_;
        if (fd >= 0) ::tcflush(fd, TCIOFLUSH);
    }
    if (fd < 0) return false;
    shutdown_.Drain();
    writeRequest_.Drain();
    monitoring_ = handOff_.StartMonitor(
        &thread_, [this, fd](SerialDelivery delivery) { MonitorThread(fd, std::move(delivery)); });
    return monitoring_;
}

void CSerialPort::StopMonitoring() {
    monitoring_ = false;
    handOff_.EndSession();
    if (thread_.joinable())
        shutdown_.Signal();  // the thread closes the port
    else
        ClosePort();
}

void CSerialPort::WriteToPort(const std::uint8_t* bytes, std::size_t count) {
    if (handOff_.Queue(bytes, count)) writeRequest_.Signal();
}

void CSerialPort::MonitorThread(int fd, SerialDelivery delivery) {
    bool failed = false;
    auto fail = [&] {
        // Reported once; the port is no longer watched, so a dead port
        // cannot keep the thread busy.
        if (!failed) delivery.Failure();
        failed = true;
    };
    for (;;) {
        // In order of precedence: shutdown, received data, write requests.
        pollfd fds[3] = {{shutdown_.ReadFd(), POLLIN, 0},
                         {failed ? -1 : fd, POLLIN, 0},
                         {writeRequest_.ReadFd(), POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR) continue;
            // The port can no longer be watched: that is the port failing,
            // and the thread waits for StopMonitoring as after any failure.
            fail();
            shutdown_.Wait();
            break;
        }
        if (fds[0].revents) break;
        if (fds[1].revents) {
            // A port that reports a hang-up or an error is finished even when
            // its read says "nothing yet": polling it again would spin.
            const bool broken = fds[1].revents & (POLLHUP | POLLERR | POLLNVAL);
            if (!ReceiveChars(fd, delivery) || broken) fail();
            continue;
        }
        if (fds[2].revents) {
            writeRequest_.Drain();
            if (!WriteChars(fd)) fail();
        }
    }
    ClosePort();
}

bool CSerialPort::ReceiveChars(int fd, const SerialDelivery& delivery) {
    for (;;) {
        std::vector<std::uint8_t> bytes(256);
        ssize_t n;
        {
            std::lock_guard lock(portLock_);
            n = ::read(fd, bytes.data(), bytes.size());
        }
        if (n > 0) {
            bytes.resize(static_cast<std::size_t>(n));
            delivery.Bytes(std::move(bytes));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // Drained; or hung up (end of file, or EIO on a closed pseudo-terminal).
        // A failed read delivers nothing.
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

bool CSerialPort::WriteChars(int fd) {
    for (const auto& unit : handOff_.TakeWrites()) {
        std::lock_guard lock(portLock_);
        switch (PurgeAndWriteUnit(fd, unit.data(), unit.size(), shutdown_.ReadFd())) {
            case UnitWrite::kWritten:
                break;
            case UnitWrite::kFailed:
                return false;
            case UnitWrite::kAbandoned:
                return true;  // shutting down
        }
    }
    return true;
}

}  // namespace torvane
