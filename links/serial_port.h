#pragma once
// The serial link as the controller sees it. CSerialPort is the real driver
// (the system's serial device and a monitoring thread); the simulated switcher offers an
// in-process port with the same behaviour for tests and the demo.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/result.h"

namespace torvane {

// Receives what the port delivers, always on the event loop's thread.
class SerialPortOwner {
  public:
    virtual ~SerialPortOwner() = default;
    // Received bytes, in order. The owner runs the frame assembler on them one
    // byte at a time.
    virtual void OnSerialBytes(const std::uint8_t* bytes, std::size_t count) = 0;
    // The port failed while open (unplugged adapter, hang-up, I/O error);
    // delivered once per failure, as the serial-failure message.
    virtual void OnSerialFailure() = 0;
};

struct SerialSettings {
    int baud = 115200;
    char parity = 'N';  // 'N', 'E', 'O', 'M', 'S'
    int dataBits = 8;
    int stopBits = 2;
    unsigned lineFlags = 3;  // bit 1 raises DTR, bit 0 raises RTS
};

class SerialPort {
  public:
    virtual ~SerialPort() = default;
    // Opens `portPath` (a device path such as /dev/ttyUSB0), or says why it
    // cannot be opened.
    virtual Status InitPort(SerialPortOwner* owner, const std::string& portPath,
                            const SerialSettings& settings) = 0;
    virtual bool StartMonitoring() = 0;
    // Asks the monitoring thread to close the port and end; returns at once.
    virtual void StopMonitoring() = 0;
    // Hands one whole unit to the port; units are written whole and in order.
    virtual void WriteToPort(const std::uint8_t* bytes, std::size_t count) = 0;
};

}  // namespace torvane
