#include "gui/control_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "gui/button_st.h"

namespace torvane::gui {
namespace {

QWidget* MakePushButton(const Control& c, QWidget* parent) {
    if (c.image == 0) return new QPushButton(parent);
    // A button that shows a picture draws itself, raised, with it.
    QWidget* button = MakeIconButton(c.image);
    button->setParent(parent);
    return button;
}

QWidget* MakeCheckBox(const Control& c, QWidget* parent) {
    if (c.style & kPushLike) return new QPushButton(parent);
    return new QCheckBox(parent);
}

QWidget* MakeRadioButton(QWidget* parent) {
    auto* radio = new QRadioButton(parent);
    // The model checks and unchecks the group.
    radio->setAutoExclusive(false);
    return radio;
}

QWidget* MakeGroupBox(QWidget* parent) {
    auto* group = new QGroupBox(parent);
    // Presses on a group box reach the window body, as the system's do.
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
    return group;
}

QWidget* MakeLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* MakeMultiLineEdit(const Control& c, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(c.style & kReadOnly);
    edit->setVerticalScrollBarPolicy((c.style & kVerticalScroll) ? Qt::ScrollBarAlwaysOn
                                                                 : Qt::ScrollBarAsNeeded);
    return edit;
}

QWidget* MakeLineEdit(const Control& c, QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setReadOnly(c.style & kReadOnly);
    if (c.textLimit > 0) line->setMaxLength(c.textLimit);
    return line;
}

QWidget* MakeEtchedLine(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameShape(QFrame::HLine);
    frame->setFrameShadow(QFrame::Sunken);
    return frame;
}

QWidget* MakeProgressBar(QWidget* parent) {
    // The percentage beside the bar; an empty range draws a bar that moves
    // without an end (a wait of unknown length).
    auto* bar = new QProgressBar(parent);
    bar->setTextVisible(true);
    bar->setFormat(QStringLiteral("%p%"));
    return bar;
}

}  // namespace

QWidget* MakeControlWidget(const Control& c, QWidget* parent) {
    switch (c.kind) {
        case ControlKind::kPushButton:
            return MakePushButton(c, parent);
        case ControlKind::kCheckBox:
            return MakeCheckBox(c, parent);
        case ControlKind::kRadioButton:
            return MakeRadioButton(parent);
        case ControlKind::kGroupBox:
            return MakeGroupBox(parent);
        case ControlKind::kLabel:
        case ControlKind::kPicture:
            return MakeLabel(parent);
        case ControlKind::kDropDownList:
            return new QComboBox(parent);
        case ControlKind::kMultiLineEdit:
            return MakeMultiLineEdit(c, parent);
        case ControlKind::kEdit:
            return MakeLineEdit(c, parent);
        case ControlKind::kEtchedLine:
            return MakeEtchedLine(parent);
        case ControlKind::kProgressBar:
            return MakeProgressBar(parent);
    }
    return nullptr;
}

}  // namespace torvane::gui
