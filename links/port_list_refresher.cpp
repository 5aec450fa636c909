#include "links/port_list_refresher.h"

#include <algorithm>

namespace torvane {

PortListRefresher::PortListRefresher(std::unique_ptr<PortSource> source,
                                     std::unique_ptr<PortNaming> naming)
    : source_(std::move(source)), naming_(std::move(naming)) {}

Status PortListRefresher::RefreshPortList(PortListControl& list) {
    std::vector<SSerInfo> ports;
    lastRefresh_ = CollectSerialPorts(*source_, ports, true);
    if (!lastRefresh_) return lastRefresh_;
    if (ports.size() > kMaxPorts) ports.resize(kMaxPorts);

    std::vector<std::string> fresh;
    fresh.reserve(ports.size());
    for (const auto& port : ports) fresh.push_back(naming_->EntryTextOf(port));
    UpdateList(list, fresh);
    stored_ = std::move(fresh);
    ports_ = std::move(ports);
    return {};
}

void PortListRefresher::SortEntries(std::vector<std::string>& entries) const {
    // Equal entries keep their order; duplicates stay in the list.
    std::stable_sort(
        entries.begin(), entries.end(),
        [this](const std::string& a, const std::string& b) { return naming_->Before(a, b); });
}

void PortListRefresher::UpdateList(PortListControl& list, std::vector<std::string>& fresh) {
    const int oldCount = static_cast<int>(stored_.size());
    const int newCount = static_cast<int>(fresh.size());
    if (newCount == 0) {
        list.ResetContent();
        return;
    }
    // Compared position by position against the fresh list in enumeration
    // order, so a platform that reports ports out of order rebuilds every time.
    if (fresh == stored_) return;

    const std::string text = list.GetText();
    const int selected = list.GetCurSel();
    if (!text.empty() && selected >= 0) {
        const std::string kept = naming_->EntryOfText(text);
        if (std::find(fresh.begin(), fresh.end(), kept) != fresh.end()) {
            for (int i = 0; i < selected; ++i) list.DeleteString(0);
            for (int i = 0; i < oldCount - selected - 1; ++i) list.DeleteString(1);
            SortEntries(fresh);
            const int keptAt =
                static_cast<int>(std::find(fresh.begin(), fresh.end(), kept) - fresh.begin());
            // The kept entry keeps its text and its selection and ends at keptAt.
            for (int s = 0; s < newCount; ++s)
                if (s != keptAt) list.InsertString(s, fresh[s]);
            return;
        }
    }
    SortEntries(fresh);
    list.ResetContent();
    for (int i = 0; i < newCount; ++i) list.InsertString(i, fresh[i]);
    list.SetCurSel(0);
}

}  // namespace torvane
