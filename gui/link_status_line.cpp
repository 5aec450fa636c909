#include "gui/link_status_line.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QMenu>

#include "app/link_status_text.h"

namespace torvane::gui {

LinkStatusLine::LinkStatusLine(CTorvaneDlg& dlg, QWidget* parent) : QLabel(parent), dlg_(&dlg) {
    setObjectName(QStringLiteral("linkStatusLine"));
    setAutoFillBackground(true);
    setContentsMargins(4, 0, 4, 0);
    // The countdown and the age of the last answer move on by the second.
    timer_.setInterval(1000);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Refresh(); });
    timer_.start();
    linkListener_ = dlg.AddLinkListener([this](LinkState) { Refresh(); });
    Apply(settings_);
}

int LinkStatusLine::LineHeight(const QWidget& parent) { return parent.fontMetrics().height() + 6; }

void LinkStatusLine::Apply(const LiveSettings& settings) {
    settings_ = settings;
    if (dlg_) dlg_->SetSupervision(settings_.Supervision());
    Refresh();
}

void LinkStatusLine::Choose(const LiveSettings& settings) {
    Apply(settings);
    if (onChanged_) onChanged_(settings_);
}

void LinkStatusLine::Refresh() {
    if (!dlg_) return;
    setText(QString::fromStdString(
        LinkStatusText(dlg_->Supervisor(), dlg_->LinkName(), dlg_->Loop().Now())));
}

LinkStatusLine::~LinkStatusLine() {
    if (dlg_) dlg_->RemoveLinkListener(linkListener_);
}

void LinkStatusLine::Detach() {
    timer_.stop();
    dlg_ = nullptr;
}

void LinkStatusLine::FillMenu(QMenu& menu) {
    QAction* reconnect = menu.addAction(QStringLiteral("Reconnect automatically"));
    reconnect->setCheckable(true);
    reconnect->setChecked(settings_.reconnect);
    QObject::connect(reconnect, &QAction::toggled, this, [this](bool on) {
        LiveSettings next = settings_;
        next.reconnect = on;
        Choose(next);
    });
    AddIntervals(menu, QStringLiteral("Refresh every"), &LiveSettings::refreshSeconds);
    AddIntervals(menu, QStringLiteral("Check the switcher every"), &LiveSettings::keepAliveSeconds);
}

void LinkStatusLine::AddIntervals(QMenu& menu, const QString& title, int LiveSettings::*field) {
    QMenu* sub = menu.addMenu(title);
    auto* group = new QActionGroup(sub);
    for (int seconds : kIntervalChoices) {
        QAction* choice = sub->addAction(seconds == 0 ? QStringLiteral("Off")
                                                      : QStringLiteral("%1 s").arg(seconds));
        choice->setCheckable(true);
        choice->setChecked(settings_.*field == seconds);
        group->addAction(choice);
        QObject::connect(choice, &QAction::triggered, this, [this, field, seconds] {
            LiveSettings next = settings_;
            next.*field = seconds;
            Choose(next);
        });
    }
}

void LinkStatusLine::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu;
    FillMenu(menu);
    menu.exec(event->globalPos());
}

}  // namespace torvane::gui
