#include "links/win_serial_port.h"

#include <windows.h>

#include <system_error>
#include <vector>

#include "links/dcb_settings.h"
#include "platform/win_text.h"

namespace torvane {

namespace {

constexpr const char* kInUse = "in use by another program";
// The pending read ends this long after the last byte of a burst: a reply
// arrives whole, and a lone byte is not held back.
constexpr DWORD kReadIntervalMs = 2;
constexpr DWORD kReadSize = 256;
constexpr DWORD kAllPurges = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

std::string LastErrorText() { return SystemErrorText(::GetLastError()); }

// The configuration chain: the first step that fails ends it, and what
// failed is returned; the port stays open either way.
std::string Configure(HANDLE port, const SerialSettings& settings) {
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = kReadIntervalMs;
    if (!::SetCommTimeouts(port, &timeouts)) return "setting the time-outs: " + LastErrorText();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(port, &dcb)) return "reading the line settings: " + LastErrorText();
    DcbFields fields;
    if (auto problem = ApplySerialSettings(settings, &fields); !problem.empty()) return problem;
    dcb.BaudRate = fields.baudRate;
    dcb.ByteSize = fields.byteSize;
    dcb.Parity = fields.parity;
    dcb.fParity = fields.checkParity;
    dcb.StopBits = fields.stopBits;
    // Raw bytes, no flow control of any kind.
    dcb.fBinary = TRUE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fAbortOnError = FALSE;
    const DCB withOwnLines = dcb;
    dcb.fDtrControl = fields.dtrControl;
    dcb.fRtsControl = fields.rtsControl;
    if (::SetCommState(port, &dcb)) return {};
    // A port without modem lines refuses to drive them and is still a good
    // port: the line is set without them.
    if (::SetCommState(port, const_cast<DCB*>(&withOwnLines))) return {};
    return "setting the line: " + LastErrorText();
}

}  // namespace

CSerialPort::CSerialPort(EventLoop& loop)
    : port_(INVALID_HANDLE_VALUE),
      shutdown_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      writeRequest_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      handOff_(loop) {
    if (!shutdown_ || !writeRequest_)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                "cannot create the serial port's events");
}

CSerialPort::~CSerialPort() {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    ClosePort();
    ::CloseHandle(shutdown_);
    ::CloseHandle(writeRequest_);
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(portLock_);
    return port_ != INVALID_HANDLE_VALUE;
}

void CSerialPort::EndThread() {
    if (!thread_.joinable()) return;
    ::SetEvent(shutdown_);
    thread_.join();
}

void CSerialPort::ClosePort() {
    std::lock_guard lock(portLock_);
    if (port_ != INVALID_HANDLE_VALUE) {
        ::CancelIoEx(port_, nullptr);
        ::CloseHandle(port_);
    }
    port_ = INVALID_HANDLE_VALUE;
}

Status CSerialPort::InitPort(SerialPortOwner* owner, const std::string& portPath,
                             const SerialSettings& settings) {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    ClosePort();
    ::ResetEvent(shutdown_);
    ::ResetEvent(writeRequest_);
    handOff_.BeginSession(owner);
    configurationProblem_.clear();

    std::lock_guard lock(portLock_);
    const HANDLE port = ::CreateFileW(WideFromUtf8(WindowsDevicePath(portPath)).c_str(),
                                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // Without sharing, a port another program holds refuses the open.
        const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
        return SystemError("cannot open " + portPath + ": " +
                           (held ? std::string(kInUse) : SystemErrorText(error)));
    }
    port_ = port;
    configurationProblem_ = Configure(port, settings);
    ::PurgeComm(port, kAllPurges);
    return {};
}

bool CSerialPort::StartMonitoring() {
    if (monitoring_) return true;
    EndThread();
    HANDLE port;
    {
        // What arrived before monitoring belongs to no command. Purged here
        // rather than on the new thread, so that nothing arriving after this
        // returns can be lost to the purge.
        std::lock_guard lock(portLock_);
        port = port_;
        if (port != INVALID_HANDLE_VALUE) ::PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }
    if (port == INVALID_HANDLE_VALUE) return false;
    ::ResetEvent(shutdown_);
    ::ResetEvent(writeRequest_);
    monitoring_ = handOff_.StartMonitor(&thread_, [this, port](SerialDelivery delivery) {
        MonitorThread(port, std::move(delivery));
    });
    return monitoring_;
}

void CSerialPort::StopMonitoring() {
    monitoring_ = false;
    handOff_.EndSession();
    if (thread_.joinable())
        ::SetEvent(shutdown_);  // the thread closes the port
    else
        ClosePort();
}

void CSerialPort::WriteToPort(const std::uint8_t* bytes, std::size_t count) {
    if (handOff_.Queue(bytes, count)) ::SetEvent(writeRequest_);
}

void CSerialPort::MonitorThread(Handle port, SerialDelivery delivery) {
    OVERLAPPED read{};
    read.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const HANDLE written = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::uint8_t> buffer(kReadSize);
    bool reading = false;
    bool failed = !read.hEvent || !written;
    if (failed) delivery.Failure();
    auto fail = [&] {
        // Reported once; the port is no longer read, so a dead port cannot
        // keep the thread busy.
        if (!failed) delivery.Failure();
        failed = true;
    };
    auto deliver = [&](DWORD count) {
        if (count > 0) delivery.Bytes({buffer.begin(), buffer.begin() + count});
    };
    for (;;) {
        if (!failed && !reading) {
            ::ResetEvent(read.hEvent);
            DWORD count = 0;
            if (::ReadFile(port, buffer.data(), kReadSize, &count, &read)) {
                deliver(count);
                continue;
            }
            if (::GetLastError() != ERROR_IO_PENDING) {
                fail();
                continue;
            }
            reading = true;
        }
        // In order of precedence: shutdown, received data, write requests.
        // A failed port has no read pending and is not waited on.
        const HANDLE events[3] = {shutdown_, writeRequest_, read.hEvent};
        const DWORD woke = ::WaitForMultipleObjects(reading ? 3 : 2, events, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) break;
        if (reading && ::WaitForSingleObject(read.hEvent, 0) == WAIT_OBJECT_0) {
            reading = false;
            DWORD count = 0;
            if (::GetOverlappedResult(port, &read, &count, FALSE))
                deliver(count);
            else
                fail();
            continue;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            ::ResetEvent(writeRequest_);
            if (!failed && !WriteChars(port, written)) fail();
            if (failed) handOff_.TakeWrites();  // a failed port writes nothing
            continue;
        }
        // The events can no longer be waited on: that is the port failing,
        // and the thread waits for StopMonitoring as after any failure.
        fail();
        ::WaitForSingleObject(shutdown_, INFINITE);
        break;
    }
    if (reading) {
        ::CancelIoEx(port, &read);
        DWORD count = 0;
        ::GetOverlappedResult(port, &read, &count, TRUE);
    }
    if (read.hEvent) ::CloseHandle(read.hEvent);
    if (written) ::CloseHandle(written);
    ClosePort();
}

bool CSerialPort::WriteChars(Handle port, Handle written) {
    for (const auto& unit : handOff_.TakeWrites()) {
        std::lock_guard lock(portLock_);
        // Input only: on a pseudo-terminal (Wine) an output purge would
        // discard a unit the far end has not read yet.
        ::PurgeComm(port, PURGE_RXCLEAR);
        OVERLAPPED write{};
        write.hEvent = written;
        ::ResetEvent(written);
        DWORD count = 0;
        const DWORD size = static_cast<DWORD>(unit.size());
        if (!::WriteFile(port, unit.data(), size, &count, &write)) {
            if (::GetLastError() != ERROR_IO_PENDING) return false;
            const HANDLE events[2] = {shutdown_, written};
            if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                // Shutting down (or the wait failed): the unit is abandoned.
                ::CancelIoEx(port, &write);
                ::GetOverlappedResult(port, &write, &count, TRUE);
                return true;
            }
            if (!::GetOverlappedResult(port, &write, &count, FALSE)) return false;
        }
        if (count != size) return false;
        ::FlushFileBuffers(port);
    }
    return true;
}

}  // namespace torvane
