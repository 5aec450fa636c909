#pragma once
// The looks of the small dialogs: the message dialog and the network
// configuration dialog (white start, frame, blue header band with its Close
// button), the busy dialog (white body, blue frame), and the plain look of
// the About box. The window system's close command ends each run as the
// dialog's own close does.

#include <QFont>
#include <QRect>
#include <memory>

#include "gui/skin.h"
#include "ui/message_dlg.h"

namespace torvane::gui {

// Any modal dialog: closing by the window system ends its run.
class DialogSkin : public Skin {
  public:
    void OnSystemClose(WindowView& view) override;
};

// A dialog with a header band and a Close button `closeId` at its right end.
class HeaderDialogSkin : public DialogSkin {
  public:
    explicit HeaderDialogSkin(int closeId) : closeId_(closeId) {}
    QWidget* MakeControl(WindowView& view, const Control& control) override;
    bool Places(int id) const override { return id == closeId_; }
    void Place(WindowView& view) override;

  protected:
    // White start, outline in frame gray at `frameAlpha`, band rows 1 to 25.
    void PaintBand(WindowView& view, QPainter& g, int frameAlpha) const;

  private:
    int closeId_;
};

class MessageSkin : public HeaderDialogSkin {
  public:
    explicit MessageSkin(CMessageDlg& dlg);
    bool Places(int id) const override;
    // The picture, in pixels as the layout gives it, and the dialog's width:
    // wide enough for the text's box.
    void Place(WindowView& view) override;
    bool Paint(WindowView& view, QPainter& g) override;
    // Where the message text is drawn (pixels) in a dialog `width` wide:
    // the layout's own box, or for any other text the widest the dialog
    // allows, reaching past `width` when the text needs it.
    static QRect TextRect(const std::string& text, int width);
    // The font the text is drawn in.
    static QFont TextFont();

  private:
    CMessageDlg& dlg_;
};

class NetworkConfigSkin : public HeaderDialogSkin {
  public:
    explicit NetworkConfigSkin(int closeId) : HeaderDialogSkin(closeId) {}
    bool Paint(WindowView& view, QPainter& g) override;
};

class BusySkin : public DialogSkin {
  public:
    bool Paint(WindowView& view, QPainter& g) override;
};

}  // namespace torvane::gui
