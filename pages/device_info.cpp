// The Upgrade page's device information: the chain of device-type, size and
// version queries that builds the device line, and the device text, read in
// four parts of eight characters and written through the hidden editor.

#include <algorithm>
#include <string>

#include "pages/fw_dlg.h"
#include "protocol/commands.h"
#include "res/upgrade_page_ids.h"
#include "ui/message_dlg.h"
#include "ui/text_codec.h"

namespace torvane {
namespace {

using op::kFirstTextRead;
using op::kFirstTextWrite;
using op::kLastTextRead;
using op::kLastTextWrite;
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
std::string Characters(const ReplyView& reply) { return Latin1ToUtf8(reply.Payload(), 8); }

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

bool CFWDlg::OnDeviceInfoReply(const std::uint8_t* frame) {
    const ReplyView r(frame);
    if (!r.IsCommandFrame()) return false;
    if (r.Group() == op::kDeviceTextGroup) {
        OnDeviceTextReply(r);
        return true;
    }
    if (r.Group() != op::kDeviceType.group || r.Mark() != kDeviceQueryMark) return false;
    switch (r.Command()) {
        case op::kDeviceType.command:
            // Each type answer begins the line afresh, so a chain cut short
            // before its version answer leaves nothing for the next one.
            deviceLine_ = DeviceTypeName(r.First());
            if (r.SecondMark() == kDeviceQueryMark) OnRebootAnswer(r);
            SendDeviceQuery(op::kDeviceSize.command);
            return true;
        case op::kDeviceSize.command:
            deviceLine_ = "Device: " + deviceLine_ + " " + std::to_string(r.First()) + "x" +
                          std::to_string(r.Third());
            SendDeviceQuery(op::kFirmwareVersion.command);
            return true;
        case op::kFirmwareVersion.command:
            deviceLine_ +=
                "     Version:" + std::to_string(r.First()) + "." + std::to_string(r.Third());
            Table().SetText(res::kDeviceLineLabel, deviceLine_);
            deviceLine_.clear();
            host_.Buffers().Write(DeviceTextRead(kFirstTextRead));
            host_.PostSendRequest(SendRequest::kCommandFromUpgrade);
            host_.ReopenBusyGate();
            return true;
        default:
            return false;
    }
}

void CFWDlg::SendDeviceQuery(std::uint8_t command) {
    host_.Buffers().Write(DeviceQuery(command));
    host_.PostSendRequest(SendRequest::kCommandFromUpgrade);
}

void CFWDlg::OnDeviceTextReply(const ReplyView& f) {
    const std::uint8_t command = f.Command();
    auto readNext = [this, command] {
        host_.Buffers().Write(DeviceTextRead(static_cast<std::uint8_t>(command + 1)));
        host_.PostSendRequest(SendRequest::kCommandFromUpgrade);
    };
    switch (command) {
        case kFirstTextRead:
            deviceText_ = firstHalf_ = Characters(f);
            readNext();
            return;
        case kFirstTextRead + 1:
            deviceText_ += Characters(f);
            firstHalf_ += Characters(f);
            Table().SetText(res::kDeviceTextFirstHalf, firstHalf_);
            firstHalf_.clear();
            readNext();
            return;
        case kFirstTextRead + 2:
            deviceText_ += Characters(f);
            secondHalf_ = Characters(f);
            readNext();
            return;
        case kLastTextRead:
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
    if (command >= kFirstTextWrite && command <= kLastTextWrite && f.First() == kAcknowledged) {
        if (command == kLastTextWrite) {
            ++deviceTextWrites_;
            host_.Message().ShowMessage("Set successfully!", [this] {
                host_.Buffers().Write(DeviceTextRead(kFirstTextRead));
                host_.PostSendRequest(SendRequest::kCommandFromUpgrade);
            });
            return;
        }
        const int next = command - kFirstTextWrite + 1;  // the part to write now, 0 to 3
        const std::uint8_t* half = next < 2 ? outgoingFirst_ : outgoingSecond_;
        SendDeviceText(static_cast<std::uint8_t>(kFirstTextWrite + next), half + (next % 2) * 8);
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
    SendDeviceText(kFirstTextWrite, outgoingFirst_);
}

void CFWDlg::SendDeviceText(std::uint8_t command, const std::uint8_t* chars) {
    host_.Buffers().Write(DeviceTextWrite(command, chars));
    host_.PostSendRequest(SendRequest::kCommandFromUpgrade);
}

}  // namespace torvane
