#pragma once
// A switcher model on virtual time with one link attached, as a test sees it:
// send a unit, let time pass, read back the frames the device wrote.

#include <memory>
#include <string>
#include <vector>

#include "platform/virtual_loop.h"
#include "protocol/frames.h"
#include "protocol/serial_assembler.h"
#include "sim/switcher_model.h"
#include "support/bytes.h"

namespace torvane::sim::test {

using torvane::test::Hex;
using torvane::test::ToHex;

// "08 0C" -> the whole command frame A5 5B 08 0C 00 ... with its checksum.
inline std::vector<std::uint8_t> Command(const std::string& fromByte2) {
    std::vector<std::uint8_t> frame = Hex("A5 5B " + fromByte2);
    frame.resize(kCommandFrameSize, 0x00);
    CompleteUnit(frame.data(), frame.size());
    return frame;
}
inline std::string CommandHex(const std::string& fromByte2) { return ToHex(Command(fromByte2)); }

// The power query and the answer of a switcher that is on.
inline const std::string kPowerQuery = "A5 5B 08 0C 00 00 00 00 00 00 00 00 EC";
inline const std::string kPowerOn = "A5 5B 08 0C 0F 00 00 00 00 00 00 00 DD";

// The same for an acknowledgement frame beginning FE EF.
inline std::string AckHex(const std::string& fromByte2) {
    std::vector<std::uint8_t> frame = Hex("FE EF " + fromByte2);
    frame.resize(kCommandFrameSize, 0x00);
    CompleteUnit(frame.data(), frame.size());
    return ToHex(frame);
}

struct SimRig {
    explicit SimRig(LinkKind kind = LinkKind::kSerial) {
        link = model.Attach(kind, [this](const std::vector<std::uint8_t>& chunk) {
            writes.push_back(chunk);
            for (auto b : chunk) assembler.Feed(b);
        });
    }

    void Send(const std::vector<std::uint8_t>& unit) { link->Write(unit.data(), unit.size()); }
    void Send(const std::string& hex) { Send(Hex(hex)); }

    // Sends and lets the reply delay pass; returns the frames written meanwhile.
    std::vector<std::string> Exchange(const std::vector<std::uint8_t>& unit) {
        frames.clear();
        Send(unit);
        loop.Advance(model.Timing().replyDelayMs);
        return frames;
    }
    // The one frame written in answer, or "" when there is not exactly one.
    std::string Ask(const std::string& fromByte2) {
        auto got = Exchange(Command(fromByte2));
        return got.size() == 1 ? got.front() : "";
    }

    VirtualLoop loop;
    SwitcherModel model{loop};
    std::vector<std::vector<std::uint8_t>> writes;
    std::vector<std::string> frames;
    SerialFrameAssembler assembler{
        [this](const std::uint8_t* f, std::size_t n) { frames.push_back(ToHex(f, n)); }};
    std::unique_ptr<ModelLink> link;
};

}  // namespace torvane::sim::test
