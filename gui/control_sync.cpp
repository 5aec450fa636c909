#include "gui/control_sync.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>

#include "gui/pictures.h"

namespace torvane::gui {
namespace {

QStringList ItemsOf(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) items << box.itemText(i);
    return items;
}

void SyncButton(const Control& c, QAbstractButton& button, SyncAspects wants) {
    const QString text = QString::fromStdString(c.text);
    if (wants(ControlChange::kText) && button.text() != text) button.setText(text);
    if (!wants(ControlChange::kChecked)) return;
    const bool checkable = c.kind == ControlKind::kCheckBox || c.kind == ControlKind::kRadioButton;
    button.setCheckable(checkable);
    if (checkable && button.isChecked() != c.checked) button.setChecked(c.checked);
}

void SyncGroupBox(const Control& c, QGroupBox& group, SyncAspects wants) {
    const QString text = QString::fromStdString(c.text);
    if (wants(ControlChange::kText) && group.title() != text) group.setTitle(text);
}

void SyncLabel(const Control& c, QLabel& label, SyncAspects wants) {
    if (c.kind == ControlKind::kPicture) {
        const QPixmap& pixmap = Picture(c.image);
        if (wants(ControlChange::kImage) && label.pixmap().cacheKey() != pixmap.cacheKey())
            label.setPixmap(pixmap);
        return;
    }
    const QString text = QString::fromStdString(c.text);
    if (wants(ControlChange::kText) && label.text() != text) label.setText(text);
}

void SyncComboBox(const Control& c, QComboBox& box, SyncAspects wants) {
    if (wants(ControlChange::kItems)) {
        QStringList items;
        for (const auto& item : c.items) items << QString::fromStdString(item);
        // An unchanged list is left alone, so an open drop-down stays open.
        if (ItemsOf(box) != items) {
            box.clear();
            box.addItems(items);
        }
    }
    if ((wants(ControlChange::kItems) || wants(ControlChange::kSelection)) &&
        box.currentIndex() != c.selection)
        box.setCurrentIndex(c.selection);
}

void SyncLineEdit(const Control& c, QLineEdit& line, SyncAspects wants) {
    const QString text = QString::fromStdString(c.text);
    if (wants(ControlChange::kText) && line.text() != text) line.setText(text);
}

void SyncPlainTextEdit(const Control& c, QPlainTextEdit& edit, SyncAspects wants) {
    const QString text = QString::fromStdString(c.text);
    if (!wants(ControlChange::kText) || edit.toPlainText() == text) return;
    edit.setPlainText(text);
    if (c.style & kAutoVScroll)
        edit.verticalScrollBar()->setValue(edit.verticalScrollBar()->maximum());
}

void SyncProgressBar(const Control& c, QProgressBar& bar, SyncAspects wants) {
    if (!wants(ControlChange::kProgress)) return;
    bar.setRange(c.rangeMin, c.rangeMax);
    bar.setValue(c.position);
}

}  // namespace

QRect ControlGeometry(const Control& c, const QWidget& w, const DialogUnits& units) {
    QRect r = units.ToPixels(c.rect);
    if (c.kind == ControlKind::kPicture) {
        const QPixmap& pixmap = Picture(c.image);
        r.setSize(pixmap.isNull() ? QSize(c.rect.width, c.rect.height) : pixmap.size());
    } else if (c.kind == ControlKind::kDropDownList) {
        r.setHeight(w.sizeHint().height());
    } else if (c.kind == ControlKind::kEtchedLine) {
        r.setHeight(2);
    }
    return r;
}

void SyncContent(const Control& c, QWidget& w, SyncAspects wants) {
    if (auto* button = qobject_cast<QAbstractButton*>(&w))
        SyncButton(c, *button, wants);
    else if (auto* group = qobject_cast<QGroupBox*>(&w))
        SyncGroupBox(c, *group, wants);
    else if (auto* label = qobject_cast<QLabel*>(&w))
        SyncLabel(c, *label, wants);
    else if (auto* box = qobject_cast<QComboBox*>(&w))
        SyncComboBox(c, *box, wants);
    else if (auto* line = qobject_cast<QLineEdit*>(&w))
        SyncLineEdit(c, *line, wants);
    else if (auto* edit = qobject_cast<QPlainTextEdit*>(&w))
        SyncPlainTextEdit(c, *edit, wants);
    else if (auto* bar = qobject_cast<QProgressBar*>(&w))
        SyncProgressBar(c, *bar, wants);
}

void SyncTextColour(const Control& c, QWidget& w, const QPalette& defaults) {
    QPalette palette = w.palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (QPalette::ColorRole role :
             {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
            const bool own = c.textColor && group != QPalette::Disabled;
            palette.setColor(group, role,
                             own ? QColor(c.textColor->r, c.textColor->g, c.textColor->b)
                                 : defaults.color(group, role));
        }
    w.setPalette(palette);
}

void SyncState(const Control& c, QWidget& w, const QWidget& window, SyncAspects wants) {
    if (wants(ControlChange::kEnabled) && w.isEnabled() != c.enabled) w.setEnabled(c.enabled);
    const QString tip = QString::fromStdString(c.tooltip);
    if (wants(ControlChange::kTooltip) && w.toolTip() != tip) w.setToolTip(tip);
    if (wants(ControlChange::kVisible) && w.isVisibleTo(&window) != c.visible)
        w.setVisible(c.visible);
}

}  // namespace torvane::gui
