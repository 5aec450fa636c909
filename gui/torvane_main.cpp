// torvane: the operator's window onto an 8x8 HDMI matrix switcher.

#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QSettings>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/torvane_app.h"
#include "gui/demo_link_folder.h"
#include "gui/demo_switcher.h"
#include "gui/front_end.h"
#include "gui/gui_options.h"
#include "gui/live_settings_store.h"
#include "gui/profile_dialogs.h"
#include "gui/qt_loop.h"
#include "gui/screenshot_tour.h"
#include "links/posix_link_factory.h"

namespace {

// With TORVANE_REPORT_MAPPED set, the moment the main window is first shown
// on screen is printed as "mapped <ms since the epoch>", for the start-up
// benchmark.
class MappedReporter : public QObject {
  public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose || event->type() == QEvent::Show) {
            if (auto* widget = qobject_cast<QWidget*>(watched); widget && widget->isVisible()) {
                std::printf("mapped %lld\n",
                            static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
                std::fflush(stdout);
                watched->removeEventFilter(this);
            }
        }
        return false;
    }
};

}  // namespace

int main(int argc, char** argv) {
    using namespace torvane;
    using namespace torvane::gui;

    GuiOptions options;
    std::string error;
    if (!ParseGuiOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::cerr << "torvane: " << error << "\n" << GuiUsage();
        return 2;
    }
    if (options.help) {
        std::cout << GuiUsage();
        return 0;
    }

    QApplication application(argc, argv);
    QtLoop loop;
    PosixLinkFactory links(loop);
    for (const auto& path : options.ports)
        links.AddExtraPort({path, "Serial port " + path, "", ""});

    std::unique_ptr<DemoSwitcher> demo;
    // The demo's serial port under a name of its own while the front panel
    // may take it away, so the window finds it again when it is back.
    DemoLinkFolder linkFolder;
    if (options.frontPanel && !linkFolder.Make(&error)) {
        std::cerr << "torvane: the demo switcher cannot start: " << error << "\n";
        return 1;
    }
    if (options.demo) {
        demo = std::make_unique<DemoSwitcher>(loop);
        if (!demo->Start(&error, linkFolder.LinkPath())) {
            std::cerr << "torvane: the demo switcher cannot start: " << error << "\n";
            return 1;
        }
        links.AddExtraPort(
            {demo->SerialPath(), "Demo switcher (" + demo->SerialPath() + ")", "", ""});
        if (options.frontPanel)
            demo->StartFrontPanel(STDIN_FILENO, [](const std::string& line) {
                std::cerr << "torvane: front panel: " << line << std::endl;
            });
    }

    CTorvaneApp app(loop, links);
    std::unique_ptr<FrontEnd> front;
    CTorvaneDlg& dlg = app.InitInstance([&front](int code) {
        // The window model is gone by now; the views let go of it.
        if (front) front->Detach();
        QApplication::exit(code);
    });
    if (demo) {
        dlg.AddSwitcherAddress(demo->Address());
        dlg.SetControlPort(demo->TcpPort());
        dlg.SetDiscoverySettings(demo->Discovery());
    }

    // Names and presets live in the user's configuration folder; without
    // one the window works as before, only without them.
    auto folder =
        profile::ProfileStore::DefaultFolder([](const char* name) { return std::getenv(name); });
    if (!folder) std::cerr << "torvane: warning: " << folder.error().message << "\n";
    app.KeepProfiles(folder ? std::optional(profile::ProfileStore(*folder)) : std::nullopt);
    front = std::make_unique<FrontEnd>(dlg);
    OfferProfileDialogs(*front, app);
    // The operator's choices for the link, as the last run left them.
    QSettings settings(QStringLiteral("Torvane"), QStringLiteral("torvane"));
    front->StatusLine().Apply(LoadLiveSettings(settings));
    front->StatusLine().SetOnSettingsChanged(
        [&settings](const LiveSettings& live) { SaveLiveSettings(settings, live); });
    MappedReporter reporter;
    if (std::getenv("TORVANE_REPORT_MAPPED")) front->MainView().installEventFilter(&reporter);
    front->Show();

    std::unique_ptr<ScreenshotTour> tour;
    if (!options.screenshots.empty()) {
        tour = std::make_unique<ScreenshotTour>(*front, QString::fromStdString(options.screenshots),
                                                [](int code) { QApplication::exit(code); });
        tour->Start();
    }
    return QApplication::exec();
}
