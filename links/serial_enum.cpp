#include "links/serial_enum.h"

#include <cstdio>

namespace torvane {

namespace {

std::string WithError(const char* text, PlatformError error) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%s (err=%lx)", text, static_cast<unsigned long>(error));
    return buffer;
}

const std::string kEnumKey = "Enum";
const std::string kEnumFailure = "Could not read from HKLM\\Enum";

void WalkDeviceInterfaces(PortSource& source, std::vector<SSerInfo>& list) {
    if (!source.OpenComPortInterfaces())
        throw PortEnumerationError(WithError("SetupDiGetClassDevs failed.", source.LastError()));
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
    if (!failure.empty()) throw PortEnumerationError(failure);
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
void ForEachSubKey(PortSource& source, const std::string& path, Each each) {
    std::string name;
    for (std::uint32_t index = 0; source.EnumSubKey(path, index, &name); ++index) each(name);
}

void ScanPortKeys(PortSource& source, const std::string& path, bool usbBus,
                  std::vector<SSerInfo>& list) {
    ForEachSubKey(source, path, [&](const std::string& name) {
        const std::string key = path + "\\" + name;
        if (!source.OpenKey(key)) throw PortEnumerationError(kEnumFailure + "\\...\\" + name);
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

void WalkRegistry(PortSource& source, std::vector<SSerInfo>& list) {
    if (!source.OpenKey(kEnumKey)) throw PortEnumerationError(kEnumFailure);
    ForEachSubKey(source, kEnumKey, [&](const std::string& bus) {
        const std::string busKey = kEnumKey + "\\" + bus;
        if (!source.OpenKey(busKey)) throw PortEnumerationError(kEnumFailure + "\\" + bus);
        const bool usbBus = bus == "USBPORTS";
        ForEachSubKey(source, busKey, [&](const std::string& device) {
            if (!(device == "*PNP0500" || device == "*PNP0501" || usbBus)) return;
            const std::string deviceKey = busKey + "\\" + device;
            if (!source.OpenKey(deviceKey))
                throw PortEnumerationError(kEnumFailure + "\\" + bus + "\\" + device);
            ScanPortKeys(source, deviceKey, usbBus, list);
        });
    });
}

void Finish(PortSource& source, std::vector<SSerInfo>& list, bool probeBusy) {
    for (auto it = list.begin(); it != list.end();) {
        if (probeBusy && !source.CanOpenNow(it->devicePath)) {
            it = list.erase(it);
            continue;
        }
        if (it->friendlyName.empty()) it->friendlyName = it->portName;
        if (it->description.empty()) {
            it->description = it->friendlyName;
            const auto open = it->description.find(" (");
            const auto close = it->description.find(')');
            if (open != std::string::npos && open > 0 && close == it->description.size() - 1)
                it->description.resize(open);
        }
        ++it;
    }
}

}  // namespace

void CollectSerialPorts(PortSource& source, std::vector<SSerInfo>& list, bool probeBusy) {
    list.clear();
    OsVersion version;
    if (!source.GetOsVersion(&version))
        throw PortEnumerationError(WithError("Could not get OS version.", source.LastError()));
    if (version.major >= 5)
        WalkDeviceInterfaces(source, list);
    else if (version.platformId == kPlatformWin32Nt)
        ListFixedRange(list);
    else
        WalkRegistry(source, list);
    Finish(source, list, probeBusy);
}

std::uint8_t ParsePortNumber(const std::string& text) {
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : 0; };
    unsigned value = 0;
    switch (text.size()) {
        case 1:
            value = digit(text[0]);
            break;
        case 2:
            value = 10 * digit(text[0]) + digit(text[1]);
            break;
        case 3:
            value = 100 * digit(text[0]) + 10 * digit(text[1]) + digit(text[2]);
            break;
        default:
            value = 0;
    }
    return static_cast<std::uint8_t>(value % 256);
}

std::string WithoutFirstThree(const std::string& text) {
    return text.size() > 3 ? text.substr(3) : std::string();
}

std::uint8_t PortNumberOf(const SSerInfo& port) {
    const std::string& name = port.friendlyName;
    const auto p = name.find("(COM");
    // Without "(COM" the position counts as -1, so the first three characters go.
    const std::size_t cut = p == std::string::npos ? 3 : p + 4;
    std::string rest = cut < name.size() ? name.substr(cut) : std::string();
    const auto q = rest.find(')');
    rest = q == std::string::npos ? std::string() : rest.substr(0, q);
    return ParsePortNumber(rest);
}

}  // namespace torvane
