#include "links/serial_enum.h"

namespace torvane {

namespace {

void Finish(PortSource& source, std::vector<SSerInfo>& list, bool probeBusy) {
    for (auto it = list.begin(); it != list.end();) {
        if (probeBusy && source.IsBusy(it->devicePath)) {
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

Status CollectSerialPorts(PortSource& source, std::vector<SSerInfo>& list, bool probeBusy) {
    list.clear();
    if (Status listed = source.ListPorts(&list); !listed) return listed;
    Finish(source, list, probeBusy);
    return {};
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
