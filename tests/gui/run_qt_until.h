#pragma once
// Runs the Qt event loop until `done()` holds or `ms` of real time have passed.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

namespace torvane::gui {

inline bool RunQtUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop wait;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= ms) wait.quit();
    });
    poll.start();
    wait.exec();
    return done();
}

}  // namespace torvane::gui
