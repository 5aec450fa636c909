#include "links/listed_port_source.h"

#include <algorithm>

#include "links/port_naming.h"

namespace torvane {

namespace {
// The device walk takes only ports with both names, so give a bare path some.
void CompleteNames(ListedPort& port) {
    if (port.description.empty()) port.description = "Serial port";
    if (port.friendlyName.empty())
        port.friendlyName = port.description + " (" + port.devicePath + ")";
}
}  // namespace

ListedPortSource::ListedPortSource(std::vector<ListedPort> extraPorts) {
    for (auto& port : extraPorts) AddExtraPort(std::move(port));
}

void ListedPortSource::AddExtraPort(ListedPort port) {
    CompleteNames(port);
    RemoveExtraPort(port.devicePath);
    extras_.push_back(std::move(port));
}

void ListedPortSource::RemoveExtraPort(const std::string& devicePath) {
    std::erase_if(extras_, [&](const ListedPort& p) { return p.devicePath == devicePath; });
}

bool ListedPortSource::IsExtra(const std::string& devicePath) const {
    return std::any_of(extras_.begin(), extras_.end(),
                       [&](const ListedPort& p) { return p.devicePath == devicePath; });
}

bool ListedPortSource::GetOsVersion(OsVersion* version) {
    // New enough for the device walk, which is how these ports are served.
    *version = OsVersion{6, kPlatformWin32Nt};
    return true;
}

bool ListedPortSource::OpenComPortInterfaces() {
    walk_.clear();
    if (!ScanPorts(&walk_)) return false;
    std::vector<std::string> scanned;
    scanned.reserve(walk_.size());
    for (const auto& port : walk_) scanned.push_back(port.devicePath);
    BeginBusyChecks(scanned);
    for (const auto& extra : extras_) {
        std::erase_if(walk_, [&](const ListedPort& p) { return p.devicePath == extra.devicePath; });
        walk_.push_back(extra);
    }
    std::stable_sort(walk_.begin(), walk_.end(), [](const ListedPort& a, const ListedPort& b) {
        return NaturalLess(a.devicePath, b.devicePath);
    });
    return true;
}

bool ListedPortSource::EnumComPortInterface(std::uint32_t index) {
    if (index >= walk_.size()) return Fail(kErrorNoMoreItems);
    selected_ = index;
    return true;
}

bool ListedPortSource::GetInterfaceDevicePath(std::size_t maxChars, std::string* path) {
    const auto& port = walk_.at(selected_);
    if (port.devicePath.size() > maxChars) return Fail(kErrorInsufficientBuffer);
    *path = port.devicePath;
    return true;
}

bool ListedPortSource::GetDeviceProperty(DeviceProperty property, std::string* text) {
    const auto& port = walk_.at(selected_);
    const std::string* value = nullptr;
    switch (property) {
        case DeviceProperty::kFriendlyName:
            value = &port.friendlyName;
            break;
        case DeviceProperty::kDeviceDescription:
            value = &port.description;
            break;
        case DeviceProperty::kLocationInformation:
            value = &port.location;
            break;
    }
    // An empty property is one the device does not have.
    if (value == nullptr || value->empty()) return Fail(13);
    *text = *value;
    return true;
}

void ListedPortSource::CloseComPortInterfaces() { walk_.clear(); }

bool ListedPortSource::CanOpenNow(const std::string& devicePath) {
    return IsExtra(devicePath) || !IsBusy(devicePath);
}

}  // namespace torvane
