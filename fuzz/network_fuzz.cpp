// Arbitrary datagrams from the network into discovery and configuration, as
// the main window's socket hands them over. The first byte of each record
// says which socket heard it and whether the operator then picks a listed
// switcher; two more give its length (up to 2047, past what one read takes).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "network/discovery.h"
#include "platform/virtual_loop.h"
#include "sim/in_process_links.h"
#include "ui/control_table.h"

using namespace torvane;

namespace {

constexpr int kList = 1060;

DialogTemplate ListTemplate() {
    DialogTemplate dialog;
    ControlTemplate list;
    list.id = kList;
    list.kind = ControlKind::kDropDownList;
    list.style = kSorted;
    dialog.controls.push_back(list);
    return dialog;
}

bool IsMacField(const std::string& field) {
    return field.size() == 2 && std::all_of(field.begin(), field.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

void CheckInvariants(const Discovery& discovery, const ControlTable& table) {
    const auto& items = table.Items(kList);
    const auto& listed = discovery.Listed();
    if (items.size() != listed.size() || listed.size() > kMaxListedSwitchers) std::abort();
    if (!std::is_sorted(items.begin(), items.end())) std::abort();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] != AddressText(listed[i].ip)) std::abort();
    for (const auto& field : discovery.Fields().mac)
        if (!field.empty() && !IsMacField(field)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VirtualLoop loop;
    sim::SimLinkFactory links(loop);
    ControlTable table(ListTemplate());
    ReceiveLog log;
    Discovery discovery(links, table, kList, log, {});
    discovery.SetSettings({"127.0.0.1", "127.255.255.255", 30600, 30601});
    static_cast<void>(discovery.Search());

    std::size_t at = 0;
    while (at + 3 <= size) {
        const std::uint8_t control = data[at];
        std::size_t length = (static_cast<std::size_t>(data[at + 1]) << 8 | data[at + 2]) & 0x7FF;
        at += 3;
        length = std::min(length, size - at);
        std::size_t read = std::min(length, kDatagramReadSize);
        if (control & 1)
            discovery.OnConfigurationDatagram(data + at, read);
        else
            discovery.OnDiscoveryDatagram(data + at, read);
        at += length;
        if ((control & 2) && !table.Items(kList).empty()) {
            table.SetSelection(kList, (control >> 2) % static_cast<int>(table.Items(kList).size()));
            discovery.OnSelectionChange();
        }
        CheckInvariants(discovery, table);
        BuildConfigPacket(AddressMode::kStatic, discovery.Fields().mac, {});
    }
    return 0;
}
