#pragma once
// A title button of a header band (Close, Minimize): flat, header blue in
// every state, its active icon while the mouse is over it or it is pressed,
// its idle icon otherwise.

#include <QAbstractButton>

namespace torvane::gui {

class TitleButton : public QAbstractButton {
  public:
    TitleButton(int activeIcon, int idleIcon, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {25, 25}; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    int activeIcon_;
    int idleIcon_;
    bool hovering_ = false;
};

}  // namespace torvane::gui
