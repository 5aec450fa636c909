#pragma once
// `torvane --demo --screenshots DIR`: connects to the demo switcher, visits
// each page and opens each dialog the way an operator would (clicks on the
// rendered widgets), and writes each window as painted into DIR. Runs on the
// event loop in small steps; nothing waits by blocking.

#include <QString>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "gui/front_end.h"

namespace torvane::gui {

// Presses and releases the left button in the middle of `widget`.
void ClickWidget(QWidget* widget);

class ScreenshotTour {
  public:
    // `done` gets the exit code: 0 when every picture was written.
    ScreenshotTour(FrontEnd& front, QString directory, std::function<void(int)> done);
    void Start();

  private:
    // A step is polled until it returns true.
    using Step = std::function<bool()>;
    void Add(Step step) { steps_.push_back(std::move(step)); }
    void Do(std::function<void()> action);
    void WaitUntil(std::function<bool()> condition);
    void Save(const char* name, std::function<QWidget*()> which);
    void Click(int id);
    void VisitPage(int labelId, const char* picture);
    void Tick();
    bool Settled() const;

    FrontEnd& front_;
    QString directory_;
    std::function<void(int)> done_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    qint64 stepStarted_ = 0;
    QTimer timer_;
};

}  // namespace torvane::gui
