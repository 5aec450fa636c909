// The operator's names of inputs and outputs in the window: after each
// connection state on the General page, in the Matrix page's group captions
// and IN buttons' tooltips; those of the switcher the link reaches, by its
// serial port or over TCP by its MAC, and none once the link closes.

#include <unistd.h>

#include <fstream>

#include "app/names_dlg.h"
#include "app/profile_binding.h"
#include "operator_fixture.h"
#include "pages/matrix_dlg.h"
#include "profile/switcher_key.h"
#include "profile_folder.h"
#include "res/names_dialog.h"

namespace torvane::test {
namespace {

using profile::PortKind;

class NamesShown : public OperatorTest {
  protected:
    void SetUp() override {
        OperatorTest::SetUp();
        matrix = InstallPage<CMatrixDlg>();
        binding = std::make_unique<ProfileBinding>(*dlg, links, profile);
    }
    void TearDown() override { binding.reset(); }

    void Name(const std::string& key, PortKind kind, int port, const std::string& name) {
        profile::ProfileStore store(folder.Profiles());
        ASSERT_TRUE(store.Update(
            key, [&](profile::Profile& p) { return profile::SetName(p, kind, port, name); }));
    }
    std::string Caption(int output) const {
        return matrix->Controls().Text(res::kMatrixOutputs[output - 1].group);
    }
    std::string Tooltip(int output, int input) const {
        return matrix->Controls().At(res::kMatrixOutputs[output - 1].inputs[input - 1]).tooltip;
    }

    ProfileFolder folder;
    SwitcherProfile profile{profile::ProfileStore(folder.Profiles())};
    std::unique_ptr<ProfileBinding> binding;
    CMatrixDlg* matrix = nullptr;
};

TEST_F(NamesShown, OnTheGeneralAndMatrixPagesOfTheSerialSwitcher) {
    const std::string key = profile::KeyForSerialPort(sim::kDefaultSerialPath);
    Name(key, PortKind::kInput, 1, "Apple TV");
    Name(key, PortKind::kOutput, 2, "Projector");
    ConnectCom();
    EXPECT_EQ(profile.Key(), key);
    dlg->Click(res::kStatusButton);
    loop.Advance(1000);
    EXPECT_EQ(Text(res::kFirstInputLabel), "HDMI IN1: Connect \u00B7 Apple TV");
    EXPECT_EQ(Ui().At(res::kFirstInputLabel).tooltip, "HDMI IN1: Connect \u00B7 Apple TV");
    EXPECT_EQ(Text(res::kFirstInputLabel + 1), "HDMI IN2: Connect");
    EXPECT_EQ(Ui().At(res::kFirstInputLabel + 1).tooltip, "");
    EXPECT_EQ(Text(res::kFirstOutputLabel + 1), "HDMI OUTB: Connect \u00B7 Projector");

    ClickLabel(res::kMatrixLabel);
    loop.Advance(5000);
    EXPECT_EQ(Caption(1), "OUTPUT A");
    EXPECT_EQ(Caption(2), "OUTPUT B \u00B7 Projector");
    EXPECT_EQ(Tooltip(3, 1), "Apple TV");
    EXPECT_EQ(Tooltip(3, 2), "");

    // A name changed while connected shows at once; one taken away goes.
    ASSERT_TRUE(profile.Change(
        [](profile::Profile& p) { return profile::SetName(p, PortKind::kOutput, 2, ""); }));
    EXPECT_EQ(Caption(2), "OUTPUT B");
    EXPECT_EQ(Text(res::kFirstOutputLabel + 1), "HDMI OUTB: Connect");

    ClickLabel(res::kGeneralLabel);
    dlg->Click(res::kComConnectButton);  // Disconnect
    EXPECT_FALSE(profile.Known());
    EXPECT_EQ(Tooltip(3, 1), "");
}

TEST_F(NamesShown, OverTcpTheSwitcherIsKnownByItsMac) {
    const std::string key = profile::KeyForMac({0x02, 0x54, 0x56, 0x00, 0x00, 0x01});
    Name(key, PortKind::kOutput, 1, "Stage");
    dlg->Click(res::kTcpModeRadio);
    ConnectTcp();
    // Not found by Search: the address itself was asked.
    EXPECT_EQ(profile.Key(), key);
    EXPECT_EQ(binding->Problem(), "");
    ClickLabel(res::kMatrixLabel);
    loop.Advance(5000);
    EXPECT_EQ(Caption(1), "OUTPUT A \u00B7 Stage");
}

TEST_F(NamesShown, ASwitcherThatDoesNotSayWhichItIsHasNoNames) {
    model.Faults().answerDiscovery = false;
    dlg->Click(res::kTcpModeRadio);
    ConnectTcp();
    loop.Advance(ProfileBinding::kMacWaitMs);
    EXPECT_FALSE(profile.Known());
    EXPECT_EQ(binding->Problem(),
              "the switcher at 127.0.0.1 did not say which it is: no answer to discovery on UDP "
              "port 30600 within 1500 ms");
    EXPECT_EQ(Message(), "");
}

TEST_F(NamesShown, AnUnreadableProfileIsMovedAsideAndTheOperatorTold) {
    const std::string key = profile::KeyForSerialPort(sim::kDefaultSerialPath);
    std::filesystem::create_directories(folder.Profiles());
    std::ofstream(folder.Profiles() + "/" + key + ".json") << "{\"format\": ";
    ConnectCom();
    EXPECT_TRUE(profile.Known());
    EXPECT_NE(Message().find("moved"), std::string::npos) << Message();
    EXPECT_NE(Message().find(key + ".json"), std::string::npos) << Message();
}

}  // namespace
}  // namespace torvane::test

namespace torvane::test {
namespace {

TEST_F(NamesShown, TheNamesDialogKeepsAllNamesOrNone) {
    const std::string key = profile::KeyForSerialPort(sim::kDefaultSerialPath);
    ConnectCom();
    CNamesDlg names(profile);
    names.Open();
    names.EditText(res::kNamesFirstInputEdit + 2, "Apple TV");
    names.EditText(res::kNamesFirstOutputEdit + 7, "Rack\tleft");
    names.Click(res::kNamesOkButton);
    EXPECT_TRUE(names.Running());
    EXPECT_EQ(names.Controls().Text(res::kNamesProblemLabel),
              "the name of output H holds a control character (such as a tab or a new line)");
    EXPECT_EQ(profile::ProfileStore(folder.Profiles()).Load(key)->profile, profile::Profile{});

    names.EditText(res::kNamesFirstOutputEdit + 7, "Rack left");
    names.Click(res::kNamesOkButton);
    EXPECT_FALSE(names.Running());
    const auto kept = profile::ProfileStore(folder.Profiles()).Load(key)->profile;
    EXPECT_EQ(kept.inputNames[2], "Apple TV");
    EXPECT_EQ(kept.outputNames[7], "Rack left");
}

}  // namespace
}  // namespace torvane::test
