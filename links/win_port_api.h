#pragma once
// The WindowsPortApi over the system itself: the version query, SetupAPI's
// COM-port interfaces and their device properties, the registry below the
// machine key, and the busy probe by an exclusive open.

#include <memory>
#include <string>

#include "links/windows_port_api.h"

namespace torvane {

class Win32PortApi : public WindowsPortApi {
  public:
    Win32PortApi();
    ~Win32PortApi() override;
    Win32PortApi(const Win32PortApi&) = delete;
    Win32PortApi& operator=(const Win32PortApi&) = delete;

    PlatformError LastError() const override { return lastError_; }
    bool GetOsVersion(OsVersion* version) override;
    bool OpenComPortInterfaces() override;
    bool EnumComPortInterface(std::uint32_t index) override;
    bool GetInterfaceDevicePath(std::size_t maxChars, std::string* path) override;
    bool GetDeviceProperty(DeviceProperty property, std::string* text) override;
    void CloseComPortInterfaces() override;
    bool OpenKey(const std::string& path) override;
    bool EnumSubKey(const std::string& path, std::uint32_t index, std::string* name) override;
    bool QueryTextValue(const std::string& path, const std::string& name, std::size_t maxBytes,
                        std::string* value) override;
    bool EnumTextValue(const std::string& path, std::uint32_t index, std::string* name,
                       std::string* value) override;
    // Opening raises DTR on the port; Windows offers no other way to tell
    // whether a program holds it.
    bool CanOpenNow(const std::string& devicePath) override;

  private:
    bool Failed();
    bool Failed(long status);

    struct Walk;  // the device information set and the selected interface
    std::unique_ptr<Walk> walk_;
    PlatformError lastError_ = 0;
};

}  // namespace torvane
