#include "links/listed_port_source.h"

#include <algorithm>

#include "links/port_naming.h"

namespace torvane {

namespace {
// Every port listed has both names; a bare path gets generic ones.
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

Status ListedPortSource::ListPorts(std::vector<SSerInfo>* ports) {
    std::vector<ListedPort> found;
    if (Status scanned = ScanPorts(&found); !scanned) return scanned;
    std::vector<std::string> scanned;
    scanned.reserve(found.size());
    for (const auto& port : found) scanned.push_back(port.devicePath);
    BeginBusyChecks(scanned);
    for (const auto& extra : extras_) {
        std::erase_if(found, [&](const ListedPort& p) { return p.devicePath == extra.devicePath; });
        found.push_back(extra);
    }
    std::stable_sort(found.begin(), found.end(), [](const ListedPort& a, const ListedPort& b) {
        return NaturalLess(a.devicePath, b.devicePath);
    });
    for (auto& port : found) {
        CompleteNames(port);
        SSerInfo info;
        info.devicePath = std::move(port.devicePath);
        info.friendlyName = std::move(port.friendlyName);
        info.description = std::move(port.description);
        info.isUsb = port.location.compare(0, 3, "USB") == 0;
        ports->push_back(std::move(info));
    }
    return {};
}

bool ListedPortSource::IsBusy(const std::string& devicePath) {
    return !IsExtra(devicePath) && HeldElsewhere(devicePath);
}

}  // namespace torvane
