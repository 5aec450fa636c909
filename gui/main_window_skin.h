#pragma once
// The main window's look: the frame, the blue header band with its edges,
// the title and the separators between the page labels, the device frame
// around the General page's connection states, the page labels as tabs
// (the active one in the body colour, joined to the body), and the title
// buttons at the band's right end.

#include <QFont>

#include "app/torvane_dlg.h"
#include "gui/skin.h"

namespace torvane::gui {

class MainWindowSkin : public Skin {
  public:
    explicit MainWindowSkin(CTorvaneDlg& dlg);

    QWidget* MakeControl(WindowView& view, const Control& control) override;
    bool Places(int id) const override;
    void Place(WindowView& view) override;
    bool Paint(WindowView& view, QPainter& painter) override;
    void Style(WindowView& view, int id, QWidget* widget) override;
    void OnSystemClose(WindowView& view) override;

    // Arial, 16 pixels, bold: the title and the page labels.
    static QFont HeaderFont();

  private:
    QSize LabelSize(WindowView& view) const;

    CTorvaneDlg& dlg_;
};

}  // namespace torvane::gui
