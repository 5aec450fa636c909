#include "gui/window_view.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QWindow>

#include "gui/control_sync.h"
#include "gui/control_widgets.h"
#include "gui/file_filter.h"

namespace torvane::gui {
namespace {

int KeyCode(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        case Qt::Key_Escape:
            return kKeyEscape;
        case Qt::Key_Space:
            return kKeySpace;
        default:
            return 0;
    }
}

}  // namespace

WindowView::WindowView(Window& window, std::unique_ptr<Skin> skin, QWidget* parent)
    : QWidget(parent),
      window_(window),
      skin_(skin ? std::move(skin) : std::make_unique<Skin>()),
      units_(TemplateUnits(window.Template())) {
    setFont(TemplateFont(window.Template()));
    setFocusPolicy(Qt::StrongFocus);
    installEventFilter(this);
    window_.AddObserver(this);
    resize(TemplateSize());
}

WindowView::~WindowView() {
    if (!detached_) window_.RemoveObserver(this);
}

void WindowView::Detach() {
    detached_ = true;
    hide();
}

QSize WindowView::TemplateSize() const {
    return {units_.X(window_.Template().width), units_.Y(window_.Template().height)};
}

QWidget* WindowView::ControlWidget(int id) const {
    auto it = index_.find(id);
    return it == index_.end() ? nullptr : widgets_[it->second].data();
}

QRect WindowView::TableRect(int id) const {
    const Control* c = window_.Controls().Find(id);
    return c ? units_.ToPixels(c->rect) : QRect();
}

void WindowView::Build() {
    const auto& controls = window_.Controls().All();
    // A dialog opened again keeps its widgets: the template is the same, and
    // a widget may be the one whose click is being handled right now.
    bool same = widgets_.size() == controls.size();
    for (std::size_t i = 0; same && i < controls.size(); ++i) {
        auto it = index_.find(controls[i].id);
        same = widgets_[i] &&
               (controls[i].id == kNoControlId || (it != index_.end() && it->second == i));
    }
    if (!same) {
        for (auto& w : widgets_)
            if (w) {
                w->hide();
                w->deleteLater();
            }
        widgets_.clear();
        index_.clear();
        for (std::size_t i = 0; i < controls.size(); ++i) {
            QWidget* w = MakeWidget(controls[i]);
            widgets_.emplace_back(w);
            index_[controls[i].id] = i;
            if (!w) continue;
            w->installEventFilter(this);
            Connect(w, controls[i].id);
        }
        // Group boxes lie under the controls they frame.
        for (auto& w : widgets_)
            if (qobject_cast<QGroupBox*>(w)) w->lower();
    }
    for (std::size_t i = 0; i < controls.size(); ++i) Sync(i);
    skin_->Place(*this);
    ApplyPlacement();
    update();
}

QWidget* WindowView::MakeWidget(const Control& c) {
    if (QWidget* custom = skin_->MakeControl(*this, c)) {
        custom->setParent(this);
        return custom;
    }
    return MakeControlWidget(c, this);
}

void WindowView::Connect(QWidget* w, int id) {
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { ForwardClick(id); });
    } else if (auto* box = qobject_cast<QComboBox*>(w)) {
        connect(box, &QComboBox::activated, this, [this, id](int index) {
            window_.Select(id, index);
            SyncId(id);
        });
    } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
        connect(line, &QLineEdit::textEdited, this, [this, id](const QString& text) {
            window_.EditText(id, text.toStdString());
            SyncId(id);  // the model may refuse or cut what was typed
        });
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) {
        connect(edit, &QPlainTextEdit::textChanged, this, [this, id, edit] {
            if (!syncing_) window_.EditText(id, edit->toPlainText().toStdString());
        });
    }
}

void WindowView::ForwardClick(int id) {
    window_.Click(id);
    // A box or radio shows what the model holds, not what the click did to
    // the widget: commanding boxes put their state back at once.
    SyncId(id);
}

void WindowView::SyncId(int id) {
    auto it = index_.find(id);
    if (it != index_.end()) Sync(it->second);
}

void WindowView::Sync(std::size_t index, std::optional<ControlChange> what) {
    const auto& controls = window_.Controls().All();
    if (index >= controls.size() || index >= widgets_.size() || !widgets_[index]) return;
    const Control& c = controls[index];
    QWidget& w = *widgets_[index];
    const SyncAspects wants(what);
    syncing_ = true;
    if ((wants(ControlChange::kMoved) || wants(ControlChange::kImage)) && !skin_->Places(c.id)) {
        const QRect r = ControlGeometry(c, w, units_);
        if (w.geometry() != r) w.setGeometry(r);
    }
    SyncContent(c, w, wants);
    if (wants(ControlChange::kTextColor)) SyncTextColour(c, w, palette());
    SyncState(c, w, *this, wants);
    syncing_ = false;
    skin_->Style(*this, c.id, &w);
}

void WindowView::OnControlChanged(Window&, int id, ControlChange what) {
    if (id == kWindowTextId) {
        // A look may lay the window out by its text.
        skin_->Place(*this);
        update();
        return;
    }
    auto it = index_.find(id);
    if (it != index_.end()) Sync(it->second, what);
    if (skin_->Places(id)) skin_->Place(*this);
}

void WindowView::OnPlacementChanged(Window&) { ApplyPlacement(); }

void WindowView::ApplyPlacement() {
    // Top-level windows (the main window, dialogs) are shown by their owner.
    if (isWindow()) return;
    const Point at = window_.WindowPosition();
    move(at.x, at.y);
    const bool shown = window_.IsOpen() && window_.WindowVisible();
    setVisible(shown);
    // Over the main window's own controls, which are hidden meanwhile.
    if (shown) raise();
}

void WindowView::OnFileChoice(Window&) {
    const auto& choice = window_.PendingFileChoice();
    if (!choice) return;
    auto* dialog = new QFileDialog(window(), QString::fromStdString(choice->title), QString(),
                                   FileDialogFilter(choice->filter));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<WindowView> self(this);
    connect(dialog, &QFileDialog::fileSelected, this, [self](const QString& path) {
        if (!self || self->detached_) return;
        self->window_.AnswerFileChoice(path.toStdString());
        if (self && !self->detached_ && self->onFileAnswered_) self->onFileAnswered_(path);
    });
    connect(dialog, &QDialog::rejected, this, [self] {
        if (self && !self->detached_) self->window_.AnswerFileChoice(std::nullopt);
    });
    dialog->open();
}

void WindowView::OnOpened(Window&) {
    Build();
    if (onOpened_) onOpened_();
}

void WindowView::OnClosed(Window&) {
    ApplyPlacement();
    if (onClosed_) onClosed_();
}

void WindowView::OnRequest(Window&, WindowRequest request) {
    switch (request) {
        case WindowRequest::kStartMove: {
            // The window manager moves the window where it can; without one
            // (or offscreen) the window follows the held button itself.
            QWindow* handle = window()->windowHandle();
            if (handle && handle->startSystemMove()) break;
            if (!pressAt_) break;
            drag_ = Drag{*pressAt_, window()->pos()};
            break;
        }
        case WindowRequest::kMinimize:
            window()->showMinimized();
            break;
        case WindowRequest::kRepaint:
            for (const auto& [id, index] : index_) skin_->Style(*this, id, widgets_[index]);
            update();
            break;
    }
}

void WindowView::paintEvent(QPaintEvent*) {
    if (detached_) return;
    // The look is composed off-screen and reaches the screen in one copy.
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    QPainter off(&image);
    if (!skin_->Paint(*this, off)) return;
    off.end();
    QPainter(this).drawImage(0, 0, image);
}

Point WindowView::ModelPoint(QPoint pixel) const {
    QWidget* hit = childAt(pixel);
    for (const auto& [id, index] : index_) {
        if (!skin_->Places(id) || !widgets_[index]) continue;
        const QRect table = TableRect(id);
        if (hit && hit == widgets_[index].data()) {
            const QPoint inside = pixel - hit->pos();
            return units_.ToUnits(table.topLeft() + inside);
        }
        // The template rectangle of a control drawn elsewhere is empty body.
        if (table.contains(pixel)) return {-1, -1};
    }
    return units_.ToUnits(pixel);
}

void WindowView::mousePressEvent(QMouseEvent* event) {
    if (detached_ || event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressAt_ = event->globalPosition().toPoint();
    window_.PressAt(ModelPoint(event->position().toPoint()));
    pressAt_.reset();
}

void WindowView::mouseMoveEvent(QMouseEvent* event) {
    if (!drag_ || !(event->buttons() & Qt::LeftButton)) {
        drag_.reset();
        return QWidget::mouseMoveEvent(event);
    }
    window()->move(drag_->windowAt + event->globalPosition().toPoint() - drag_->pressAt);
}

void WindowView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) drag_.reset();
    QWidget::mouseReleaseEvent(event);
}

void WindowView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    skin_->Place(*this);
}

void WindowView::closeEvent(QCloseEvent* event) {
    // The model decides what closing means; the window goes when it says so.
    event->ignore();
    if (!detached_) skin_->OnSystemClose(*this);
}

bool WindowView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !detached_) {
        const int key = KeyCode(static_cast<QKeyEvent*>(event)->key());
        if (key == 0) return QWidget::eventFilter(watched, event);
        if (KeyFilterDiscards(window_.Filter(), key)) return true;
        // Space goes on to the focused control, which it presses.
        if (key == kKeySpace) return QWidget::eventFilter(watched, event);
        window_.KeyDown(key);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace torvane::gui
