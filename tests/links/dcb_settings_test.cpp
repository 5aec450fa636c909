// The line settings of a Windows port as its device control block, and the
// device path a port name opens under.

#include "links/dcb_settings.h"

#include <gtest/gtest.h>

using namespace torvane;

TEST(DcbSettings, TheSwitchersLineIs115200EightNoneTwoWithBothLinesRaised) {
    DcbFields fields;
    ASSERT_EQ(ApplySerialSettings(SerialSettings{}, &fields), "");
    DcbFields expected;
    expected.baudRate = 115200;
    expected.byteSize = 8;
    expected.parity = 0;
    expected.checkParity = false;
    expected.stopBits = kDcbTwoStopBits;
    expected.dtrControl = kDcbLineEnable;
    expected.rtsControl = kDcbLineEnable;
    EXPECT_EQ(fields, expected);
}

TEST(DcbSettings, MapsEachParityAndLineFlag) {
    const std::pair<char, int> parities[] = {{'N', 0}, {'O', 1}, {'E', 2}, {'M', 3}, {'S', 4}};
    for (const auto& [letter, value] : parities) {
        SerialSettings s;
        s.parity = letter;
        DcbFields fields;
        ASSERT_EQ(ApplySerialSettings(s, &fields), "") << letter;
        EXPECT_EQ(fields.parity, value) << letter;
        EXPECT_EQ(fields.checkParity, value != 0) << letter;
    }
    for (unsigned flags = 0; flags < 4; ++flags) {
        SerialSettings s;
        s.lineFlags = flags;
        s.stopBits = 1;
        DcbFields fields;
        ASSERT_EQ(ApplySerialSettings(s, &fields), "");
        EXPECT_EQ(fields.dtrControl, flags & 2 ? kDcbLineEnable : 0) << flags;
        EXPECT_EQ(fields.rtsControl, flags & 1 ? kDcbLineEnable : 0) << flags;
        EXPECT_EQ(fields.stopBits, kDcbOneStopBit);
    }
}

TEST(DcbSettings, RefusesWhatTheLineCannotBeAndChangesNothing) {
    SerialSettings bad[4];
    bad[0].baud = 0;
    bad[1].parity = 'X';
    bad[2].dataBits = 9;
    bad[3].stopBits = 3;
    for (const auto& s : bad) {
        DcbFields fields;
        fields.baudRate = 1234;
        EXPECT_NE(ApplySerialSettings(s, &fields), "");
        EXPECT_EQ(fields.baudRate, 1234u);
    }
}

TEST(DcbSettings, PortNamesOpenAsDevicePaths) {
    EXPECT_EQ(WindowsDevicePath("COM3"), "\\\\.\\COM3");
    EXPECT_EQ(WindowsDevicePath("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(WindowsDevicePath("\\\\.\\COM12"), "\\\\.\\COM12");
    EXPECT_EQ(WindowsDevicePath("\\\\?\\acpi#pnp0501#1"), "\\\\?\\acpi#pnp0501#1");
}
