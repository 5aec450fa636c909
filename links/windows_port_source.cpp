#include "links/windows_port_source.h"

#include <cstdio>
#include <utility>

namespace torvane {

namespace {

// A walk that fails ends at once with the system's text.
Error WalkFailure(std::string text) { return SystemError(std::move(text)); }

std::string WithError(const char* text, PlatformError error) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%s (err=%lx)", text, static_cast<unsigned long>(error));
    return buffer;
}

const std::string kEnumKey = "Enum";
const std::string kEnumFailure = "Could not read from HKLM\\Enum";
const std::string kSerialDeviceMap = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

Status WalkDeviceInterfaces(WindowsPortApi& source, std::vector<SSerInfo>& list) {
    if (!source.OpenComPortInterfaces())
        return WalkFailure(WithError("SetupDiGetClassDevs failed.", source.LastError()));
    Status outcome;
    for (std::uint32_t index = 0;; ++index) {
        if (!source.EnumComPortInterface(index)) {
            if (source.LastError() != kErrorNoMoreItems)
                outcome = WalkFailure(
                    WithError("SetupDiEnumDeviceInterfaces failed.", source.LastError()));
            break;
        }
        SSerInfo port;
        if (!source.GetInterfaceDevicePath(kMaxInterfacePathChars, &port.devicePath)) {
            outcome = WalkFailure(
                WithError("SetupDiGetDeviceInterfaceDetail failed.", source.LastError()));
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
    return outcome;
}

// Wine (and a machine whose port drivers register no COM-port interface)
// names its ports only in the serial device map. Each gets the friendly
// name a port driver would give it, so its number reads from it.
void ListSerialDeviceMap(WindowsPortApi& source, std::vector<SSerInfo>& list) {
    std::string device, name;
    for (std::uint32_t index = 0; source.EnumTextValue(kSerialDeviceMap, index, &device, &name);
         ++index) {
        SSerInfo port;
        port.portName = name;
        port.devicePath = "\\\\.\\" + name;
        port.friendlyName = "Serial port (" + name + ")";
        list.push_back(std::move(port));
    }
}

void ListFixedRange(std::vector<SSerInfo>& list) {
    for (int n = 1; n <= 16; ++n) {
        SSerInfo port;
        port.portName = "COM" + std::to_string(n);
        port.devicePath = "\\\\.\\" + port.portName;
        list.push_back(std::move(port));
    }
}

// Calls `each` with the name of every sub-key of `path`, in index order,
// until one fails.
template <typename Each>
Status ForEachSubKey(WindowsPortApi& source, const std::string& path, Each each) {
    std::string name;
    for (std::uint32_t index = 0; source.EnumSubKey(path, index, &name); ++index)
        if (Status done = each(name); !done) return done;
    return {};
}

Status ScanPortKeys(WindowsPortApi& source, const std::string& path, bool usbBus,
                    std::vector<SSerInfo>& list) {
    return ForEachSubKey(source, path, [&](const std::string& name) -> Status {
        const std::string key = path + "\\" + name;
        if (!source.OpenKey(key)) return WalkFailure(kEnumFailure + "\\...\\" + name);
        SSerInfo port;
        if (!source.QueryTextValue(key, "PORTNAME", 128, &port.portName)) return {};
        if (!source.QueryTextValue(key, "FRIENDLYNAME", 128, &port.friendlyName))
            port.friendlyName.clear();
        port.devicePath = "\\\\.\\" + port.portName;
        port.isUsb = usbBus;
        for (auto& existing : list) {
            if (existing.portName == port.portName) {
                existing = std::move(port);
                return {};
            }
        }
        list.push_back(std::move(port));
        return {};
    });
}

Status WalkRegistry(WindowsPortApi& source, std::vector<SSerInfo>& list) {
    if (!source.OpenKey(kEnumKey)) return WalkFailure(kEnumFailure);
    return ForEachSubKey(source, kEnumKey, [&](const std::string& bus) -> Status {
        const std::string busKey = kEnumKey + "\\" + bus;
        if (!source.OpenKey(busKey)) return WalkFailure(kEnumFailure + "\\" + bus);
        const bool usbBus = bus == "USBPORTS";
        return ForEachSubKey(source, busKey, [&](const std::string& device) -> Status {
            if (!(device == "*PNP0500" || device == "*PNP0501" || usbBus)) return {};
            const std::string deviceKey = busKey + "\\" + device;
            if (!source.OpenKey(deviceKey))
                return WalkFailure(kEnumFailure + "\\" + bus + "\\" + device);
            return ScanPortKeys(source, deviceKey, usbBus, list);
        });
    });
}

}  // namespace

Status WindowsPortSource::ListPorts(std::vector<SSerInfo>* ports) {
    OsVersion version;
    if (!api_.GetOsVersion(&version))
        return WalkFailure(WithError("Could not get OS version.", api_.LastError()));
    if (version.major >= 5) {
        const std::size_t before = ports->size();
        Status walked = WalkDeviceInterfaces(api_, *ports);
        if (!walked) return walked;
        if (ports->size() == before) ListSerialDeviceMap(api_, *ports);
        return {};
    }
    if (version.platformId == kPlatformWin32Nt)
        ListFixedRange(*ports);
    else
        return WalkRegistry(api_, *ports);
    return {};
}

}  // namespace torvane
