#include "protocol/commands.h"

#include <algorithm>

namespace torvane {
namespace {

std::uint8_t Byte(int value) { return static_cast<std::uint8_t>(value); }

std::uint8_t State(bool on) { return on ? kStateOn : kStateOff; }

}  // namespace

CommandFrame Command(Op op) {
    CommandFrame frame{};
    frame[0] = kCommandHeader0;
    frame[1] = kCommandHeader1;
    frame[2] = op.group;
    frame[3] = op.command;
    return frame;
}

CommandFrame InputStateQuery(int input) {
    CommandFrame frame = Command(op::kInputState);
    frame[4] = Byte(input);
    return frame;
}

CommandFrame OutputStateQuery(int output) {
    CommandFrame frame = Command(op::kOutputState);
    frame[4] = Byte(output);
    return frame;
}

CommandFrame BeepStateQuery() { return Command(op::kBeepState); }

CommandFrame BeepSet(bool on) {
    CommandFrame frame = Command(op::kBeepSet);
    frame[4] = State(on);
    frame[6] = on ? kBeepOnMark : 0x00;
    return frame;
}

CommandFrame PowerStateQuery() { return Command(op::kPowerState); }

CommandFrame PowerSet(bool on) {
    CommandFrame frame = Command(op::kPowerSet);
    frame[4] = State(on);
    frame[6] = State(on);
    return frame;
}

CommandFrame FactoryReset() { return Command(op::kFactoryReset); }

CommandFrame Reboot() { return Command(op::kReboot); }

CommandFrame EdidStateQuery(int input) {
    CommandFrame frame = Command(op::kEdidState);
    frame[4] = Byte(input);
    return frame;
}

CommandFrame MatrixQuery(int output) {
    CommandFrame frame = Command(op::kMatrixStatus);
    frame[4] = Byte(output);
    return frame;
}

CommandFrame Route(int input, int output) {
    CommandFrame frame = Command(op::kRoute);
    frame[4] = Byte(input);
    frame[6] = Byte(output);
    return frame;
}

CommandFrame ArcSet(int output, bool on) {
    CommandFrame frame = Command(op::kArcSet);
    frame[4] = State(on);
    frame[6] = Byte(output);
    frame[10] = State(on);
    return frame;
}

CommandFrame ArcQuery(int output) {
    CommandFrame frame = Command(op::kArcStatus);
    frame[6] = Byte(output);
    return frame;
}

CommandFrame EdidPreset(int code, int input) {
    CommandFrame frame = Command(input == 0 ? op::kEdidPresetAll : op::kEdidPreset);
    frame[4] = Byte(code);
    frame[5] = 0xF0;
    frame[6] = Byte(input);
    return frame;
}

CommandFrame EdidCopy(int output, int input) {
    CommandFrame frame = Command(input == 0 ? op::kEdidCopyAll : op::kEdidCopy);
    frame[4] = Byte(output);
    frame[6] = Byte(input);
    return frame;
}

CommandFrame EdidFileAnnounce() {
    CommandFrame frame = Command(op::kEdidFileAnnounce);
    frame[4] = 0xF0;
    frame[10] = kEdidFileMark;
    return frame;
}

CommandFrame EdidFileTarget(int input) {
    CommandFrame frame = Command(input == 0 ? op::kEdidFileAll : op::kEdidFileOne);
    frame[4] = input == 0 ? 0xFE : Byte(input);
    frame[5] = 0xF0;
    return frame;
}

CommandFrame EdidFileStart(int input) {
    CommandFrame frame = Command(input == 0 ? op::kEdidFileAll : op::kEdidFileOne);
    frame[4] = 0x56;
    frame[7] = 0x01;
    return frame;
}

CommandFrame DeviceQuery(std::uint8_t item) {
    CommandFrame frame = Command({op::kDeviceType.group, item});
    frame[10] = kDeviceQueryMark;
    return frame;
}

CommandFrame RebootPoll() {
    CommandFrame frame = DeviceQuery(op::kDeviceType.command);
    frame[11] = kDeviceQueryMark;
    return frame;
}

CommandFrame UpgradeRequest() { return Command(op::kUpgradeRequest); }

CommandFrame UpgradeReadyPoll() { return Command(op::kUpgradeReady); }

CommandFrame DeviceTextRead(std::uint8_t command) {
    return Command({op::kDeviceTextGroup, command});
}

CommandFrame DeviceTextWrite(std::uint8_t command, const std::uint8_t* chars) {
    CommandFrame frame = Command({op::kDeviceTextGroup, command});
    std::copy_n(chars, 8, frame.begin() + 4);
    return frame;
}

}  // namespace torvane
