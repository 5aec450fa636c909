#pragma once
// The serial link to the switcher on a Windows COM port: opened exclusively
// for overlapped I/O, configured through its device control block, and a
// monitoring thread that owns the port's reads and writes while it runs.
//
// The thread keeps one read pending at all times (it ends when bytes have
// arrived and the line has then been quiet for a moment) and waits on the
// shutdown, read and write events, in that order of precedence. Comm events
// are not used: Wine ends a pending WaitCommEvent by itself on a
// pseudo-terminal. Received bytes reach the owner in order through the
// loop. Units handed to WriteToPort are written whole and in order, each
// after a purge of the port's input (a reply still waiting unread belongs
// to an earlier command) and flushed before the next. A port that fails
// while open (unplugged adapter) is reported to the owner once; the thread
// then stops reading it and waits for StopMonitoring.
//
// Every method but the monitoring thread's runs on the loop's thread.

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "links/serial_hand_off.h"
#include "links/serial_port.h"
#include "platform/event_loop.h"

namespace torvane {

class CSerialPort : public SerialPort {
  public:
    explicit CSerialPort(EventLoop& loop);
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // `portPath` is a port name (COM3) or a device path (\\.\COM3).
    Status InitPort(SerialPortOwner* owner, const std::string& portPath,
                    const SerialSettings& settings) override;
    bool StartMonitoring() override;
    void StopMonitoring() override;
    void WriteToPort(const std::uint8_t* bytes, std::size_t count) override;

    std::string ConfigurationProblem() const { return configurationProblem_; }
    bool IsOpen() const;

  private:
    using Handle = void*;

    void MonitorThread(Handle port, SerialDelivery delivery);
    // Writes every queued unit; false when the port has failed.
    bool WriteChars(Handle port, Handle written);
    void EndThread();
    void ClosePort();

    mutable std::mutex portLock_;
    Handle port_;
    std::thread thread_;
    bool monitoring_ = false;
    Handle shutdown_;      // manual reset
    Handle writeRequest_;  // manual reset
    SerialHandOff handOff_;
    std::string configurationProblem_;
};

}  // namespace torvane
