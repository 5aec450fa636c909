#pragma once
// Bringing a control's widget in step with its row of the control table, one
// aspect at a time: where it sits, what it shows, its text colour and its
// state. Each touches the widget only where it differs from the table, so an
// open drop-down or a caret is left alone.

#include <QPalette>
#include <QRect>
#include <QWidget>
#include <optional>

#include "gui/dialog_units.h"
#include "ui/control_table.h"

namespace torvane::gui {

// The aspects one sync covers: a single change, or all of them.
class SyncAspects {
  public:
    explicit SyncAspects(std::optional<ControlChange> only) : only_(only) {}
    bool operator()(ControlChange change) const { return !only_ || *only_ == change; }

  private:
    std::optional<ControlChange> only_;
};

// Where the widget goes, in pixels: the template rectangle, but a picture
// takes its bitmap's size, a drop-down list its closed height (the template's
// includes the dropped list) and an etched line two pixels.
QRect ControlGeometry(const Control& control, const QWidget& widget, const DialogUnits& units);

// Caption, check mark, picture, items and selection, text or progress,
// whichever the widget has.
void SyncContent(const Control& control, QWidget& widget, SyncAspects wants);

// The table's text colour on an enabled control; otherwise, and for a disabled
// one, the window's own colours (`defaults`), so it keeps the disabled look.
void SyncTextColour(const Control& control, QWidget& widget, const QPalette& defaults);

// Enabled, tooltip and visible (visibility as seen inside `window`).
void SyncState(const Control& control, QWidget& widget, const QWidget& window, SyncAspects wants);

}  // namespace torvane::gui
