#include "gui/screenshot_tour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMouseEvent>
#include <cstdio>
#include <memory>

#include "res/resource_ids.h"

namespace torvane::gui {
namespace {
constexpr int kStepLimitMs = 20000;
constexpr int kPollMs = 25;
constexpr int kQuietMs = 400;
}  // namespace

void ClickWidget(QWidget* widget) {
    if (!widget) return;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->click();
        return;
    }
    const QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

ScreenshotTour::ScreenshotTour(FrontEnd& front, QString directory, std::function<void(int)> done)
    : front_(front), directory_(std::move(directory)), done_(std::move(done)) {
    timer_.setInterval(kPollMs);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });

    CTorvaneDlg& dlg = front_.Dlg();
    // Connect by TCP to the demo switcher selected in the Switcher IP list.
    Click(res::kTcpModeRadio);
    Click(res::kTcpConnectButton);
    WaitUntil([&dlg, this] { return dlg.TcpConnected() && Settled(); });
    Click(res::kStatusButton);
    WaitUntil([this] { return Settled(); });
    Save("general.png", [this] { return &front_.MainView(); });
    VisitPage(res::kMatrixLabel, "matrix.png");
    VisitPage(res::kEdidLabel, "edid.png");
    VisitPage(res::kUpgradeLabel, "upgrade.png");
    VisitPage(res::kGeneralLabel, nullptr);
    // The power-off question; closed without an answer.
    Click(res::kPowerOnBox);
    WaitUntil([&dlg] { return dlg.Message().Showing(); });
    Save("message.png", [this] { return &front_.MessageView(); });
    Do([this] { ClickWidget(front_.MessageView().ControlWidget(CMessageDlg::kCloseButton)); });
    WaitUntil([this] { return Settled(); });
    // The busy dialog of a status reading, caught while it works.
    Click(res::kStatusButton);
    WaitUntil([&dlg] { return dlg.Busy().Running(); });
    Save("busy.png", [this] { return &front_.BusyView(); });
    WaitUntil([this] { return Settled(); });
    // The network configuration dialog of the switcher a Search found.
    Click(res::kSearchButton);
    WaitUntil([&dlg, this] { return !dlg.SwitcherDiscovery().Listed().empty() && Settled(); });
    Click(res::kConfigButton);
    WaitUntil([&dlg] { return dlg.ConfigIp().IsOpen(); });
    Save("netconfig.png", [this] { return &front_.NetworkConfigView(); });
    Do([this] { ClickWidget(front_.NetworkConfigView().ControlWidget(res::kConfigCloseButton)); });
}

void ScreenshotTour::Start() {
    QDir().mkpath(directory_);
    stepStarted_ = QDateTime::currentMSecsSinceEpoch();
    timer_.start();
}

bool ScreenshotTour::Settled() const {
    CTorvaneDlg& dlg = front_.Dlg();
    return dlg.BusyGateOpen() && !dlg.Busy().Flagged() && !dlg.Message().Showing() &&
           !dlg.AwaitingReply();
}

void ScreenshotTour::Do(std::function<void()> action) {
    Add([action = std::move(action)] {
        action();
        return true;
    });
}

void ScreenshotTour::WaitUntil(std::function<bool()> condition) { Add(std::move(condition)); }

void ScreenshotTour::Click(int id) {
    Do([this, id] { ClickWidget(front_.MainView().ControlWidget(id)); });
}

void ScreenshotTour::Save(const char* name, std::function<QWidget*()> which) {
    Add([this, name, which = std::move(which)] {
        QWidget* widget = which();
        const QString path = QDir(directory_).filePath(QString::fromLatin1(name));
        if (!widget->grab().save(path)) {
            std::fprintf(stderr, "torvane: cannot write %s\n", qPrintable(path));
            timer_.stop();
            done_(1);
            return false;
        }
        std::printf("%s\n", qPrintable(path));
        return true;
    });
}

void ScreenshotTour::VisitPage(int labelId, const char* picture) {
    CTorvaneDlg& dlg = front_.Dlg();
    Do([this, labelId] { ClickWidget(front_.MainView().ControlWidget(labelId)); });
    // A page that is not built yet answers nothing: its entry query ends
    // in "Time out!", which is closed like any message.
    Add([this, &dlg] {
        if (dlg.Message().Showing()) {
            ClickWidget(front_.MessageView().ControlWidget(CMessageDlg::kOkButton));
            return false;
        }
        return Settled();
    });
    // A page's refresh may go on query by query after the gate reopens: the
    // picture waits until nothing has been pending for a while.
    auto quietSince = std::make_shared<qint64>(0);
    Add([this, quietSince] {
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        if (!Settled() || front_.Dlg().Busy().Running())
            *quietSince = 0;
        else if (*quietSince == 0)
            *quietSince = now;
        return *quietSince != 0 && now - *quietSince >= kQuietMs;
    });
    if (picture) Save(picture, [this] { return &front_.MainView(); });
}

void ScreenshotTour::Tick() {
    while (next_ < steps_.size()) {
        if (!steps_[next_]()) {
            if (QDateTime::currentMSecsSinceEpoch() - stepStarted_ > kStepLimitMs) {
                std::fprintf(stderr, "torvane: screenshots: step %zu did not finish\n", next_);
                timer_.stop();
                done_(1);
            }
            return;
        }
        ++next_;
        stepStarted_ = QDateTime::currentMSecsSinceEpoch();
    }
    timer_.stop();
    done_(0);
}

}  // namespace torvane::gui
