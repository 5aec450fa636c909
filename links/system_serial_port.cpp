#include "links/system_serial_port.h"

#include <utility>

namespace torvane {

CSerialPort::CSerialPort(EventLoop& loop) : line_(MakeSystemSerialLine()), handOff_(loop) {}

CSerialPort::~CSerialPort() {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    ClosePort();
}

bool CSerialPort::IsOpen() const {
    std::lock_guard lock(portLock_);
    return line_->IsOpen();
}

void CSerialPort::EndThread() {
    if (!thread_.joinable()) return;
    line_->SignalShutdown();
    thread_.join();
}

void CSerialPort::ClosePort() {
    std::lock_guard lock(portLock_);
    line_->Close();
}

Status CSerialPort::InitPort(SerialPortOwner* owner, const std::string& portPath,
                             const SerialSettings& settings) {
    monitoring_ = false;
    handOff_.EndSession();
    EndThread();
    ClosePort();
    line_->ResetSignals();
    handOff_.BeginSession(owner);
    configurationProblem_.clear();

    std::lock_guard lock(portLock_);
    return line_->Open(portPath, settings, &configurationProblem_);
}

bool CSerialPort::StartMonitoring() {
    if (monitoring_) return true;
    EndThread();
    {
        // What arrived before monitoring belongs to no command. Purged here
        // rather than on the new thread, so that nothing arriving after this
        // returns can be lost to the purge.
        std::lock_guard lock(portLock_);
        if (!line_->IsOpen()) return false;
        line_->PurgeBeforeMonitoring();
    }
    line_->ResetSignals();
    monitoring_ = handOff_.StartMonitor(
        &thread_, [this](SerialDelivery delivery) { MonitorThread(std::move(delivery)); });
    return monitoring_;
}

void CSerialPort::StopMonitoring() {
    monitoring_ = false;
    handOff_.EndSession();
    if (thread_.joinable())
        line_->SignalShutdown();  // the thread closes the port
    else
        ClosePort();
}

void CSerialPort::WriteToPort(const std::uint8_t* bytes, std::size_t count) {
    if (handOff_.Queue(bytes, count)) line_->SignalWriteRequest();
}

void CSerialPort::MonitorThread(SerialDelivery delivery) {
    bool failed = false;
    auto fail = [&] {
        // Reported once; the port is no longer watched, so a dead port
        // cannot keep the thread busy.
        if (!failed) delivery.Failure();
        failed = true;
    };
    if (!line_->BeginWatch()) fail();
    for (;;) {
        const SerialLine::Wake wake = line_->Wait(!failed);
        if (wake == SerialLine::Wake::kShutdown) break;
        if (wake == SerialLine::Wake::kInput) {
            std::lock_guard lock(portLock_);
            if (!line_->Receive(delivery)) fail();
            continue;
        }
        if (wake == SerialLine::Wake::kWriteRequest) {
            if (!failed && !WriteQueued()) fail();
            if (failed) handOff_.TakeWrites();  // a failed port writes nothing
            continue;
        }
        // The port can no longer be waited on: that is the port failing, and
        // the thread waits for StopMonitoring as after any failure.
        fail();
        line_->WaitForShutdown();
        break;
    }
    line_->EndWatch();
    ClosePort();
}

bool CSerialPort::WriteQueued() {
    for (const auto& unit : handOff_.TakeWrites()) {
        std::lock_guard lock(portLock_);
        switch (line_->WriteUnit(unit.data(), unit.size())) {
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
