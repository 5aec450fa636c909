#include <gtest/gtest.h>

#include "pages/upgrade_fixture.h"

namespace torvane::test {
namespace {

struct IdentityCase {
    sim::Identity identity;
    const char* line;
};

class DeviceLineTest : public UpgradePageTest,
                       public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(DeviceLineTest, EnteringThePageShowsTheDeviceLine) {
    model.State().identity = GetParam().identity;
    EnterUpgradePage();
    EXPECT_EQ(fw->Controls().Text(res::kDeviceLineLabel), GetParam().line);
    EXPECT_TRUE(dlg->BusyGateOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Identities, DeviceLineTest,
    ::testing::Values(
        IdentityCase{{0x01, 8, 8, 1, 2}, "Device: HDMI Matrix 8x8     Version:1.2"},
        IdentityCase{{0x02, 0x0A, 0x05, 0x0A, 0x05}, "Device: HDBT Matrix 10x5     Version:10.5"},
        IdentityCase{{0x00, 4, 4, 0, 0}, "Device: HDMI/HDBT Matrix 4x4     Version:0.0"},
        IdentityCase{{0x03, 8, 8, 2, 9}, "Device: HDMI/HDBT Matrix 8x8     Version:2.9"},
        IdentityCase{{0xFF, 8, 8, 255, 255}, "Device: HDMI/HDBT Matrix 8x8     Version:255.255"}));

// The chain is cut after the type answer or after the size answer; the next
// entry shows the line once.
class InterruptedDeviceLineTest : public UpgradePageTest,
                                  public ::testing::WithParamInterface<std::uint8_t> {};

TEST_P(InterruptedDeviceLineTest, NextEntryShowsTheLineOnce) {
    model.Faults().ignoredCommands = {{0x01, GetParam()}};
    EnterUpgradePage();
    EXPECT_EQ(fw->Controls().Text(res::kDeviceLineLabel), "");
    model.Faults().ignoredCommands.clear();
    EnterUpgradePage();
    EXPECT_EQ(fw->Controls().Text(res::kDeviceLineLabel),
              "Device: HDMI Matrix 8x8     Version:1.0");
}

INSTANTIATE_TEST_SUITE_P(LostQuery, InterruptedDeviceLineTest, ::testing::Values(0x02, 0x03));

TEST_F(UpgradePageTest, DeviceTextIsReadIntoTheLabelAndBothHalves) {
    model.State().deviceText = sim::SwitcherState::MakeDeviceText("Studio B rack 3, left matrix");
    Wire();
    EnterUpgradePage();
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextLabel), "Studio B rack 3, left matrix    ");
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextFirstHalf), "Studio B rack 3,");
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextSecondHalf), " left matrix    ");
    EXPECT_EQ(fw->DeviceTextReads(), 1);
    EXPECT_EQ(Wire(), (std::vector<std::string>{Frame("01 01 00 00 00 00 00 00 CC"),
                                                Frame("01 02 00 00 00 00 00 00 CC"),
                                                Frame("01 03 00 00 00 00 00 00 CC"), Frame("FA 25"),
                                                Frame("FA 26"), Frame("FA 27"), Frame("FA 28")}));
}

TEST_F(UpgradePageTest, HiddenEditorWritesTheTextInFourPartsAndReadsItBack) {
    EnterUpgradePage();
    fw->EditText(res::kDeviceTextFirstHalf, "Hall 2 main swit");
    fw->EditText(res::kDeviceTextSecondHalf, "cher");
    Wire();
    fw->WriteDeviceText();
    loop.Advance(100);
    EXPECT_EQ(Message(), "Set successfully!");
    EXPECT_EQ(model.State().DeviceText(), "Hall 2 main switcher            ");
    EXPECT_EQ(Wire(),
              (std::vector<std::string>{
                  Frame("FA 21 48 61 6C 6C 20 32 20 6D"), Frame("FA 22 61 69 6E 20 73 77 69 74"),
                  Frame("FA 23 63 68 65 72 20 20 20 20"), Frame("FA 24 20 20 20 20 20 20 20 20")}));
    PressOk();
    loop.Advance(100);
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextLabel), "Hall 2 main switcher            ");
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextSecondHalf), "cher            ");
    EXPECT_EQ(fw->DeviceTextReads(), 2);
}

// The switcher's text is bytes, each the character of the same code.
struct ReadTextCase {
    std::string bytes;  // as the switcher keeps them
    std::string shown;  // UTF-8 in the label
};

class DeviceTextReadTest : public UpgradePageTest,
                           public ::testing::WithParamInterface<ReadTextCase> {};

TEST_P(DeviceTextReadTest, EachByteIsTheCharacterOfItsCode) {
    model.State().deviceText = sim::SwitcherState::MakeDeviceText(GetParam().bytes);
    EnterUpgradePage();
    const std::string padding(32 - GetParam().bytes.size(), ' ');
    EXPECT_EQ(fw->Controls().Text(res::kDeviceTextLabel), GetParam().shown + padding);
}

INSTANTIATE_TEST_SUITE_P(Bytes, DeviceTextReadTest,
                         ::testing::Values(ReadTextCase{"Caf\xE9", "Caf\xC3\xA9"},
                                           ReadTextCase{"\xFF\xA0\xB0", "\xC3\xBF\xC2\xA0\xC2\xB0"},
                                           ReadTextCase{"\x85\x01\x1B[2J", "\xC2\x85\x01\x1B[2J"},
                                           ReadTextCase{
                                               std::string(16, '\xE9') + std::string(16, 'x'), [] {
                                                   std::string s;
                                                   for (int i = 0; i < 16; ++i) s += "\xC3\xA9";
                                                   return s + std::string(16, 'x');
                                               }()}));

// Each character goes out as the byte of its code; the halves hold 16
// characters, not 16 bytes; a character without a byte sends nothing.
struct WriteTextCase {
    std::string first;
    std::string second;
    std::vector<std::string> wire;  // empty: refused
};

class DeviceTextWriteTest : public UpgradePageTest,
                            public ::testing::WithParamInterface<WriteTextCase> {};

TEST_P(DeviceTextWriteTest, EachCharacterIsTheByteOfItsCode) {
    EnterUpgradePage();
    model.Faults().silent = true;
    fw->EditText(res::kDeviceTextFirstHalf, GetParam().first);
    fw->EditText(res::kDeviceTextSecondHalf, GetParam().second);
    Wire();
    fw->WriteDeviceText();
    loop.Advance(100);
    EXPECT_EQ(Wire(), GetParam().wire);
    EXPECT_EQ(Message(), GetParam().wire.empty() ? CFWDlg::kLatin1Only : "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DeviceTextWriteTest,
    ::testing::Values(WriteTextCase{"Caf\xC3\xA9", "", {Frame("FA 21 43 61 66 E9 20 20 20 20")}},
                      WriteTextCase{"x", "\xCE\xA9", {}},       // U+03A9
                      WriteTextCase{"\xE2\x82\xAC 5", "", {}},  // U+20AC
                      WriteTextCase{"\xE9t\xE9", "", {}}));     // not UTF-8

TEST_F(UpgradePageTest, HalvesHoldSixteenCharactersNotSixteenBytes) {
    EnterUpgradePage();
    std::string seventeen;
    for (int i = 0; i < 17; ++i) seventeen += "\xC3\xA9";
    fw->EditText(res::kDeviceTextFirstHalf, seventeen);
    fw->EditText(res::kDeviceTextSecondHalf, "");
    Wire();
    fw->WriteDeviceText();
    loop.Advance(100);
    const std::string e9 = "E9 E9 E9 E9 E9 E9 E9 E9";
    EXPECT_EQ(Wire(), (std::vector<std::string>{Frame("FA 21 " + e9), Frame("FA 22 " + e9),
                                                Frame("FA 23 20 20 20 20 20 20 20 20"),
                                                Frame("FA 24 20 20 20 20 20 20 20 20")}));
    EXPECT_EQ(model.State().DeviceText(), std::string(16, '\xE9') + std::string(16, ' '));
}

TEST_F(UpgradePageTest, RefusedWriteOrUnknownTextReplyOnlyReopensTheGate) {
    EnterUpgradePage();
    model.Faults().silent = true;
    for (const char* reply : {"FA 21 01", "FA 30"}) {
        fw->EditText(res::kDeviceTextFirstHalf, "x");
        fw->WriteDeviceText();
        loop.RunPending();
        Wire();
        // Something else holds the gate while the write goes on.
        ASSERT_TRUE(dlg->PassBusyGate());
        DeviceSays(reply);
        EXPECT_TRUE(dlg->BusyGateOpen()) << reply;
        loop.Advance(100);
        EXPECT_EQ(Wire(), std::vector<std::string>{}) << reply;
        EXPECT_EQ(Message(), "");
    }
}

TEST_F(UpgradePageTest, EnterAndEscapeAreDiscardedOnThePage) {
    EXPECT_TRUE(KeyFilterDiscards(fw->Filter(), kKeyEnter));
    EXPECT_TRUE(KeyFilterDiscards(fw->Filter(), kKeyEscape));
    EXPECT_FALSE(KeyFilterDiscards(fw->Filter(), kKeySpace));
}

}  // namespace
}  // namespace torvane::test
