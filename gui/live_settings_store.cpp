#include "gui/live_settings_store.h"

namespace torvane::gui {
namespace {

const char* const kReconnect = "link/reconnect";
const char* const kRefresh = "link/refreshSeconds";
const char* const kKeepAlive = "link/keepAliveSeconds";

}  // namespace

LiveSettings LoadLiveSettings(QSettings& settings) {
    LiveSettings live;
    live.reconnect = settings.value(kReconnect, live.reconnect).toBool();
    live.refreshSeconds = OfferedInterval(settings.value(kRefresh, 0).toInt());
    live.keepAliveSeconds = OfferedInterval(settings.value(kKeepAlive, 0).toInt());
    return live;
}

void SaveLiveSettings(QSettings& settings, const LiveSettings& live) {
    settings.setValue(kReconnect, live.reconnect);
    settings.setValue(kRefresh, live.refreshSeconds);
    settings.setValue(kKeepAlive, live.keepAliveSeconds);
    settings.sync();
}

}  // namespace torvane::gui
