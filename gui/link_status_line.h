#pragma once
// The line under the pages: the link, its state and the age of the last
// answer, in the core's words, redrawn every second and at each change of
// the link's state. Its right-click menu holds the operator's choices for
// keeping the link alive.

#include <QLabel>
#include <QTimer>
#include <functional>

#include "app/live_settings.h"
#include "app/torvane_dlg.h"

class QMenu;

namespace torvane::gui {

class LinkStatusLine : public QLabel {
  public:
    LinkStatusLine(CTorvaneDlg& dlg, QWidget* parent);
    ~LinkStatusLine() override;

    // Takes the choices and hands them to the window's supervisor.
    void Apply(const LiveSettings& settings);
    const LiveSettings& Settings() const { return settings_; }
    // Runs when the operator changes a choice in the menu (to save it).
    void SetOnSettingsChanged(std::function<void(const LiveSettings&)> onChanged) {
        onChanged_ = std::move(onChanged);
    }
    // The menu the right button opens, built afresh from the choices.
    void FillMenu(QMenu& menu);
    // The window model is gone, and its listeners with it: nothing of it
    // is reached from now on.
    void Detach();
    void Refresh();

    static int LineHeight(const QWidget& parent);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Choose(const LiveSettings& settings);
    void AddIntervals(QMenu& menu, const QString& title, int LiveSettings::*field);

    CTorvaneDlg* dlg_;
    QTimer timer_;
    int linkListener_ = 0;
    LiveSettings settings_;
    std::function<void(const LiveSettings&)> onChanged_;
};

}  // namespace torvane::gui
