#pragma once
// The main window's four page labels and the page each one shows, in the
// order the header band draws them.

#include "protocol/dispatcher.h"
#include "res/resource_ids.h"

namespace torvane {

struct PageLabel {
    int id;
    PageCode code;
};

inline constexpr PageLabel kPageLabels[] = {
    {res::kGeneralLabel, PageCode::kGeneral},
    {res::kEdidLabel, PageCode::kEdid},
    {res::kMatrixLabel, PageCode::kMatrix},
    {res::kUpgradeLabel, PageCode::kUpgrade},
};

}  // namespace torvane
