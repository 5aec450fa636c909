#pragma once
// The serial ports of a Windows machine: the device-interface walk on
// current versions, a fixed COM1 to COM16 range on old NT, the legacy
// registry walk otherwise, over a WindowsPortApi. Failures carry the
// system's texts and error codes.

#include "links/port_source.h"
#include "links/windows_port_api.h"

namespace torvane {

// The longest device path the device-interface walk accepts (its detail
// buffer holds 128 characters).
inline constexpr std::size_t kMaxInterfacePathChars = 128;

class WindowsPortSource : public PortSource {
  public:
    explicit WindowsPortSource(WindowsPortApi& api) : api_(api) {}

    Status ListPorts(std::vector<SSerInfo>* ports) override;
    bool IsBusy(const std::string& devicePath) override { return !api_.CanOpenNow(devicePath); }

  private:
    WindowsPortApi& api_;
};

}  // namespace torvane
