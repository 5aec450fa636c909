#pragma once
// A push button that draws itself: its face in one of six state colours, an
// edge (raised, or for a flat button only while the mouse is over it), an
// active and an idle icon, a caption and a focus mark. A flat button follows
// the mouse to show its hover state. The program's title buttons are flat,
// borderless and header blue in every state; the Matrix page's step buttons
// are raised with one triangle icon.

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <array>

namespace torvane::gui {

class CButtonST : public QAbstractButton {
  public:
    // Status numbers of the Assign operations.
    static constexpr int kDone = 0;
    static constexpr int kInvalidResource = 1;
    static constexpr int kInvalidIndex = 3;

    // Indexes of the state colours.
    enum ColourIndex {
        kActiveBackground = 0,  // hovered or pressed
        kActiveText = 1,
        kIdleBackground = 2,
        kIdleText = 3,
        kFocusBackground = 4,  // focused, neither hovered nor pressed
        kFocusText = 5,
    };
    // An idle icon id that asks for a gray copy of the active icon.
    static constexpr int kGrayIdleIcon = -2;

    explicit CButtonST(QWidget* parent = nullptr);

    // Icons by picture id; an idle id of 0 means one icon for every state.
    int AssignIcons(int activeId, int idleId);
    int AssignColor(int index, const QColor& colour, bool repaint);
    void AssignDefaultColors(bool repaint);
    int UseFlatStyle(bool flat, bool repaint);
    int UseBorder(bool draw, bool repaint);
    void AssignTooltip(const QString& text, bool activate);

    // A button that stays pressed while checked; the program's own buttons
    // leave it off.
    void SetCheckBoxMode(bool on);
    void SetCheck(int value);
    int GetCheck() const { return checkState_; }

    QColor Colour(int index) const { return colours_[static_cast<std::size_t>(index)]; }
    bool Flat() const { return flat_; }
    bool Hovering() const { return hovering_; }
    // The icon the face shows now, or null.
    const QPixmap* ShownIcon() const;
    // Where the face draws that icon (top-left, in the button).
    QPoint IconPosition() const;

    QSize sizeHint() const override { return {25, 25}; }

  protected:
    // The face and the edge of a flat button; overridable looks.
    virtual void PaintBackground(QPainter& g, const QRect& r);
    virtual void PaintBorder(QPainter& g, const QRect& r);

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct Icon {
        QPixmap image;
        bool held() const { return !image.isNull(); }
    };
    bool Pressed() const;
    // The parts of the face, drawn in this order.
    void PaintEdge(QPainter& g, const QRect& r);
    void PaintRaisedEdge(QPainter& g, const QRect& r);
    // Returns where the caption goes: beside the icon, or the whole button.
    QRect PaintIcon(QPainter& g);
    void PaintCaption(QPainter& g, QRect caption);
    void CancelHover();
    void OnOwnClick();
    void Repaint(bool repaint) {
        if (repaint) update();
    }

    bool flat_ = true;
    bool hovering_ = false;
    bool checkBoxMode_ = false;
    bool drawBorder_ = true;
    bool tooltipActive_ = false;
    int checkState_ = 0;
    std::array<QColor, 6> colours_;
    std::array<Icon, 2> icons_;  // active, idle
};

// The looks the program gives its buttons.
// A Close or Minimize button of a header band.
CButtonST* MakeTitleButton(int activeIcon, int idleIcon, const QString& tooltip);
// A step button of the Matrix page (or any push button showing one icon).
CButtonST* MakeIconButton(int icon);

}  // namespace torvane::gui
