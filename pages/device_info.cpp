// The Upgrade page's device information: the chain of device-type, size and
// version queries that builds the device line, and the device text, read in
// four parts of eight characters and written through the hidden editor.

#include <algorithm>
#include <string>

#include "pages/fw_dlg.h"
#include "res/upgrade_page_ids.h"
#include "ui/message_dlg.h"
#include "ui/text_codec.h"

namespace torvane {
namespace {

constexpr std::uint8_t kDeviceInfoGroup = 0x01;
constexpr std::uint8_t kDeviceInfoMark = 0xCC;
constexpr std::uint8_t kDeviceTextGroup = 0xFA;
constexpr std::uint8_t kFirstWrite = 0x21;
constexpr std::uint8_t kLastWrite = 0x24;
constexpr std::uint8_t kFirstRead = 0x25;
constexpr std::uint8_t kLastRead = 0x28;
constexpr std::size_t kHalfLength = 16;

const char* DeviceTypeName(std::uint8_t type) {
    switch (type) {
        case 0x01:
            return "HDMI Matrix";
        case 0x02:
            return "HDBT Matrix";
        default:
            return "HDMI/HDBT Matrix";
    }
}

// Eight characters, each the byte of the same code.
std::string Characters(const std::uint8_t* frame) { return Latin1ToUtf8(frame + 4, 8); }

// The half as the device takes it: each character as the byte of its code,
// then spaces. False, and the half untouched, when a character has no byte.
bool FillHalf(std::uint8_t (&half)[kHalfLength], const std::string& text) {
    const std::optional<std::string> bytes = Utf8ToLatin1(FirstCharacters(text, kHalfLength));
    if (!bytes) return false;
    std::fill(std::begin(half), std::end(half), std::uint8_t{' '});
    std::copy(bytes->begin(), bytes->end(), std::begin(half));
    return true;
}

}  // namespace

bool CFWDlg::OnDeviceInfoReply(const std::uint8_t* f) {
    if (f[0] != kCommandHeader0) return false;
    if (f[2] == kDeviceTextGroup) {
        OnDeviceTextReply(f);
        return true;
    }
    if (f[2] != kDeviceInfoGroup || f[10] != kDeviceInfoMark) return false;
    switch (f[3]) {
        case 0x01:
            // Each type answer begins the line afresh, so a chain cut short
            // before its version answer leaves nothing for the next one.
            deviceLine_ = DeviceTypeName(f[4]);
            if (f[11] == kDeviceInfoMark) OnRebootAnswer();
            SendDeviceQuery(0x02);
            return true;
        case 0x02:
            deviceLine_ =
                "Device: " + deviceLine_ + " " + std::to_string(f[4]) + "x" + std::to_string(f[6]);
            SendDeviceQuery(0x03);
            return true;
        case 0x03:
            deviceLine_ += "     Version:" + std::to_string(f[4]) + "." + std::to_string(f[6]);
            Table().SetText(res::kDeviceLineLabel, deviceLine_);
            deviceLine_.clear();
            host_.Buffers().BeginCommand(kDeviceTextGroup, kFirstRead);
            host_.PostSendRequest(static_cast<int>(SendRequest::kCommandFromUpgrade));
            host_.ReopenBusyGate();
            return true;
        default:
            return false;
    }
}

void CFWDlg::SendDeviceQuery(std::uint8_t command) {
    host_.Buffers().BeginCommand(kDeviceInfoGroup, command)[10] = kDeviceInfoMark;
    host_.PostSendRequest(static_cast<int>(SendRequest::kCommandFromUpgrade));
}

void CFWDlg::OnDeviceTextReply(const std::uint8_t* f) {
    const std::uint8_t command = f[3];
    auto readNext = [this, command] {
        // The read frames differ only in their command byte.
        host_.Buffers().Command()[3] = static_cast<std::uint8_t>(command + 1);
        host_.PostSendRequest(static_cast<int>(SendRequest::kCommandFromUpgrade));
    };
    switch (command) {
        case kFirstRead:
            deviceText_ = firstHalf_ = Characters(f);
            readNext();
            return;
        case kFirstRead + 1:
            deviceText_ += Characters(f);
            firstHalf_ += Characters(f);
            Table().SetText(res::kDeviceTextFirstHalf, firstHalf_);
            firstHalf_.clear();
            readNext();
            return;
        case kFirstRead + 2:
            deviceText_ += Characters(f);
            secondHalf_ = Characters(f);
            readNext();
            return;
        case kLastRead:
            deviceText_ += Characters(f);
            secondHalf_ += Characters(f);
            Table().SetText(res::kDeviceTextSecondHalf, secondHalf_);
            Table().SetText(res::kDeviceTextLabel, deviceText_);
            secondHalf_.clear();
            deviceText_.clear();
            ++deviceTextReads_;
            host_.ReopenBusyGate();
            return;
        default:
            break;
    }
    if (command >= kFirstWrite && command <= kLastWrite && f[4] == 0x00) {
        if (command == kLastWrite) {
            host_.Message().ShowMessage("Set successfully!", [this] {
                host_.Buffers().BeginCommand(kDeviceTextGroup, kFirstRead);
                host_.PostSendRequest(static_cast<int>(SendRequest::kCommandFromUpgrade));
            });
            return;
        }
        const int next = command - kFirstWrite + 1;  // the part to write now, 0 to 3
        const std::uint8_t* half = next < 2 ? outgoingFirst_ : outgoingSecond_;
        SendDeviceText(static_cast<std::uint8_t>(kFirstWrite + next), half + (next % 2) * 8);
        return;
    }
    host_.ReopenBusyGate();
}

void CFWDlg::WriteDeviceText() {
    if (!IsOpen()) return;
    std::uint8_t first[kHalfLength], second[kHalfLength];
    if (!FillHalf(first, Controls().Text(res::kDeviceTextFirstHalf)) ||
        !FillHalf(second, Controls().Text(res::kDeviceTextSecondHalf))) {
        host_.Message().ShowMessage(kLatin1Only);
        return;
    }
    std::copy_n(first, kHalfLength, outgoingFirst_);
    std::copy_n(second, kHalfLength, outgoingSecond_);
    SendDeviceText(kFirstWrite, outgoingFirst_);
}

void CFWDlg::SendDeviceText(std::uint8_t command, const std::uint8_t* chars) {
    auto& frame = host_.Buffers().BeginCommand(kDeviceTextGroup, command);
    std::copy_n(chars, 8, frame.begin() + 4);
    host_.PostSendRequest(static_cast<int>(SendRequest::kCommandFromUpgrade));
}

}  // namespace torvane
