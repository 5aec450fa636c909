#pragma once
// One window model on screen: every control of its control table as a Qt
// widget at its template rectangle (dialog units through the template font),
// kept in step through the table's change notifications, with the operator's
// clicks, choices, edits, keys and presses forwarded to the model. The view
// decides nothing: what it shows is the table, and its skin's look.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "gui/dialog_units.h"
#include "gui/skin.h"
#include "ui/window.h"

namespace torvane::gui {

class WindowView : public QWidget, public WindowObserver {
  public:
    WindowView(Window& window, std::unique_ptr<Skin> skin, QWidget* parent = nullptr);
    ~WindowView() override;

    Window& Model() { return window_; }
    const DialogUnits& Units() const { return units_; }
    // The widget of control `id`, or null.
    QWidget* ControlWidget(int id) const;
    // The template size of the window, in pixels.
    QSize TemplateSize() const;
    // Where control `id` sits by its table rectangle, in pixels.
    QRect TableRect(int id) const;

    // Runs after the window has opened (its widgets built) and after it has
    // closed: the owner shows and hides the view.
    void SetOnOpened(std::function<void()> f) { onOpened_ = std::move(f); }
    void SetOnClosed(std::function<void()> f) { onClosed_ = std::move(f); }
    // Runs after a file choice was answered with `path` (and the model has
    // taken it).
    void SetOnFileAnswered(std::function<void(const QString& path)> f) {
        onFileAnswered_ = std::move(f);
    }

    // Builds the widgets from the table (the window may already be open).
    void Build();
    // The model is being destroyed: hide, and never touch it again.
    void Detach();

    // WindowObserver
    void OnControlChanged(Window& window, int id, ControlChange what) override;
    void OnOpened(Window& window) override;
    void OnClosed(Window& window) override;
    void OnRequest(Window& window, WindowRequest request) override;
    // A page window inside the main window follows its model's placement
    // (pixels of the parent's client area).
    void OnPlacementChanged(Window& window) override;
    // Answered with a file dialog, modal to this window only.
    void OnFileChoice(Window& window) override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* MakeWidget(const Control& control);
    void Connect(QWidget* widget, int id);
    // Brings one aspect of a control's widget (or all of them) in step.
    void Sync(std::size_t index, std::optional<ControlChange> what = std::nullopt);
    void SyncId(int id);
    void ApplyPlacement();
    void ForwardClick(int id);
    // The model's point for a press at `pixel`: presses on a control the skin
    // placed away from its template rectangle land in that rectangle.
    Point ModelPoint(QPoint pixel) const;

    Window& window_;
    std::unique_ptr<Skin> skin_;
    DialogUnits units_;
    std::vector<QPointer<QWidget>> widgets_;  // in table order
    std::map<int, std::size_t> index_;        // control id -> table order
    std::function<void()> onOpened_;
    std::function<void()> onClosed_;
    std::function<void(const QString&)> onFileAnswered_;
    // A drag the window carries out itself: where the button went down
    // (screen) and where the window was then.
    struct Drag {
        QPoint pressAt;
        QPoint windowAt;
    };
    std::optional<QPoint> pressAt_;  // during a press's handling only
    std::optional<Drag> drag_;
    bool syncing_ = false;
    bool detached_ = false;
};

}  // namespace torvane::gui
