#include "links/windows_port_source.h"

#include <cstdio>
#include <stdexcept>

namespace torvane {

namespace {

// A walk that fails ends at once with the system's text.
class WalkFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

std::string WithError(const char* text, PlatformError error) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%s (err=%lx)", text, static_cast<unsigned long>(error));
    return buffer;
}

const std::string kEnumKey = "Enum";
const std::string kEnumFailure = "Could not read from HKLM\\Enum";

void WalkDeviceInterfaces(WindowsPortApi& source, std::vector<SSerInfo>& list) {
    if (!source.OpenComPortInterfaces())
        throw WalkFailure(WithError("SetupDiGetClassDevs failed.", source.LastError()));
    std::string failure;
    for (std::uint32_t index = 0;; ++index) {
        if (!source.EnumComPortInterface(index)) {
            if (source.LastError() != kErrorNoMoreItems)
                failure = WithError("SetupDiEnumDeviceInterfaces failed.", source.LastError());
            break;
        }
        SSerInfo port;
        if (!source.GetInterfaceDevicePath(kMaxInterfacePathChars, &port.devicePath)) {
            failure = WithError("SetupDiGetDeviceInterfaceDetail failed.", source.LastError());
            break;
        }
        const bool taken =
            source.GetDeviceProperty(DeviceProperty::kFriendlyName, &port.friendlyName) &&
            source.GetDeviceProperty(DeviceProperty::kDeviceDescription, &port.description);
        std::string location;
        port.isUsb = source.GetDeviceProperty(DeviceProperty::kLocationInformation, &location) &&
                     location.compare(0, 3, "USB") == 0;
        if (taken) list.push_back(std::move(port));
    }
    source.CloseComPortInterfaces();
    if (!failure.empty()) throw WalkFailure(failure);
}

void ListFixedRange(std::vector<SSerInfo>& list) {
    for (int n = 1; n <= 16; ++n) {
        SSerInfo port;
        port.portName = "COM" + std::to_string(n);
        port.devicePath = "\\\\.\\" + port.portName;
        list.push_back(std::move(port));
    }
}

// Calls `each` with the name of every sub-key of `path`, in index order.
template <typename Each>
void ForEachSubKey(WindowsPortApi& source, const std::string& path, Each each) {
    std::string name;
    for (std::uint32_t index = 0; source.EnumSubKey(path, index, &name); ++index) each(name);
}

void ScanPortKeys(WindowsPortApi& source, const std::string& path, bool usbBus,
                  std::vector<SSerInfo>& list) {
    ForEachSubKey(source, path, [&](const std::string& name) {
        const std::string key = path + "\\" + name;
        if (!source.OpenKey(key)) throw WalkFailure(kEnumFailure + "\\...\\" + name);
        SSerInfo port;
        if (!source.QueryTextValue(key, "PORTNAME", 128, &port.portName)) return;
        if (!source.QueryTextValue(key, "FRIENDLYNAME", 128, &port.friendlyName))
            port.friendlyName.clear();
        port.devicePath = "\\\\.\\" + port.portName;
        port.isUsb = usbBus;
        for (auto& existing : list) {
            if (existing.portName == port.portName) {
                existing = std::move(port);
                return;
            }
        }
        list.push_back(std::move(port));
    });
}

void WalkRegistry(WindowsPortApi& source, std::vector<SSerInfo>& list) {
    if (!source.OpenKey(kEnumKey)) throw WalkFailure(kEnumFailure);
    ForEachSubKey(source, kEnumKey, [&](const std::string& bus) {
        const std::string busKey = kEnumKey + "\\" + bus;
        if (!source.OpenKey(busKey)) throw WalkFailure(kEnumFailure + "\\" + bus);
        const bool usbBus = bus == "USBPORTS";
        ForEachSubKey(source, busKey, [&](const std::string& device) {
            if (!(device == "*PNP0500" || device == "*PNP0501" || usbBus)) return;
            const std::string deviceKey = busKey + "\\" + device;
            if (!source.OpenKey(deviceKey))
                throw WalkFailure(kEnumFailure + "\\" + bus + "\\" + device);
            ScanPortKeys(source, deviceKey, usbBus, list);
        });
    });
}

}  // namespace

bool WindowsPortSource::ListPorts(std::vector<SSerInfo>* ports) {
    lastError_.clear();
    try {
        OsVersion version;
        if (!api_.GetOsVersion(&version))
            throw WalkFailure(WithError("Could not get OS version.", api_.LastError()));
        if (version.major >= 5)
            WalkDeviceInterfaces(api_, *ports);
        else if (version.platformId == kPlatformWin32Nt)
            ListFixedRange(*ports);
        else
            WalkRegistry(api_, *ports);
    } catch (const WalkFailure& failure) {
        lastError_ = failure.what();
        return false;
    }
    return true;
}

}  // namespace torvane
