#pragma once
// The program as `torvane --demo` builds it, for the GUI tests: the demo
// switcher on loopback, the real links, the window models and their views on
// the Qt loop. Tests click the rendered widgets with QTest.

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/torvane_app.h"
#include "gui/demo_link_folder.h"
#include "gui/demo_switcher.h"
#include "gui/front_end.h"
#include "gui/profile_dialogs.h"
#include "gui/qt_loop.h"
#include "links/posix_link_factory.h"
#include "res/resource_ids.h"
#include "run_qt_until.h"
#include "sim/posix_fd.h"

namespace torvane::gui {

class DemoRig {
  public:
    // With `profiles`, names and presets are kept in that folder, as the
    // program keeps them in the user's configuration folder.
    // With `frontPanel`, the demo's serial port has a link name of its own
    // and its front panel reads the lines a test writes with Tell.
    explicit DemoRig(std::optional<std::string> profiles = std::nullopt, bool frontPanel = false)
        : links_(loop_), demo_(loop_), app_(loop_, links_) {
        std::string error;
        started_ = (!frontPanel || linkFolder_.Make(&error)) &&
                   demo_.Start(&error, linkFolder_.LinkPath());
        int panel[2];
        if (frontPanel && started_ && ::pipe2(panel, O_CLOEXEC) == 0) {
            panelRead_ = sim::UniqueFd(panel[0]);
            panelWrite_ = sim::UniqueFd(panel[1]);
            demo_.StartFrontPanel(panelRead_.Get(),
                                  [this](const std::string& line) { panelSaid_.push_back(line); });
        }
        links_.AddExtraPort({demo_.SerialPath(), "Demo switcher", "", ""});
        dlg_ = &app_.InitInstance(nullptr);
        dlg_->AddSwitcherAddress(demo_.Address());
        dlg_->SetControlPort(demo_.TcpPort());
        dlg_->SetDiscoverySettings(demo_.Discovery());
        if (profiles) app_.KeepProfiles(profile::ProfileStore(*profiles));
        front_ = std::make_unique<FrontEnd>(*dlg_);
        OfferProfileDialogs(*front_, app_);
        front_->Show();
    }

    bool Started() const { return started_; }
    // Writes a line to the demo's front panel.
    void Tell(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(panelWrite_.Get(), text.data(), text.size()),
                  static_cast<ssize_t>(text.size()));
    }
    // What the front panel reported, a line each.
    const std::vector<std::string>& PanelSaid() const { return panelSaid_; }
    CTorvaneDlg& Dlg() { return *dlg_; }
    CTorvaneApp& App() { return app_; }
    FrontEnd& Front() { return *front_; }
    DemoSwitcher& Demo() { return demo_; }
    QWidget* Main(int id) { return front_->MainView().ControlWidget(id); }
    QWidget* Message(int id) { return front_->MessageView().ControlWidget(id); }
    QWidget* Page(PageCode code, int id) { return front_->PageView(code)->ControlWidget(id); }
    QString LabelText(int id) { return static_cast<QLabel*>(Main(id))->text(); }

    // Runs the Qt loop until `done()` holds or `ms` have passed.
    bool RunUntil(const std::function<bool()>& done, int ms = 5000) { return RunQtUntil(done, ms); }
    bool Quiet() {
        return dlg_->BusyGateOpen() && !dlg_->Busy().Flagged() && !dlg_->Message().Showing() &&
               !dlg_->AwaitingReply();
    }

    // A real left click where the operator would click: on a box or radio,
    // its indicator; elsewhere, the middle.
    static void Click(QWidget* widget) {
        ASSERT_NE(widget, nullptr);
        QPoint at = widget->rect().center();
        if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable())
            at = QPoint(6, widget->height() / 2);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
    }

    // A click on a page label, then the page's entry queries answered.
    void VisitPage(int labelId) {
        Click(Main(labelId));
        ASSERT_TRUE(RunUntil([&] { return Quiet(); }));
    }

    // Chooses item `index` of a closed drop-down list with the keyboard.
    static void ChooseWithKeys(QComboBox* box, int index) {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Home);
        for (int i = 0; i < index; ++i) QTest::keyClick(box, Qt::Key_Down);
    }

    // Chooses the demo's pseudo-terminal in the port list with the keyboard,
    // as an operator would on a closed list, and opens it.
    void ConnectBySerial() {
        auto* ports = qobject_cast<QComboBox*>(Main(res::kPortList));
        ASSERT_NE(ports, nullptr);
        const int index =
            ports->findText(QString::fromStdString(demo_.SerialPath()), Qt::MatchContains);
        ASSERT_GE(index, 0) << "the demo's port is listed";
        ChooseWithKeys(ports, index);
        ASSERT_EQ(dlg_->Controls().Selection(res::kPortList), index);
        Click(Main(res::kComConnectButton));
        ASSERT_TRUE(dlg_->SerialOpen()) << dlg_->LastLinkError();
        ASSERT_TRUE(RunUntil([&] { return Quiet(); }));
    }

    void ConnectByTcp() {
        Click(Main(res::kTcpModeRadio));
        Click(Main(res::kTcpConnectButton));
        ASSERT_TRUE(RunUntil([&] { return dlg_->TcpConnected() && Quiet(); }));
    }

  private:
    DemoLinkFolder linkFolder_;
    // Closed after the demo switcher has stopped reading them.
    sim::UniqueFd panelRead_;
    sim::UniqueFd panelWrite_;
    std::vector<std::string> panelSaid_;
    QtLoop loop_;
    PosixLinkFactory links_;
    DemoSwitcher demo_;
    CTorvaneApp app_;
    CTorvaneDlg* dlg_ = nullptr;
    std::unique_ptr<FrontEnd> front_;
    bool started_ = false;
};

}  // namespace torvane::gui
