#pragma once
// The serial ports of a Linux machine, from sysfs: every tty with a device
// behind it (USB serial adapters, ACM modems, platform and PCI UARTs), except
// legacy UART slots where no UART answered. Each gets a friendly name with
// the USB product and serial number where sysfs has them. Busy ports are told
// from the process table and lock files, never by opening them.

#include <string>
#include <vector>

#include "links/listed_port_source.h"
#include "links/port_busy_check.h"

namespace torvane {

struct SysfsLayout {
    std::string sysRoot = "/sys";
    std::string devRoot = "/dev";
    std::string procRoot = "/proc";
    std::vector<std::string> lockDirs = {"/var/lock", "/run/lock"};
};

class SysfsPortSource : public ListedPortSource {
  public:
    explicit SysfsPortSource(SysfsLayout layout = {}, std::vector<ListedPort> extraPorts = {});

  protected:
    Status ScanPorts(std::vector<ListedPort>* ports) override;
    void BeginBusyChecks(const std::vector<std::string>& devicePaths) override {
        busy_.Begin(devicePaths);
    }
    bool HeldElsewhere(const std::string& devicePath) override { return busy_.IsBusy(devicePath); }

  private:
    bool Describe(const std::string& ttyName, ListedPort* port) const;

    SysfsLayout layout_;
    PortBusyCheck busy_;
};

}  // namespace torvane
