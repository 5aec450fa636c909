#include "support/sim_connect.h"

#include "sim/in_process_links.h"

namespace torvane::test {

bool ConnectToSimSwitcher(Operations& ops, VirtualLoop& loop) {
    LinkChoice link;
    link.serialPath = sim::kDefaultSerialPath;
    bool ok = false, done = false;
    ops.Connect(link, [&](const Completed<void>& c) {
        ok = c.result.ok();
        done = true;
    });
    for (int ms = 0; !done && ms < 10000; ms += 10) loop.Advance(10);
    return ok;
}

}  // namespace torvane::test
