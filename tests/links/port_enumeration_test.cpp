// Finding serial ports and reading their numbers: the Windows walks against a
// scripted system.

#include <gtest/gtest.h>

#include "fake_windows_api.h"
#include "links/serial_enum.h"
#include "links/windows_port_source.h"

using namespace torvane;
using torvane::test::FakeWindowsApi;

namespace {
// The Windows source over a scripted system, collected as the refresh does;
// the failure's text, empty when there was none.
std::string CollectSerialPorts(FakeWindowsApi& api, std::vector<SSerInfo>& list, bool probeBusy) {
    WindowsPortSource source(api);
    const Status collected = torvane::CollectSerialPorts(source, list, probeBusy);
    if (collected) return "";
    EXPECT_EQ(collected.error().kind, Error::Kind::kSystem);
    return collected.error().message;
}
}  // namespace

TEST(ParsePortNumber, ReadsUpToThreeCharactersAndKeepsEightBits) {
    const std::pair<const char*, int> cases[] = {
        {"7", 7},   {"12", 12}, {"x5", 5},    {"300", 44}, {"", 0},    {"1234", 0},
        {"abc", 0}, {"256", 0}, {"255", 255}, {"a", 0},    {"1x", 10}, {"1x3", 103},
    };
    for (const auto& [text, number] : cases) EXPECT_EQ(ParsePortNumber(text), number) << text;
}

TEST(PortNumberOf, ReadsTheComTailOfTheFriendlyName) {
    const std::pair<const char*, int> cases[] = {
        {"USB Serial Port (COM12)", 12},
        {"Communications Port (COM1)", 1},
        // Without "(COM" the first three characters go and no ")" is left.
        {"Bluetooth Serial Link", 0},
        {"COM5", 0},
        {"Odd (COM7", 0},
        {"Modem (COM255)", 255},
    };
    for (const auto& [name, number] : cases) {
        SSerInfo port;
        port.friendlyName = name;
        EXPECT_EQ(PortNumberOf(port), number) << name;
    }
}

TEST(CollectSerialPorts, DeviceWalkTakesPortsWithBothNamesAndLeavesOutBusyOnes) {
    FakeWindowsApi source;
    source.AddCom(3, "Acme Port");
    source.devices.push_back({"\\\\?\\nameless", "", "desc", "USB"});       // no friendly name
    source.devices.push_back({"\\\\?\\nodesc", "Port (COM8)", "", "USB"});  // no description
    source.AddCom(4, "Onboard", /*usb=*/false);
    source.AddCom(6, "Held");
    source.busy.insert("\\\\?\\port#COM6");
    source.devices.push_back({"\\\\?\\lowercase", "Thing (COM9)", "Thing", "usb hub"});

    std::vector<SSerInfo> list{SSerInfo{"stale", "", "", false, ""}};
    EXPECT_EQ(CollectSerialPorts(source, list, true), "");

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (SSerInfo{"\\\\?\\port#COM3", "", "Acme Port (COM3)", true, "Acme Port"}));
    EXPECT_EQ(list[1].friendlyName, "Onboard (COM4)");
    EXPECT_FALSE(list[1].isUsb);
    EXPECT_FALSE(list[2].isUsb) << "the location must begin exactly \"USB\"";
    EXPECT_EQ(source.closes, 1);

    EXPECT_EQ(CollectSerialPorts(source, list, false), "");
    EXPECT_EQ(list.size(), 4u) << "without probing, held ports stay";
}

// Wine registers no COM-port interfaces; its mapped ports are in the serial
// device map, named so that their numbers read from them.
TEST(CollectSerialPorts, WithoutDeviceInterfacesTheSerialDeviceMapNamesThePorts) {
    FakeWindowsApi source;
    auto& map = source.values["HARDWARE\\DEVICEMAP\\SERIALCOMM"];
    map["\\Device\\Serial0"] = "COM12";
    map["\\Device\\Serial1"] = "COM3";
    map["\\Device\\Serial2"] = "COM4";
    source.busy.insert("\\\\.\\COM4");

    std::vector<SSerInfo> list;
    CollectSerialPorts(source, list, true);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0],
              (SSerInfo{"\\\\.\\COM12", "COM12", "Serial port (COM12)", false, "Serial port"}));
    EXPECT_EQ(PortNumberOf(list[1]), 3);

    source.AddCom(5);
    CollectSerialPorts(source, list, true);
    ASSERT_EQ(list.size(), 1u) << "the device map is the fallback only";
    EXPECT_EQ(PortNumberOf(list[0]), 5);
}

TEST(CollectSerialPorts, FailuresCarryTheirTextAndKeepWhatWasFound) {
    struct Case {
        const char* name;
        void (*arrange)(FakeWindowsApi&);
        const char* text;
        std::size_t kept;
    };
    const Case cases[] = {
        {"version", [](FakeWindowsApi& s) { s.versionFails = true; },
         "Could not get OS version. (err=57)", 0},
        {"class devices", [](FakeWindowsApi& s) { s.classDevsFail = true; },
         "SetupDiGetClassDevs failed. (err=d)", 0},
        {"enumeration",
         [](FakeWindowsApi& s) {
             s.enumFailsAt = 1;
             s.enumError = 0x3e6;
         },
         "SetupDiEnumDeviceInterfaces failed. (err=3e6)", 1},
        {"path too long", [](FakeWindowsApi& s) { s.devices[1].path = std::string(129, 'p'); },
         "SetupDiGetDeviceInterfaceDetail failed. (err=7a)", 1},
    };
    for (const auto& c : cases) {
        FakeWindowsApi source;
        source.AddCom(1);
        source.AddCom(2);
        source.busy.insert("\\\\?\\port#COM1");
        c.arrange(source);
        std::vector<SSerInfo> list;
        EXPECT_EQ(CollectSerialPorts(source, list, true), c.text) << c.name;
        // The finishing pass does not run: the busy port is still there.
        EXPECT_EQ(list.size(), c.kept) << c.name;
        EXPECT_EQ(source.opens, source.closes) << c.name << ": the walk always closes";
        EXPECT_EQ(source.probes, 0) << c.name;
    }
}

TEST(CollectSerialPorts, A128CharacterPathStillFits) {
    FakeWindowsApi source;
    source.AddCom(1);
    source.devices[0].path = std::string(128, 'p');
    std::vector<SSerInfo> list;
    EXPECT_EQ(CollectSerialPorts(source, list, true), "");
    EXPECT_EQ(list.size(), 1u);
}

TEST(CollectSerialPorts, FixedRangeListsTheComPortsThatOpen) {
    FakeWindowsApi source;
    source.version = {4, kPlatformWin32Nt};
    for (int n = 1; n <= 16; ++n)
        if (n != 2 && n != 5) source.busy.insert("\\\\.\\COM" + std::to_string(n));

    std::vector<SSerInfo> list;
    EXPECT_EQ(CollectSerialPorts(source, list, true), "");

    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (SSerInfo{"\\\\.\\COM2", "COM2", "COM2", false, "COM2"}));
    EXPECT_EQ(list[1].portName, "COM5");
    EXPECT_EQ(PortNumberOf(list[1]), 0) << "a name without \"(COM\" yields 0";
    EXPECT_EQ(source.probes, 16);
}

namespace {
// Enum\ACPI\*PNP0501\1 (COM1), Enum\ACPI\*PNP0400\1 (not a serial class),
// Enum\USBPORTS\VID\{a,b} (COM7 twice: the later one wins), Enum\ROOT\*PNP0500\0 (COM2).
FakeWindowsApi RegistrySource() {
    FakeWindowsApi s;
    s.version = {4, 1};
    s.subKeys["Enum"] = {"ACPI", "USBPORTS", "ROOT"};
    s.subKeys["Enum\\ACPI"] = {"*PNP0400", "*PNP0501"};
    s.subKeys["Enum\\ACPI\\*PNP0501"] = {"1"};
    s.subKeys["Enum\\ACPI\\*PNP0400"] = {"1"};
    s.values["Enum\\ACPI\\*PNP0501\\1"] = {{"PORTNAME", "COM1"},
                                           {"FRIENDLYNAME", "Communications Port (COM1)"}};
    s.values["Enum\\ACPI\\*PNP0400\\1"] = {{"PORTNAME", "LPT1"}};
    s.subKeys["Enum\\USBPORTS"] = {"VID"};
    s.subKeys["Enum\\USBPORTS\\VID"] = {"a", "b", "nameless"};
    s.values["Enum\\USBPORTS\\VID\\a"] = {{"PORTNAME", "COM7"}, {"FRIENDLYNAME", "Old (COM7)"}};
    s.values["Enum\\USBPORTS\\VID\\b"] = {{"PORTNAME", "COM7"}, {"FRIENDLYNAME", "New (COM7)"}};
    s.values["Enum\\USBPORTS\\VID\\nameless"] = {{"OTHER", "x"}};
    s.subKeys["Enum\\ROOT"] = {"*PNP0500"};
    s.subKeys["Enum\\ROOT\\*PNP0500"] = {"0"};
    s.values["Enum\\ROOT\\*PNP0500\\0"] = {{"PORTNAME", "COM2"}};
    return s;
}
}  // namespace

TEST(CollectSerialPorts, RegistryWalkScansSerialClassesAndUsbPortsOnly) {
    auto source = RegistrySource();
    std::vector<SSerInfo> list;
    EXPECT_EQ(CollectSerialPorts(source, list, true), "");

    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (SSerInfo{"\\\\.\\COM1", "COM1", "Communications Port (COM1)", false,
                                 "Communications Port"}));
    EXPECT_EQ(list[1], (SSerInfo{"\\\\.\\COM7", "COM7", "New (COM7)", true, "New"}));
    EXPECT_EQ(list[2], (SSerInfo{"\\\\.\\COM2", "COM2", "COM2", false, "COM2"}));
}

TEST(CollectSerialPorts, RegistryKeysThatCannotBeOpenedNameThemselves) {
    const std::pair<const char*, const char*> cases[] = {
        {"Enum", "Could not read from HKLM\\Enum"},
        {"Enum\\USBPORTS", "Could not read from HKLM\\Enum\\USBPORTS"},
        {"Enum\\ACPI\\*PNP0501", "Could not read from HKLM\\Enum\\ACPI\\*PNP0501"},
        {"Enum\\USBPORTS\\VID\\b", "Could not read from HKLM\\Enum\\...\\b"},
    };
    for (const auto& [key, text] : cases) {
        auto source = RegistrySource();
        source.unopenableKeys.insert(key);
        std::vector<SSerInfo> list;
        EXPECT_EQ(CollectSerialPorts(source, list, true), text) << key;
    }
}

TEST(CollectSerialPorts, DescriptionLosesOnlyAFinalParenthesisedTail) {
    const std::pair<const char*, const char*> cases[] = {
        {"Acme Port (COM3)", "Acme Port"},
        {"Acme (rev 2) Port (COM3)", "Acme (rev 2) Port (COM3)"},  // first ")" is not last
        {"(COM3)", "(COM3)"},                                      // " (" must not lead
        {"Plain", "Plain"},
    };
    for (const auto& [friendly, description] : cases) {
        FakeWindowsApi source;
        source.version = {4, 1};
        source.subKeys["Enum"] = {"B"};
        source.subKeys["Enum\\B"] = {"*PNP0501"};
        source.subKeys["Enum\\B\\*PNP0501"] = {"0"};
        source.values["Enum\\B\\*PNP0501\\0"] = {{"PORTNAME", "COM3"}, {"FRIENDLYNAME", friendly}};
        std::vector<SSerInfo> list;
        EXPECT_EQ(CollectSerialPorts(source, list, true), "");
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].description, description) << friendly;
    }
}
