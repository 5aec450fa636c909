// The window on a real X display: with a window manager, the modal dialogs
// are transient for the main window and stay above it when the operator
// clicks the main window; without one, on a screen too small for the window
// at twice the scale, the window's header and its Close and Minimize buttons
// stay on the screen, and a drag on the header moves the window.

#include <gtest/gtest.h>

#include <QProcess>
#include <QScreen>

#include "../demo_rig.h"

namespace torvane::gui {
namespace {

QString RunProgram(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

QString Hex(WId id) { return QStringLiteral("0x%1").arg(id, 0, 16); }

// The window a client window is transient for, as the X server holds it.
QString TransientFor(QWidget* w) {
    const QString out = RunProgram("xprop", {"-id", Hex(w->winId()), "WM_TRANSIENT_FOR"});
    const int at = out.indexOf("0x");
    return at < 0 ? QString() : out.mid(at).trimmed();
}

// The managed client windows, bottom to top.
QStringList Stacking() {
    const QString out = RunProgram("xprop", {"-root", "_NET_CLIENT_LIST_STACKING"});
    QStringList ids;
    for (const QString& part : out.mid(out.indexOf('#') + 1).split(',', Qt::SkipEmptyParts))
        ids << part.trimmed();
    return ids;
}

bool Exposed(QWidget* w) { return w->windowHandle() && w->windowHandle()->isExposed(); }

class WithWindowManager : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rig.Started());
        ASSERT_TRUE(rig.RunUntil([&] { return Exposed(&rig.Front().MainView()); }));
    }
    DemoRig rig;
};

TEST_F(WithWindowManager, ModalDialogsAreTransientForTheMainWindowAndStayAboveIt) {
    WindowView& main = rig.Front().MainView();
    const QString owner = Hex(main.winId());
    struct Dialog {
        const char* name;
        WindowView& view;
        std::function<void()> open;
        std::function<void()> close;
    };
    CTorvaneDlg& dlg = rig.Dlg();
    const Dialog dialogs[] = {
        {"message", rig.Front().MessageView(), [&] { dlg.Message().ShowMessage("Time out!"); },
         [&] { dlg.Message().Click(CMessageDlg::kOkButton); }},
        {"busy", rig.Front().BusyView(), [&] { dlg.Busy().ShowBusy("Setting"); },
         [&] { dlg.Busy().CloseBusy(); }},
    };
    for (const Dialog& d : dialogs) {
        SCOPED_TRACE(d.name);
        d.open();
        ASSERT_TRUE(rig.RunUntil([&] { return Exposed(&d.view); }));
        EXPECT_EQ(TransientFor(&d.view), owner);

        // The operator clicks the main window beside the dialog.
        const QPoint beside = main.mapToGlobal(QPoint(20, main.height() - 20));
        RunProgram("xdotool", {"mousemove", QString::number(beside.x()),
                               QString::number(beside.y()), "click", "1"});
        rig.RunUntil([] { return false; }, 300);
        const QStringList stacking = Stacking();
        const QString dialog = Hex(d.view.winId());
        ASSERT_TRUE(stacking.contains(owner) && stacking.contains(dialog))
            << stacking.join(' ').toStdString();
        EXPECT_GT(stacking.indexOf(dialog), stacking.indexOf(owner))
            << "the dialog is still on top: " << stacking.join(' ').toStdString();
        d.close();
        rig.RunUntil([&] { return !d.view.isVisible(); }, 2000);
    }
    // The network configuration dialog is made the same way.
    EXPECT_EQ(rig.Front().NetworkConfigView().windowType(), Qt::Dialog);
    EXPECT_EQ(rig.Front().NetworkConfigView().parentWidget(), &main);
}

// Twice the scale on a 1280 x 1024 screen: the window keeps its header and its
// title buttons on the screen.
TEST(WithoutWindowManager, TheWindowKeepsItsHeaderOnAScreenTooSmallForIt) {
    ASSERT_EQ(qgetenv("QT_SCALE_FACTOR"), "2");
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    WindowView& main = rig.Front().MainView();
    ASSERT_TRUE(rig.RunUntil([&] { return Exposed(&main); }));
    const QRect screen = main.screen()->availableGeometry();
    for (int id : {res::kCloseButton, res::kMinimizeButton}) {
        QWidget* button = rig.Main(id);
        const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_TRUE(screen.contains(onScreen)) << id;
    }
    const QRect frame = main.frameGeometry();
    EXPECT_GE(frame.top(), screen.top());
    if (frame.width() <= screen.width()) {
        EXPECT_TRUE(screen.contains(frame));
    }
    // A dialog opened over it lies on the screen whole.
    rig.Dlg().Message().ShowMessage("Time out!");
    ASSERT_TRUE(rig.RunUntil([&] { return Exposed(&rig.Front().MessageView()); }));
    EXPECT_TRUE(screen.contains(rig.Front().MessageView().frameGeometry()));
    rig.Dlg().Message().Click(CMessageDlg::kOkButton);
}

// No window manager moves the window: a drag on the header moves it all the
// same.
TEST(WithoutWindowManager, TheHeaderDragsTheWindow) {
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    WindowView& main = rig.Front().MainView();
    ASSERT_TRUE(rig.RunUntil([&] { return Exposed(&main); }));
    const QPoint before = main.pos();
    // xdotool speaks the screen's pixels, the window its scaled ones.
    const qreal scale = main.devicePixelRatioF();
    auto pixel = [scale](QPoint p) {
        return QStringList{QString::number(qRound(p.x() * scale)),
                           QString::number(qRound(p.y() * scale))};
    };
    const QPoint grip = main.mapToGlobal(QPoint(main.width() / 2 + 40, 10));
    RunProgram("xdotool", QStringList{"mousemove"} + pixel(grip) + QStringList{"mousedown", "1"});
    rig.RunUntil([] { return false; }, 200);
    RunProgram("xdotool", QStringList{"mousemove"} + pixel(grip + QPoint(15, 10)));
    rig.RunUntil([] { return false; }, 200);
    RunProgram("xdotool", {"mouseup", "1"});
    EXPECT_TRUE(rig.RunUntil([&] { return main.pos() == before + QPoint(15, 10); }, 2000))
        << main.pos().x() << "," << main.pos().y();
}

}  // namespace
}  // namespace torvane::gui
