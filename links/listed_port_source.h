#pragma once
// A port source over a plain list of ports: the base of the platform sources
// that find their ports by scanning (sysfs), and on its own the source of
// ports a front-end adds (the simulator's pseudo-terminal, the in-process
// simulator's port).
//
// Ports are reported in natural order of their device paths, the order the
// list shows them, so that an unchanged set of ports leaves the list alone.

#include <string>
#include <vector>

#include "links/port_source.h"

namespace torvane {

struct ListedPort {
    std::string devicePath;
    std::string friendlyName;
    std::string description;
    std::string location;  // begins "USB" for a port reached over USB
};

class ListedPortSource : public PortSource {
  public:
    ListedPortSource() = default;
    explicit ListedPortSource(std::vector<ListedPort> extraPorts);

    // Extra ports are always listed (a port without names gets "Serial port"): the front-end that
    // adds one serves it itself, so it is never probed as busy. Adding a path again replaces it.
    void AddExtraPort(ListedPort port);
    void RemoveExtraPort(const std::string& devicePath);
    const std::vector<ListedPort>& ExtraPorts() const { return extras_; }

    Status ListPorts(std::vector<SSerInfo>* ports) override;
    bool IsBusy(const std::string& devicePath) override;

  protected:
    // The ports the platform has right now, or why they cannot be found.
    virtual Status ScanPorts(std::vector<ListedPort>* /*ports*/) { return {}; }
    // Whether another holder has a scanned port, found without opening it.
    virtual bool HeldElsewhere(const std::string& /*devicePath*/) { return false; }
    // Called when a listing begins, with the scanned ports' paths.
    virtual void BeginBusyChecks(const std::vector<std::string>& /*devicePaths*/) {}

  private:
    bool IsExtra(const std::string& devicePath) const;

    std::vector<ListedPort> extras_;
};

}  // namespace torvane
