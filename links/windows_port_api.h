#pragma once
// What the Windows port source asks of the system: the version query, the
// COM-port device interface walk with its device properties, the registry
// (the legacy walk, the serial device map), and an "is the port free right
// now" probe. Kept apart from the system calls themselves so the walks run
// against a scripted system in tests, on any platform.

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

// An error code as the platform reports it after a failed call.
using PlatformError = std::uint32_t;

inline constexpr PlatformError kErrorInsufficientBuffer = 122;
inline constexpr PlatformError kErrorNoMoreItems = 259;

struct OsVersion {
    std::uint32_t major = 0;
    std::uint32_t platformId = 0;
};
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

// Device properties read during the device-interface walk, with the numbers
// the system gives them.
enum class DeviceProperty : std::uint32_t {
    kDeviceDescription = 0,
    kFriendlyName = 12,
    kLocationInformation = 13,
};

class WindowsPortApi {
  public:
    virtual ~WindowsPortApi() = default;

    // The error code of the last failed call.
    virtual PlatformError LastError() const = 0;

    virtual bool GetOsVersion(OsVersion* version) = 0;

    // The COM-port device interfaces present. Open before the walk, Close after
    // it whatever happened.
    virtual bool OpenComPortInterfaces() = 0;
    // Selects the interface at `index`; false past the last one (LastError()
    // is then kErrorNoMoreItems) or on another failure.
    virtual bool EnumComPortInterface(std::uint32_t index) = 0;
    // The selected interface's device path; false when it is longer than
    // `maxChars` or cannot be read.
    virtual bool GetInterfaceDevicePath(std::size_t maxChars, std::string* path) = 0;
    // A text property of the selected interface's device; false when absent.
    virtual bool GetDeviceProperty(DeviceProperty property, std::string* text) = 0;
    virtual void CloseComPortInterfaces() = 0;

    // The registry below the machine key; key paths use "\" between names.
    virtual bool OpenKey(const std::string& path) = 0;
    // The name of sub-key `index` of `path`; false past the last one.
    virtual bool EnumSubKey(const std::string& path, std::uint32_t index, std::string* name) = 0;
    // A text value of at most `maxBytes` bytes; false when absent.
    virtual bool QueryTextValue(const std::string& path, const std::string& name,
                                std::size_t maxBytes, std::string* value) = 0;
    // The name and text of value `index` of `path`; false past the last one
    // or when the key is absent.
    virtual bool EnumTextValue(const std::string& path, std::uint32_t index, std::string* name,
                               std::string* value) = 0;

    // Whether the port could be opened exclusively right now. A source may
    // answer without opening it (opening raises DTR and resets many boards).
    virtual bool CanOpenNow(const std::string& devicePath) = 0;
};

}  // namespace torvane
