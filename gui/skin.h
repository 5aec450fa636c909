#pragma once
// A window's own look on top of the generic rendering of its controls: what
// it paints under them, the controls it places or draws itself, their colours,
// and what the window system's close command means for it. Windows without a
// look of their own use this base, which changes nothing.

#include <QColor>

#include "ui/control_table.h"

class QPainter;
class QWidget;

namespace torvane::gui {

class WindowView;

// The skin palette.
inline const QColor kHeaderBlue(30, 144, 225);
inline const QColor kHeaderEdgeBlue(30, 120, 255);
inline const QColor kSeparatorBlue(30, 120, 200);
inline const QColor kFrameGray(128, 128, 128);

class Skin {
  public:
    virtual ~Skin() = default;
    // A widget for a control this look draws itself, or null for the
    // generic one.
    virtual QWidget* MakeControl(WindowView& /*view*/, const Control& /*control*/) {
        return nullptr;
    }
    // Whether this look decides where control `id` sits (instead of its
    // template rectangle).
    virtual bool Places(int /*id*/) const { return false; }
    // Moves the controls this look places; runs whenever the layout may have
    // changed.
    virtual void Place(WindowView& /*view*/) {}
    // Composes the whole client area; false leaves the default background.
    virtual bool Paint(WindowView& /*view*/, QPainter& /*painter*/) { return false; }
    // Colours of control `id`, after each change of it.
    virtual void Style(WindowView& /*view*/, int /*id*/, QWidget* /*widget*/) {}
    // The window system asks the window to close (Alt+F4, a window manager).
    virtual void OnSystemClose(WindowView& /*view*/) {}
};

}  // namespace torvane::gui
