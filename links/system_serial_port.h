#pragma once
// The serial link to the switcher on the system's serial device: opened
// exclusively and configured, and a monitoring thread that owns the port's
// reads and writes while it runs.
//
// Received bytes reach the owner in order through the loop, on the loop's
// thread. Units handed to WriteToPort are queued under a lock and written
// whole and in order, each after a purge of the port's input (a reply still
// waiting unread belongs to an earlier command) and drained before the
// next. A port that fails while open (unplugged adapter, hang-up, I/O
// error) is reported to the owner once; the thread then stops watching it,
// writes nothing more, and waits for StopMonitoring.
//
// Every method but the monitoring thread's runs on the loop's thread.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "links/serial_hand_off.h"
#include "links/serial_line.h"
#include "links/serial_port.h"
#include "platform/event_loop.h"

namespace torvane {

class CSerialPort : public SerialPort {
  public:
    explicit CSerialPort(EventLoop& loop);
    // Ends the monitoring thread and closes the port.
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Waits for an earlier monitoring thread to end, then opens `portPath`
    // (a device path such as /dev/ttyUSB0, or a port name such as COM3)
    // exclusively and configures it. A configuration step that fails leaves
    // the port open with the settings it has (ConfigurationProblem() says
    // which); only a port that cannot be opened makes it fail.
    Status InitPort(SerialPortOwner* owner, const std::string& portPath,
                    const SerialSettings& settings) override;
    // False when no port is open or no thread could be started.
    bool StartMonitoring() override;
    // The thread closes the port and ends; nothing more reaches the owner.
    void StopMonitoring() override;
    // Dropped unless the port is being monitored.
    void WriteToPort(const std::uint8_t* bytes, std::size_t count) override;

    std::string ConfigurationProblem() const { return configurationProblem_; }
    bool IsOpen() const;

  private:
    void MonitorThread(SerialDelivery delivery);
    // Writes every queued unit; false when the port has failed.
    bool WriteQueued();
    void EndThread();
    void ClosePort();

    const std::unique_ptr<SerialLine> line_;
    mutable std::mutex portLock_;
    std::thread thread_;
    bool monitoring_ = false;
    SerialHandOff handOff_;
    std::string configurationProblem_;
};

}  // namespace torvane
