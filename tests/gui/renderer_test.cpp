#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "gui/file_filter.h"
#include "gui/window_view.h"
#include "res/resource_ids.h"
#include "run_qt_until.h"

namespace torvane::gui {
namespace {

// A window with one control of each kind the renderer builds.
class KindsWindow : public Window {
  public:
    static constexpr int kNumberEdit = 10;
    static constexpr int kShortEdit = 11;
    static constexpr int kProgress = 12;
    static constexpr int kPicture = 13;
    static constexpr int kLog = 14;
    static constexpr int kPushLikeBox = 15;
    static constexpr int kLine = 16;

    KindsWindow() : Window(Template(), KeyFilter::kNone) {}
    void Open() { Create(); }
    ControlTable& T() { return Table(); }
    void AskForFile() {
        ChooseFile({"Open", "Binary file(*.BIN)|*.BIN||"},
                   [this](const std::optional<std::string>& path) {
                       answers.push_back(path.value_or("<cancelled>"));
                   });
    }
    std::vector<std::string> answers;
    int clicks = 0;

  protected:
    void OnCommand(int id) override {
        if (id == kPushLikeBox) ++clicks;
    }

  private:
    static DialogTemplate Template() {
        DialogTemplate d;
        d.width = 200;
        d.height = 120;
        d.fontPoints = 9;
        auto add = [&](int id, ControlKind kind, Rect rect, unsigned style = kNoStyle,
                       int limit = 0) {
            ControlTemplate c;
            c.id = id;
            c.kind = kind;
            c.rect = rect;
            c.style = style;
            c.textLimit = limit;
            d.controls.push_back(c);
        };
        add(kNumberEdit, ControlKind::kEdit, {10, 10, 40, 12}, kNumber, 3);
        add(kShortEdit, ControlKind::kEdit, {60, 10, 40, 12}, kNoStyle, 4);
        add(kProgress, ControlKind::kProgressBar, {10, 30, 150, 10});
        add(kPicture, ControlKind::kPicture, {10, 45, 36, 36});
        add(kLog, ControlKind::kMultiLineEdit, {60, 45, 100, 40}, kReadOnly | kVerticalScroll);
        add(kPushLikeBox, ControlKind::kCheckBox, {10, 90, 50, 14}, kPushLike | kAutoCheck);
        add(kLine, ControlKind::kEtchedLine, {10, 108, 180, 1});
        add(kNoControlId, ControlKind::kLabel, {100, 90, 50, 8});
        return d;
    }
};

class RendererTest : public testing::Test {
  protected:
    RendererTest() : view(window, nullptr) {
        window.Open();
        view.show();
    }
    template <typename W>
    W* Widget(int id) {
        return qobject_cast<W*>(view.ControlWidget(id));
    }
    KindsWindow window;
    WindowView view;
};

TEST_F(RendererTest, EditsShowWhatTheModelKeeps) {
    auto* number = Widget<QLineEdit>(KindsWindow::kNumberEdit);
    auto* shortEdit = Widget<QLineEdit>(KindsWindow::kShortEdit);
    ASSERT_TRUE(number && shortEdit);
    QTest::keyClicks(number, "1a2");  // the letter is refused
    EXPECT_EQ(window.Controls().Text(KindsWindow::kNumberEdit), "12");
    EXPECT_EQ(number->text(), "12");
    QTest::keyClicks(shortEdit, "abcdef");
    EXPECT_EQ(window.Controls().Text(KindsWindow::kShortEdit), "abcd");
    EXPECT_EQ(shortEdit->text(), "abcd");
}

TEST_F(RendererTest, ChangesReachTheirWidgets) {
    auto* bar = Widget<QProgressBar>(KindsWindow::kProgress);
    auto* picture = Widget<QLabel>(KindsWindow::kPicture);
    auto* log = view.ControlWidget(KindsWindow::kLog);
    ASSERT_TRUE(bar && picture && log);
    window.T().SetRange(KindsWindow::kProgress, 0, 50);
    window.T().SetPosition(KindsWindow::kProgress, 20);
    EXPECT_EQ(bar->maximum(), 50);
    EXPECT_EQ(bar->value(), 20);

    EXPECT_TRUE(picture->pixmap().isNull());
    window.T().SetImage(KindsWindow::kPicture, res::kCheckMarkBitmap);
    EXPECT_EQ(picture->pixmap().size(), QSize(31, 31));  // the bitmap's own size
    window.T().SetImage(KindsWindow::kPicture, res::kInfoBitmap);
    EXPECT_EQ(picture->size(), QSize(36, 36));

    window.T().SetTextColor(KindsWindow::kLog, Rgb{255, 0, 0});
    EXPECT_EQ(log->palette().color(QPalette::Text), QColor(255, 0, 0));
    window.T().SetTextColor(KindsWindow::kLog, std::nullopt);
    EXPECT_EQ(log->palette().color(QPalette::Text), view.palette().color(QPalette::Text));

    window.T().SetVisible(KindsWindow::kProgress, false);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(RendererTest, EveryKindHasItsWidgetAtItsTemplatePlace) {
    auto* line = Widget<QFrame>(KindsWindow::kLine);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->frameShape(), QFrame::HLine);
    EXPECT_EQ(view.ControlWidget(KindsWindow::kNumberEdit)->geometry(),
              view.Units().ToPixels(Rect{10, 10, 40, 12}));
    // A control without an id of its own is addressable by the table's id.
    EXPECT_NE(view.ControlWidget(kNoControlId - 1), nullptr);

    auto* pushLike = Widget<QPushButton>(KindsWindow::kPushLikeBox);
    ASSERT_NE(pushLike, nullptr);
    QTest::mouseClick(pushLike, Qt::LeftButton);
    EXPECT_EQ(window.clicks, 1);
    EXPECT_TRUE(pushLike->isChecked());
    EXPECT_TRUE(window.Controls().Checked(KindsWindow::kPushLikeBox));
}

TEST_F(RendererTest, AFileChoiceIsAnsweredByAWindowModalFileDialog) {
    QFileDialog* dialog = nullptr;
    auto findDialog = [&] {
        dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<QFileDialog*>(w); d && d->isVisible()) dialog = d;
        return dialog != nullptr;
    };
    window.AskForFile();
    ASSERT_TRUE(RunQtUntil(findDialog, 2000));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->nameFilters(), QStringList{"Binary file (*.BIN *.bin)"});
    dialog->reject();
    EXPECT_EQ(window.answers, std::vector<std::string>{"<cancelled>"});

    window.AskForFile();
    ASSERT_TRUE(RunQtUntil([&] { return findDialog() && dialog->isVisible(); }, 2000));
    dialog->selectFile(QStringLiteral("/tmp/edid.bin"));
    emit dialog->fileSelected(QStringLiteral("/tmp/edid.bin"));
    EXPECT_EQ(window.answers.back(), "/tmp/edid.bin");
    dialog->close();
}

TEST(FileDialogFilters, KeepDescriptionsAndOfferBothCases) {
    EXPECT_EQ(FileDialogFilters("Binary file(*.BIN)|*.BIN||"),
              QStringList{"Binary file (*.BIN *.bin)"});
    EXPECT_EQ(FileDialogFilters("Binary file(*.bin)|*.bin||"),
              QStringList{"Binary file (*.bin *.BIN)"});
    EXPECT_EQ(FileDialogFilters("Images|*.png;*.jpg|All|*||"),
              (QStringList{"Images (*.png *.PNG *.jpg *.JPG)", "All (*)"}));
}

}  // namespace
}  // namespace torvane::gui
