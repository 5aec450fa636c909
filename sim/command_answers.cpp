// The switcher's answer to each command frame, by group. Its bytes are
// spelled here, not taken from the program's command builders and reply
// view: as a model of the device of its own, it answers a byte the program
// misreads as the device would, where a shared spelling would carry the
// same misreading on both sides.

#include "sim/switcher_model.h"

namespace torvane::sim {
namespace {

constexpr std::uint8_t kOn = 0x0F;
constexpr std::uint8_t kOff = 0xF0;
constexpr std::uint8_t kRefused = 0xEE;       // byte 4 of a command the device cannot carry out
constexpr std::uint8_t kEdidRejected = 0x0F;  // byte 4 of an EDID operation that failed
constexpr std::uint8_t kEdidBlockRequest = 0xAA;
constexpr std::uint8_t kEdidStart = 0x56;
constexpr std::uint8_t kBeepOnMark = 0xDD;
constexpr std::uint8_t kNotReady = 0x01;

bool IsPort(std::uint8_t n) { return n >= 1 && n <= kPorts; }

SwitcherModel::Answer Reply(const CommandFrame& request,
                            std::initializer_list<std::uint8_t> fromByte4) {
    return {SwitcherModel::Answer::kReply, MakeReply(request[2], request[3], fromByte4)};
}

SwitcherModel::Answer Refuse(const CommandFrame& request) { return Reply(request, {kRefused}); }

// EDID operations confirm with bytes 6 and 7 of their request, which the
// program compares with what it sent.
SwitcherModel::Answer EdidResult(const CommandFrame& request, bool done) {
    return Reply(request,
                 {done ? std::uint8_t{0x00} : kEdidRejected, 0x00, request[6], request[7]});
}

}  // namespace

SwitcherModel::Answer SwitcherModel::AnswerCommand(const CommandFrame& request) {
    if (phase_ == UpgradePhase::kRestarting) return {Answer::kNoReply, {}};
    switch (request[2]) {
        case 0x01:
            return AnswerQuery(request);
        case 0x02: {
            const std::uint8_t first = request[4];
            const std::uint8_t output = request[6];
            if (request[3] == 0x01 && IsPort(first))
                return Reply(request, {first, 0x00, state_.routing[first - 1]});
            if (request[3] == 0x03 && IsPort(first) && IsPort(output)) {
                state_.routing[output - 1] = first;
                return Reply(request, {0x00, 0x00, output, 0x00, 0x00, 0x00, first});
            }
            return Refuse(request);
        }
        case 0x03:
            return AnswerEdid(request);
        case 0x06: {
            const std::uint8_t wanted = request[4];
            if (request[3] != 0x01 || (wanted != kOn && wanted != kOff)) return Refuse(request);
            state_.beepOn = wanted == kOn;
            return Reply(request, {0x00, 0x00, state_.beepOn ? kBeepOnMark : std::uint8_t{0x00}});
        }
        case 0x08:
            return AnswerSystem(request);
        case 0x10: {
            const std::uint8_t output = request[6];
            if (!IsPort(output)) return Refuse(request);
            if (request[3] == 0x02)
                return Reply(request, {state_.arcOn[output - 1] ? kOn : kOff, 0x00, output});
            const std::uint8_t wanted = request[4];
            if (request[3] != 0x01 || (wanted != kOn && wanted != kOff)) return Refuse(request);
            state_.arcOn[output - 1] = wanted == kOn;
            return Reply(request, {0x00, 0x00, output, 0x00, 0x00, 0x00, wanted});
        }
        case 0xFA:
            return AnswerDeviceText(request);
        default:
            return Refuse(request);
    }
}

SwitcherModel::Answer SwitcherModel::AnswerQuery(const CommandFrame& request) {
    const Identity& id = state_.identity;
    const std::uint8_t n = request[4];
    // Device-information answers repeat the request's markers in bytes 10
    // and 11 (CC CC names the poll after a firmware restart).
    const std::uint8_t mark10 = request[10];
    const std::uint8_t mark11 = request[11];
    switch (request[3]) {
        case 0x01:
            return Reply(request, {id.deviceType, 0, 0, 0, 0, 0, mark10, mark11});
        case 0x02:
            return Reply(request, {id.inputs, 0, id.outputs, 0, 0, 0, mark10, mark11});
        case 0x03:
            return Reply(request, {id.versionMajor, 0, id.versionMinor, 0, 0, 0, mark10, mark11});
        case 0x04:
        case 0x05: {
            if (!IsPort(n)) return Refuse(request);
            const auto& connected =
                request[3] == 0x04 ? state_.inputConnected : state_.outputConnected;
            return Reply(request,
                         {n, 0x00, connected[n - 1] ? std::uint8_t{0x00} : std::uint8_t{0x01}});
        }
        case 0x0B:
            return Reply(request, {0x00, 0x00, state_.beepOn ? std::uint8_t{0x00} : kOff});
        case 0x0C:
            if (!IsPort(n)) return Refuse(request);
            return Reply(request, {n, 0x00, state_.edidCode[n - 1]});
        default:
            return Refuse(request);
    }
}

SwitcherModel::Answer SwitcherModel::AnswerEdid(const CommandFrame& request) {
    const std::uint8_t a = request[4];
    const std::uint8_t input = request[6];
    auto setAll = [&](std::uint8_t code) { state_.edidCode.fill(code); };
    switch (request[3]) {
        case 0x01:  // preset a on all inputs; presets travel as position + 1
        case 0x02: {
            const bool all = request[3] == 0x01;
            const bool ok = a >= 0x01 && a <= kLastPresetCode + 1 && (all || IsPort(input));
            if (ok && all) setAll(static_cast<std::uint8_t>(a - 1));
            if (ok && !all) state_.edidCode[input - 1] = static_cast<std::uint8_t>(a - 1);
            return EdidResult(request, ok);
        }
        case 0x03:  // copy output a's EDID; only a connected display has one
        case 0x04: {
            const bool all = request[3] == 0x03;
            const bool ok = IsPort(a) && state_.outputConnected[a - 1] && (all || IsPort(input));
            const auto code = static_cast<std::uint8_t>(kFirstCopyCode + a - 1);
            if (ok && all) setAll(code);
            if (ok && !all) state_.edidCode[input - 1] = code;
            return EdidResult(request, ok);
        }
        case 0x08:
            edidTarget_.reset();
            return Reply(request, {0x00});
        case 0x06:
        case 0x07: {
            const bool all = request[3] == 0x06;
            if (a == kEdidStart && request[7] == 0x01) {
                const bool targeted = edidTarget_ && (*edidTarget_ == 0) == all;
                if (!targeted) return EdidResult(request, false);
                return {Answer::kAwaitRawBlock, {}};
            }
            if (!all && !IsPort(a)) return EdidResult(request, false);
            edidTarget_ = all ? 0 : a;
            return Reply(request, {kEdidBlockRequest, 0x00});
        }
        default:
            return Refuse(request);
    }
}

CommandFrame SwitcherModel::AnswerRawBlock(const CommandFrame& start, const RawBlock& block) {
    state_.lastEdidBlock = block;
    state_.edidBlockReceived = true;
    const bool ok = FindValidEdid(block).has_value() && edidTarget_.has_value();
    if (ok && *edidTarget_ == 0) state_.edidCode.fill(kWrittenEdidCode);
    if (ok && *edidTarget_ != 0) state_.edidCode[*edidTarget_ - 1] = kWrittenEdidCode;
    edidTarget_.reset();
    return EdidResult(start, ok).frame;
}

CommandFrame SwitcherModel::RejectEdidWrite(const CommandFrame& start) {
    edidTarget_.reset();
    return EdidResult(start, false).frame;
}

SwitcherModel::Answer SwitcherModel::AnswerSystem(const CommandFrame& request) {
    switch (request[3]) {
        case 0x07:
            StartUpgrade();
            return Reply(request, {0x00});
        case 0x08:
            return Reply(request,
                         {phase_ == UpgradePhase::kReceiving ? std::uint8_t{0x00} : kNotReady});
        case 0x0A:
            state_.FactoryReset();
            return Reply(request, {0x00});
        case 0x0B: {
            const std::uint8_t wanted = request[4];
            if (wanted != kOn && wanted != kOff) return Refuse(request);
            state_.powerOn = wanted == kOn;
            return Reply(request, {0x00, 0x00, wanted});
        }
        case 0x0C:
            return Reply(request, {state_.powerOn ? kOn : kOff});
        case 0x0D:
            return Reply(request, {0x00});
        default:
            return Refuse(request);
    }
}

SwitcherModel::Answer SwitcherModel::AnswerDeviceText(const CommandFrame& request) {
    const std::uint8_t k = request[3];
    const bool write = k >= 0x21 && k <= 0x24;
    const bool read = k >= 0x25 && k <= 0x28;
    if (!write && !read) return Refuse(request);
    const std::size_t at = static_cast<std::size_t>((k - (write ? 0x21 : 0x25)) * 8);
    CommandFrame reply = MakeReply(request[2], k);
    for (std::size_t i = 0; i < 8; ++i) {
        if (write)
            state_.deviceText[at + i] = static_cast<char>(request[4 + i]);
        else
            reply[4 + i] = static_cast<std::uint8_t>(state_.deviceText[at + i]);
    }
    CompleteUnit(reply.data(), reply.size());
    return {Answer::kReply, reply};
}

}  // namespace torvane::sim
