#pragma once
// The Qt widget that stands for each kind of control of a dialog template.

#include <QWidget>

#include "ui/control_table.h"

namespace torvane::gui {

// A new widget for `control`, child of `parent`, or null for a kind the
// front-end has no widget for.
QWidget* MakeControlWidget(const Control& control, QWidget* parent);

}  // namespace torvane::gui
