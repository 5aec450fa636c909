#pragma once
// What a serial port does that differs from one system to the next: open
// and configure the device, purge it, wait for work, read, write a unit,
// and the two signals that reach the monitoring thread (shutdown, write
// request). CSerialPort holds everything else once: the thread's lifecycle,
// the write queue, the failure reported once, the hand-off to the owner.
//
// Open, IsOpen, PurgeBeforeMonitoring, Close, Receive and WriteUnit run
// under the port's lock; the signals may be raised from any thread; the
// watch (BeginWatch to EndWatch) runs on the monitoring thread alone.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "links/serial_hand_off.h"
#include "links/serial_port.h"
#include "platform/result.h"

namespace torvane {

// What an open refused because another program holds the port says.
inline constexpr const char* kSerialPortInUse = "in use by another program";

enum class UnitWrite { kWritten, kFailed, kAbandoned };

class SerialLine {
  public:
    // What ended a wait, in order of precedence.
    enum class Wake { kShutdown, kInput, kWriteRequest, kBroken };

    virtual ~SerialLine() = default;

    // Opens `path` exclusively and configures it, purging what waits in it.
    // A configuration step that fails leaves the port open; what failed is
    // put in `configurationProblem`. Only a port that cannot be opened
    // makes it fail.
    virtual Status Open(const std::string& path, const SerialSettings& settings,
                        std::string* configurationProblem) = 0;
    virtual bool IsOpen() const = 0;
    // Drops what arrived (or waits to leave) before monitoring starts.
    virtual void PurgeBeforeMonitoring() = 0;
    virtual void Close() = 0;

    virtual void SignalShutdown() = 0;
    virtual void SignalWriteRequest() = 0;
    // Lowers both signals; only while no monitoring thread runs.
    virtual void ResetSignals() = 0;

    // False when the thread cannot watch the port at all (reported as the
    // port failing).
    virtual bool BeginWatch() = 0;
    // Blocks until one of the wakes; the port's input is watched only while
    // `watchInput`. A write request is lowered as it is reported. kBroken:
    // the wait itself failed.
    virtual Wake Wait(bool watchInput) = 0;
    // Hands what has arrived to `delivery`; false when the port has failed.
    virtual bool Receive(const SerialDelivery& delivery) = 0;
    // Purges the port's input (a reply still waiting unread belongs to an
    // earlier command), writes the unit whole and waits until it has left
    // the port; abandoned when shutdown is signalled meanwhile.
    virtual UnitWrite WriteUnit(const std::uint8_t* bytes, std::size_t count) = 0;
    virtual void WaitForShutdown() = 0;
    // Ends whatever the watch still has pending on the port.
    virtual void EndWatch() = 0;
};

// The line of the system the program is built for.
std::unique_ptr<SerialLine> MakeSystemSerialLine();

}  // namespace torvane
