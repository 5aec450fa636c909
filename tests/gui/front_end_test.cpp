#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "demo_rig.h"

namespace torvane::gui {
namespace {

using res::kFirstInputLabel;
using res::kFirstOutputLabel;

class FrontEndTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(rig.Started()); }
    DemoRig rig;
};

TEST_F(FrontEndTest, ConnectedByTcpStatusFillsTheSixteenLabels) {
    for (int k = 0; k < 8; ++k) EXPECT_TRUE(rig.LabelText(kFirstInputLabel + k).isEmpty());
    rig.ConnectByTcp();
    DemoRig::Click(rig.Main(res::kStatusButton));
    ASSERT_TRUE(rig.RunUntil(
        [&] { return rig.Quiet() && !rig.LabelText(kFirstOutputLabel + 7).isEmpty(); }));
    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(rig.LabelText(kFirstInputLabel + k).isEmpty()) << k;
        EXPECT_FALSE(rig.LabelText(kFirstOutputLabel + k).isEmpty()) << k;
    }
    EXPECT_TRUE(rig.LabelText(kFirstInputLabel).startsWith("HDMI IN1"))
        << rig.LabelText(kFirstInputLabel).toStdString();
}

TEST_F(FrontEndTest, ConnectsThroughTheDemoPseudoTerminalChosenInThePortList) {
    rig.ConnectBySerial();
    // The power state query answered over the serial line shows in the box.
    auto* power = qobject_cast<QCheckBox*>(rig.Main(res::kPowerOnBox));
    EXPECT_TRUE(rig.RunUntil([&] { return power->isChecked() && rig.Quiet(); }));
}

TEST_F(FrontEndTest, PowerOffIsConfirmedWithTheMessageDialogsOk) {
    rig.ConnectByTcp();
    auto* power = qobject_cast<QCheckBox*>(rig.Main(res::kPowerOnBox));
    ASSERT_TRUE(rig.RunUntil([&] { return power->isChecked(); }));
    DemoRig::Click(power);
    // The box puts its mark back until the switcher confirms.
    EXPECT_TRUE(power->isChecked());
    WindowView& message = rig.Front().MessageView();
    ASSERT_TRUE(rig.RunUntil([&] { return message.isVisible(); }));
    EXPECT_EQ(rig.Dlg().Message().MessageText(), "Are you sure you want to power off?");
    EXPECT_EQ(message.windowModality(), Qt::WindowModal);
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));
    EXPECT_TRUE(rig.RunUntil([&] { return !power->isChecked() && rig.Quiet(); }));
    EXPECT_FALSE(message.isVisible());
}

TEST_F(FrontEndTest, APageLabelSwitchesPagesAndTheTabColours) {
    QWidget* matrix = rig.Main(res::kMatrixLabel);
    QWidget* general = rig.Main(res::kGeneralLabel);
    auto textColour = [](QWidget* w) { return w->palette().color(QPalette::WindowText); };
    EXPECT_EQ(textColour(general), QColor(Qt::black));
    EXPECT_EQ(textColour(matrix), QColor(Qt::white));
    // The skin draws the labels in the band, away from their template places.
    EXPECT_NE(matrix->geometry().topLeft(),
              rig.Front().MainView().TableRect(res::kMatrixLabel).topLeft());

    // Where the template put the label is empty header now: a press there
    // starts a move and switches nothing.
    WindowView& main = rig.Front().MainView();
    QTest::mouseClick(&main, Qt::LeftButton, Qt::NoModifier,
                      main.TableRect(res::kMatrixLabel).center());
    EXPECT_EQ(rig.Dlg().ActivePage(), PageCode::kGeneral);

    QTest::mouseClick(matrix, Qt::LeftButton);
    EXPECT_EQ(rig.Dlg().ActivePage(), PageCode::kMatrix);
    EXPECT_FALSE(rig.Main(res::kStatusButton)->isVisibleTo(&rig.Front().MainView()));
    EXPECT_EQ(textColour(matrix), QColor(Qt::black));
    EXPECT_EQ(textColour(general), QColor(Qt::white));
    // The page window shows under the header band, where the controller put it.
    WindowView* page = rig.Front().PageView(PageCode::kMatrix);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisibleTo(&rig.Front().MainView()));
    EXPECT_EQ(page->pos(), QPoint(1, 56));
    // Not connected: the page shows, then the link failure is reported.
    EXPECT_TRUE(rig.RunUntil([&] { return rig.Front().MessageView().isVisible(); }));
    EXPECT_EQ(rig.Dlg().Message().MessageText(), "Open COM failed!");
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));

    QTest::mouseClick(general, Qt::LeftButton);
    EXPECT_EQ(rig.Dlg().ActivePage(), PageCode::kGeneral);
    EXPECT_TRUE(rig.Main(res::kStatusButton)->isVisibleTo(&rig.Front().MainView()));
    EXPECT_FALSE(page->isVisibleTo(&rig.Front().MainView()));
}

TEST_F(FrontEndTest, MessageDialogPlacesOkAndCancelByMode) {
    struct Case {
        bool confirmation;
        const char* text;
        bool okLeftOfCancel;
        bool cancelShown;
        Point picture;
    };
    const Case cases[] = {
        {true, "Do you want to reset to factory settings?", true, true, {9, 60}},
        {false, "Are you sure you want to power off?", false, false, {9, 60}},
        {false, "Time out!", false, false, {26, 29}},
    };
    WindowView& view = rig.Front().MessageView();
    for (const auto& c : cases) {
        int result = 0;
        rig.Dlg().Message().Ask(c.text, c.confirmation, [&](int r) { result = r; });
        ASSERT_TRUE(view.isVisible()) << c.text;
        QWidget* ok = view.ControlWidget(CMessageDlg::kOkButton);
        QWidget* cancel = view.ControlWidget(CMessageDlg::kCancelButton);
        EXPECT_EQ(cancel->isVisible(), c.cancelShown) << c.text;
        EXPECT_EQ(ok->x() < cancel->x(), c.okLeftOfCancel) << c.text;
        EXPECT_EQ(ok->x(), view.Units().X(c.okLeftOfCancel ? 94 : 137)) << c.text;
        // The questions' place for the picture is in pixels; the others keep
        // the template's place, in dialog units.
        const QPoint picture =
            c.picture.x == 9 ? QPoint(c.picture.x, c.picture.y) : view.Units().ToPixels(c.picture);
        EXPECT_EQ(view.ControlWidget(CMessageDlg::kPicture)->pos(), picture) << c.text;
        // The Close button sits in the header band's right end.
        EXPECT_EQ(view.ControlWidget(CMessageDlg::kCloseButton)->geometry(),
                  QRect(view.width() - 26, 1, 25, 25));
        DemoRig::Click(c.cancelShown ? cancel : ok);
        EXPECT_EQ(result, c.cancelShown ? 2 : 1) << c.text;
        EXPECT_FALSE(view.isVisible());
    }
}

TEST_F(FrontEndTest, MainWindowSkinPlacesTabsAndButtonsAndDrawsTheDeviceFrameOnGeneralOnly) {
    WindowView& main = rig.Front().MainView();
    const int W = main.width();
    const QSize label = main.TableRect(res::kGeneralLabel).size();
    EXPECT_EQ(rig.Main(res::kCloseButton)->geometry(), QRect(W - 26, 1, 25, 25));
    EXPECT_EQ(rig.Main(res::kMinimizeButton)->geometry(), QRect(W - 51, 1, 25, 25));
    const int tabs[] = {res::kGeneralLabel, res::kEdidLabel, res::kMatrixLabel, res::kUpgradeLabel};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rig.Main(tabs[i])->geometry(),
                  QRect(QPoint(1 + i * (label.width() + 1), 56 - label.height()), label));

    const QRect device = rig.Main(res::kDeviceInfoGroup)->geometry();
    const QPoint onFrame(device.left(), device.center().y());  // the device frame's left edge
    const QColor body = main.palette().color(QPalette::Button);
    // The skin's own paint, without the child controls over it.
    auto paintOnly = [&main] {
        QImage image(main.size(), QImage::Format_ARGB32);
        main.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        return image;
    };
    QImage general = paintOnly();
    EXPECT_EQ(general.pixelColor(W - 60, 40), QColor(30, 144, 225));  // header band
    EXPECT_EQ(general.pixelColor(W - 60, 0), QColor(30, 120, 255));   // its top edge
    EXPECT_NE(general.pixelColor(onFrame), body);
    QTest::mouseClick(rig.Main(res::kUpgradeLabel), Qt::LeftButton);
    rig.RunUntil([&] { return rig.Dlg().Message().Showing(); }, 1000);
    QImage upgrade = paintOnly();
    EXPECT_EQ(upgrade.pixelColor(onFrame), body);
}

TEST_F(FrontEndTest, KeysReachOnlyTheDialogsWithoutAKeyFilter) {
    rig.Dlg().Message().ShowMessage("Time out!");
    WindowView& message = rig.Front().MessageView();
    ASSERT_TRUE(message.isVisible());
    for (auto key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space})
        QTest::keyClick(message.ControlWidget(CMessageDlg::kOkButton), key);
    EXPECT_TRUE(rig.Dlg().Message().Showing());
    DemoRig::Click(rig.Message(CMessageDlg::kOkButton));

    rig.Dlg().Busy().ShowBusy("Rebooting");
    WindowView& busy = rig.Front().BusyView();
    ASSERT_TRUE(busy.isVisible());
    QTest::keyClick(&busy, Qt::Key_Escape);  // ends the run; the flag waits for its command
    EXPECT_FALSE(busy.isVisible());
    EXPECT_TRUE(rig.Dlg().Busy().Flagged());
    rig.Dlg().Busy().CloseBusy();
}

TEST_F(FrontEndTest, AnOpenPortListStaysOpenWhileItsPortsDoNotChange) {
    auto* ports = qobject_cast<QComboBox*>(rig.Main(res::kPortList));
    ports->showPopup();
    ASSERT_TRUE(ports->view()->isVisible());
    // Three refreshes of the port list.
    rig.RunUntil([] { return false; }, 1900);
    EXPECT_TRUE(ports->view()->isVisible());
    ports->hidePopup();
}

TEST(Screenshots, DemoWritesEveryWindowsPictureAndExitsZero) {
    QTemporaryDir dir;
    QProcess torvane;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    torvane.setProcessEnvironment(env);
    torvane.start(TORVANE_BINARY_DIR "/gui/torvane", {"--demo", "--screenshots", dir.path()});
    ASSERT_TRUE(torvane.waitForFinished(120000));
    EXPECT_EQ(torvane.exitCode(), 0) << torvane.readAllStandardError().toStdString();
    for (const char* name : {"general.png", "matrix.png", "edid.png", "upgrade.png", "message.png",
                             "busy.png", "netconfig.png"}) {
        const QFileInfo file(QDir(dir.path()).filePath(name));
        EXPECT_TRUE(file.exists() && file.size() > 0) << name;
    }
    const QImage general(QDir(dir.path()).filePath("general.png"));
    // The header band, in the skin's blue.
    EXPECT_EQ(general.pixelColor(general.width() - 60, 40), QColor(30, 144, 225));
}

}  // namespace
}  // namespace torvane::gui

namespace torvane::gui {
namespace {

TEST(CloseButton, EndsTheProgramWithCodeZeroAndTheViewsLetGo) {
    QtLoop loop;
    PosixLinkFactory links(loop);
    CTorvaneApp app(loop, links);
    std::unique_ptr<FrontEnd> front;
    int exitCode = -1;
    CTorvaneDlg& dlg = app.InitInstance([&](int code) {
        front->Detach();
        exitCode = code;
    });
    front = std::make_unique<FrontEnd>(dlg);
    front->Show();
    DemoRig::Click(front->MainView().ControlWidget(res::kCloseButton));
    ASSERT_TRUE(RunQtUntil([&] { return exitCode >= 0; }, 2000));
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(app.MainWindow(), nullptr);
    EXPECT_FALSE(front->MainView().isVisible());
    front.reset();  // the models are gone; the views must not reach for them
}

}  // namespace
}  // namespace torvane::gui
