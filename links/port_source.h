#pragma once
// Where the port list gets its facts: the serial ports present, with their
// names, and which of them another program holds. Each platform has its own
// source (sysfs on Linux; the Windows walks for a Windows build), the
// simulator has one for its ports, and the refresh logic above them is the
// same on every platform.

#include <string>
#include <vector>

#include "platform/result.h"

namespace torvane {

// One serial port found.
struct SSerInfo {
    std::string devicePath;    // the name the port is opened under
    std::string portName;      // short name such as COM3, where the platform has one
    std::string friendlyName;  // display name, normally ending " (COMn)" or " (/dev/...)"
    bool isUsb = false;
    std::string description;  // the friendly name without its parenthesised tail

    bool operator==(const SSerInfo&) const = default;
};

class PortSource {
  public:
    virtual ~PortSource() = default;
    // Appends the ports present to `ports`, in the order the platform reports
    // them. A system error, in the platform's own words, when they cannot be
    // found; ports appended before the failure stay.
    virtual Status ListPorts(std::vector<SSerInfo>* ports) = 0;
    // Whether the port cannot be opened right now because something else has
    // it. A source may answer without opening it (opening raises DTR, which
    // resets many boards).
    virtual bool IsBusy(const std::string& devicePath) = 0;
};

}  // namespace torvane
