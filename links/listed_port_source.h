#pragma once
// A port source that serves a plain list of ports through the device walk:
// the base of the platform sources that find their ports some other way
// (sysfs), and on its own the source of ports a front-end adds (the
// simulator's pseudo-terminal, the in-process simulator's port).
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

    PlatformError LastError() const override { return lastError_; }
    bool GetOsVersion(OsVersion* version) override;
    bool OpenComPortInterfaces() override;
    bool EnumComPortInterface(std::uint32_t index) override;
    bool GetInterfaceDevicePath(std::size_t maxChars, std::string* path) override;
    bool GetDeviceProperty(DeviceProperty property, std::string* text) override;
    void CloseComPortInterfaces() override;
    bool OpenKey(const std::string&) override { return Fail(2); }
    bool EnumSubKey(const std::string&, std::uint32_t, std::string*) override { return Fail(2); }
    bool QueryTextValue(const std::string&, const std::string&, std::size_t,
                        std::string*) override {
        return Fail(2);
    }
    bool CanOpenNow(const std::string& devicePath) override;

  protected:
    // The ports the platform has right now; false (with SetLastError) when
    // they cannot be found.
    virtual bool ScanPorts(std::vector<ListedPort>* /*ports*/) { return true; }
    // Whether another holder has the port, found without opening it.
    virtual bool IsBusy(const std::string& /*devicePath*/) { return false; }
    // Called when a walk begins, with the scanned ports' paths.
    virtual void BeginBusyChecks(const std::vector<std::string>& /*devicePaths*/) {}

    bool Fail(PlatformError error) {
        lastError_ = error;
        return false;
    }

  private:
    bool IsExtra(const std::string& devicePath) const;

    std::vector<ListedPort> extras_;
    std::vector<ListedPort> walk_;
    std::size_t selected_ = 0;
    PlatformError lastError_ = 0;
};

}  // namespace torvane
