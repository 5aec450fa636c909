#pragma once
// The operator's choices for keeping the link alive, as the window offers
// and saves them. The defaults keep the window's traffic as it always was
// unless the operator asks for more: a lost link is reopened, but nothing is
// read again on a timer.

#include <array>

#include "app/connection_supervisor.h"

namespace torvane {

struct LiveSettings {
    bool reconnect = true;
    int refreshSeconds = 0;    // 0: no refresh
    int keepAliveSeconds = 0;  // 0: no keep-alive query

    SupervisorSettings Supervision() const {
        return {reconnect, keepAliveSeconds * 1000, refreshSeconds * 1000};
    }
};

// The intervals the window offers, in seconds; 0 stands for off.
inline constexpr std::array<int, 6> kIntervalChoices{0, 2, 5, 10, 30, 60};

// A saved interval the window does not offer (edited by hand, say) is off.
inline int OfferedInterval(int seconds) {
    for (int choice : kIntervalChoices)
        if (choice == seconds) return seconds;
    return 0;
}

}  // namespace torvane
