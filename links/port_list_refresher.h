#pragma once
// Keeps the port list in step with the ports present and free. Run once when
// the main window starts and then on every tick of its refresh timer; an
// unchanged list is left untouched (an open drop-down stays open), and the
// operator's selection survives whenever its port is still there.

#include <memory>
#include <string>
#include <vector>

#include "links/port_list_control.h"
#include "links/port_naming.h"
#include "links/port_source.h"
#include "links/serial_enum.h"

namespace torvane {

class PortListRefresher {
  public:
    // The refresh walks its lists with a one-byte index.
    static constexpr std::size_t kMaxPorts = 255;

    explicit PortListRefresher(std::unique_ptr<PortSource> source,
                               std::unique_ptr<PortNaming> naming = MakePlatformPortNaming());

    // One refresh. When the enumeration fails, the list and the stored state
    // are left as they were (the next tick tries again) and the failure, with
    // its text, is returned; LastRefresh() keeps it until the next refresh.
    Status RefreshPortList(PortListControl& list);

    // What to open for the text of the selected entry.
    std::string DevicePathForEntry(const std::string& text) const {
        return naming_->DevicePathForEntry(text);
    }

    // The entries the list shows, in order, as of the last refresh.
    const std::vector<std::string>& Stored() const { return stored_; }
    int StoredCount() const { return static_cast<int>(stored_.size()); }
    // The ports found by the last successful refresh, in enumeration order.
    const std::vector<SSerInfo>& Ports() const { return ports_; }
    const Status& LastRefresh() const { return lastRefresh_; }

    PortSource& Source() { return *source_; }
    const PortNaming& Naming() const { return *naming_; }

  private:
    void UpdateList(PortListControl& list, std::vector<std::string>& fresh);
    void SortEntries(std::vector<std::string>& entries) const;

    std::unique_ptr<PortSource> source_;
    std::unique_ptr<PortNaming> naming_;
    std::vector<std::string> stored_;
    std::vector<SSerInfo> ports_;
    Status lastRefresh_;
};

}  // namespace torvane
