#pragma once
// The dialogs of names and presets on the header's right-click menu, where
// the application keeps profiles.

#include "app/torvane_app.h"
#include "gui/front_end.h"

namespace torvane::gui {

void OfferProfileDialogs(FrontEnd& front, CTorvaneApp& app);

}  // namespace torvane::gui
