// The serial line on a Windows COM port: opened exclusively for overlapped
// I/O, configured through its device control block, and a monitoring thread
// that keeps one read pending at all times (it ends when bytes have arrived
// and the line has then been quiet for a moment) and waits on the shutdown,
// read and write events. Comm events are not used: Wine ends a pending
// WaitCommEvent by itself on a pseudo-terminal.

#include <windows.h>

#include <system_error>
#include <vector>

#include "links/dcb_settings.h"
#include "links/serial_line.h"
#include "platform/win_text.h"

namespace torvane {

namespace {

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

HANDLE ManualResetEvent() { return ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }

class WinSerialLine : public SerialLine {
  public:
    WinSerialLine() : shutdown_(ManualResetEvent()), writeRequest_(ManualResetEvent()) {
        if (!shutdown_ || !writeRequest_) {
            const DWORD error = ::GetLastError();
            CloseEvents();
            throw std::system_error(static_cast<int>(error), std::system_category(),
                                    "cannot create the serial port's events");
        }
    }
    ~WinSerialLine() override { CloseEvents(); }
    WinSerialLine(const WinSerialLine&) = delete;
    WinSerialLine& operator=(const WinSerialLine&) = delete;

    // `path` is a port name (COM3) or a device path (\\.\COM3).
    Status Open(const std::string& path, const SerialSettings& settings,
                std::string* configurationProblem) override {
        const HANDLE port = ::CreateFileW(WideFromUtf8(WindowsDevicePath(path)).c_str(),
                                          GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OVERLAPPED, nullptr);
        if (port == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            // Without sharing, a port another program holds refuses the open.
            const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
            return SystemError("cannot open " + path + ": " +
                               (held ? std::string(kSerialPortInUse) : SystemErrorText(error)));
        }
        port_ = port;
        *configurationProblem = Configure(port, settings);
        ::PurgeComm(port, kAllPurges);
        return {};
    }

    bool IsOpen() const override { return port_ != INVALID_HANDLE_VALUE; }
    void PurgeBeforeMonitoring() override { ::PurgeComm(port_, PURGE_RXCLEAR | PURGE_TXCLEAR); }

    void Close() override {
        if (port_ != INVALID_HANDLE_VALUE) {
            ::CancelIoEx(port_, nullptr);
            ::CloseHandle(port_);
        }
        port_ = INVALID_HANDLE_VALUE;
    }

    void SignalShutdown() override { ::SetEvent(shutdown_); }
    void SignalWriteRequest() override { ::SetEvent(writeRequest_); }
    void ResetSignals() override {
        ::ResetEvent(shutdown_);
        ::ResetEvent(writeRequest_);
    }

    bool BeginWatch() override {
        read_ = OVERLAPPED{};
        read_.hEvent = ManualResetEvent();
        written_ = ManualResetEvent();
        reading_ = false;
        readEnded_ = ReadEnded::kPending;
        buffer_.assign(kReadSize, 0);
        return read_.hEvent && written_;
    }

    Wake Wait(bool watchInput) override {
        if (watchInput && !reading_) {
            ::ResetEvent(read_.hEvent);
            if (::ReadFile(port_, buffer_.data(), kReadSize, &readCount_, &read_)) {
                readEnded_ = ReadEnded::kAtOnce;
                return Wake::kInput;
            }
            if (::GetLastError() != ERROR_IO_PENDING) {
                readEnded_ = ReadEnded::kFailed;
                return Wake::kInput;
            }
            reading_ = true;
        }
        // A port no longer watched has no read pending and is not waited on.
        const HANDLE events[3] = {shutdown_, writeRequest_, read_.hEvent};
        const DWORD woke = ::WaitForMultipleObjects(reading_ ? 3 : 2, events, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) return Wake::kShutdown;
        if (reading_ && ::WaitForSingleObject(read_.hEvent, 0) == WAIT_OBJECT_0) {
            reading_ = false;
            readEnded_ = ReadEnded::kPending;
            return Wake::kInput;
        }
        if (woke == WAIT_OBJECT_0 + 1) {
            ::ResetEvent(writeRequest_);
            return Wake::kWriteRequest;
        }
        return Wake::kBroken;
    }

    bool Receive(const SerialDelivery& delivery) override {
        if (readEnded_ == ReadEnded::kFailed) return false;
        if (readEnded_ == ReadEnded::kPending &&
            !::GetOverlappedResult(port_, &read_, &readCount_, FALSE))
            return false;
        if (readCount_ > 0) delivery.Bytes({buffer_.begin(), buffer_.begin() + readCount_});
        return true;
    }

    UnitWrite WriteUnit(const std::uint8_t* bytes, std::size_t count) override {
        // Input only: on a pseudo-terminal (Wine) an output purge would
        // discard a unit the far end has not read yet.
        ::PurgeComm(port_, PURGE_RXCLEAR);
        OVERLAPPED write{};
        write.hEvent = written_;
        ::ResetEvent(written_);
        DWORD done = 0;
        const DWORD size = static_cast<DWORD>(count);
        if (!::WriteFile(port_, bytes, size, &done, &write)) {
            if (::GetLastError() != ERROR_IO_PENDING) return UnitWrite::kFailed;
            const HANDLE events[2] = {shutdown_, written_};
            if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                // Shutting down (or the wait failed): the unit is abandoned.
                ::CancelIoEx(port_, &write);
                ::GetOverlappedResult(port_, &write, &done, TRUE);
                return UnitWrite::kAbandoned;
            }
            if (!::GetOverlappedResult(port_, &write, &done, FALSE)) return UnitWrite::kFailed;
        }
        if (done != size) return UnitWrite::kFailed;
        ::FlushFileBuffers(port_);
        return UnitWrite::kWritten;
    }

    void WaitForShutdown() override { ::WaitForSingleObject(shutdown_, INFINITE); }

    void EndWatch() override {
        if (reading_) {
            ::CancelIoEx(port_, &read_);
            DWORD count = 0;
            ::GetOverlappedResult(port_, &read_, &count, TRUE);
            reading_ = false;
        }
        if (read_.hEvent) ::CloseHandle(read_.hEvent);
        if (written_) ::CloseHandle(written_);
        read_.hEvent = nullptr;
        written_ = nullptr;
    }

  private:
    // How the read that Wait reported as input ended.
    enum class ReadEnded { kAtOnce, kFailed, kPending };

    void CloseEvents() {
        if (shutdown_) ::CloseHandle(shutdown_);
        if (writeRequest_) ::CloseHandle(writeRequest_);
    }

    HANDLE port_ = INVALID_HANDLE_VALUE;
    HANDLE shutdown_;
    HANDLE writeRequest_;
    // The watch's own, on the monitoring thread.
    OVERLAPPED read_{};
    HANDLE written_ = nullptr;
    std::vector<std::uint8_t> buffer_;
    DWORD readCount_ = 0;
    bool reading_ = false;
    ReadEnded readEnded_ = ReadEnded::kPending;
};

}  // namespace

std::unique_ptr<SerialLine> MakeSystemSerialLine() { return std::make_unique<WinSerialLine>(); }

}  // namespace torvane
