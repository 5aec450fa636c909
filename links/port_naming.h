#pragma once
// How the port list names its entries. On Windows an entry is "COM" and the
// port number read from the friendly name; on Linux it is the device path.
// The refresh compares, sorts and keeps the selection in these terms, so it
// behaves the same with either.

#include <cstdint>
#include <memory>
#include <string>

#include "links/serial_enum.h"

namespace torvane {

class PortNaming {
  public:
    virtual ~PortNaming() = default;
    // The list entry for a port found.
    virtual std::string EntryTextOf(const SSerInfo& port) const = 0;
    // The entry a list text stands for (what the selection is looked up as).
    virtual std::string EntryOfText(const std::string& text) const = 0;
    // The order of the list.
    virtual bool Before(const std::string& a, const std::string& b) const = 0;
    // What to open for the selected entry text.
    virtual std::string DevicePathForEntry(const std::string& text) const = 0;
};

// "COM12": entries by port number, in ascending numeric order.
class ComNumberNaming : public PortNaming {
  public:
    std::string EntryTextOf(const SSerInfo& port) const override;
    std::string EntryOfText(const std::string& text) const override;
    bool Before(const std::string& a, const std::string& b) const override;
    // "COM12" -> "\\.\COM12"
    std::string DevicePathForEntry(const std::string& text) const override;

    // "COM12" -> 12; an empty text gives 0.
    static std::uint8_t PortNumberOfEntry(const std::string& text);
    static std::string EntryText(std::uint8_t number);
};

// "/dev/ttyUSB0": entries by device path, in natural order (ttyS2 before ttyS10).
class DevicePathNaming : public PortNaming {
  public:
    std::string EntryTextOf(const SSerInfo& port) const override { return port.devicePath; }
    std::string EntryOfText(const std::string& text) const override { return text; }
    bool Before(const std::string& a, const std::string& b) const override;
    std::string DevicePathForEntry(const std::string& text) const override { return text; }
};

// Compares runs of digits by value and everything else byte by byte.
bool NaturalLess(const std::string& a, const std::string& b);

// The naming of the platform the program was built for.
std::unique_ptr<PortNaming> MakePlatformPortNaming();

}  // namespace torvane
