// The link's status line under the pages, on the demo switcher: what it
// says as the link comes, goes and comes back, and the choices of its menu,
// kept between runs.

#include <gtest/gtest.h>

#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>

#include "demo_rig.h"
#include "gui/live_settings_store.h"

namespace torvane::gui {
namespace {

QAction* Find(QMenu& menu, const QString& text) {
    for (QAction* action : menu.actions()) {
        if (action->text() == text) return action;
        if (action->menu())
            if (QAction* inner = Find(*action->menu(), text)) return inner;
    }
    return nullptr;
}

TEST(StatusLine, LiesUnderThePagesAndFollowsTheLinkLostAndBack) {
    DemoRig rig;
    ASSERT_TRUE(rig.Started());
    LinkStatusLine& line = rig.Front().StatusLine();
    QWidget& main = rig.Front().MainView();
    EXPECT_EQ(line.geometry().bottom(), main.height() - 1);
    EXPECT_EQ(line.width(), main.width());
    EXPECT_GE(line.geometry().top(), rig.Front().PageView(PageCode::kMatrix)->geometry().bottom());
    EXPECT_TRUE(line.isVisible());
    EXPECT_EQ(line.text(), "not connected");

    rig.ConnectByTcp();
    const QString link = QString::fromStdString(rig.Dlg().LinkName());
    EXPECT_TRUE(rig.RunUntil([&] { return line.text().startsWith(link + ": connected"); }))
        << line.text().toStdString();

    // The switcher hangs up on the next command; the window reconnects by itself.
    rig.Demo().Model().Faults().hangUp = true;
    rig.Click(rig.Main(res::kStatusButton));
    EXPECT_TRUE(rig.RunUntil([&] {
        return line.text().startsWith(link + ": lost: reconnecting in");
    })) << line.text().toStdString();
    EXPECT_TRUE(rig.RunUntil([&] { return line.text().startsWith(link + ": connected"); }))
        << line.text().toStdString();
}

TEST(StatusLine, ItsMenuHandsTheChoicesToTheSupervisorAndToWhoeverSavesThem) {
    DemoRig rig;
    LinkStatusLine& line = rig.Front().StatusLine();
    EXPECT_TRUE(rig.Dlg().Supervisor().Settings().reconnect);  // the defaults
    EXPECT_EQ(rig.Dlg().Supervisor().Settings().refreshMs, 0);
    std::vector<LiveSettings> saved;
    line.SetOnSettingsChanged([&](const LiveSettings& s) { saved.push_back(s); });

    QMenu menu;
    line.FillMenu(menu);
    QAction* reconnect = Find(menu, "Reconnect automatically");
    ASSERT_NE(reconnect, nullptr);
    EXPECT_TRUE(reconnect->isChecked());
    reconnect->trigger();
    EXPECT_FALSE(rig.Dlg().Supervisor().Settings().reconnect);
    QAction* fiveSeconds = Find(*menu.actions()[1]->menu(), "5 s");
    ASSERT_NE(fiveSeconds, nullptr);
    fiveSeconds->trigger();
    EXPECT_EQ(rig.Dlg().Supervisor().Settings().refreshMs, 5000);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_FALSE(saved[1].reconnect);
    EXPECT_EQ(saved[1].refreshSeconds, 5);

    // Saved and read back as the next run does; an interval not offered is off.
    QTemporaryDir dir;
    QSettings file(dir.filePath("torvane.ini"), QSettings::IniFormat);
    EXPECT_TRUE(LoadLiveSettings(file).reconnect);
    SaveLiveSettings(file, saved[1]);
    const LiveSettings back = LoadLiveSettings(file);
    EXPECT_FALSE(back.reconnect);
    EXPECT_EQ(back.refreshSeconds, 5);
    file.setValue("link/keepAliveSeconds", 7);
    EXPECT_EQ(LoadLiveSettings(file).keepAliveSeconds, 0);
}

}  // namespace
}  // namespace torvane::gui
