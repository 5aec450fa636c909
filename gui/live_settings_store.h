#pragma once
// The operator's choices for keeping the link alive, kept between runs in
// the program's Qt settings.

#include <QSettings>

#include "app/live_settings.h"

namespace torvane::gui {

// What was saved, each choice the window does not offer read as its default.
LiveSettings LoadLiveSettings(QSettings& settings);
void SaveLiveSettings(QSettings& settings, const LiveSettings& live);

}  // namespace torvane::gui
