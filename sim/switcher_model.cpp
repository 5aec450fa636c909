#include "sim/switcher_model.h"

#include <algorithm>

#include "sim/one_shot.h"

namespace torvane::sim {
namespace {

// A power-off report: if a program took it for the answer to its request, it
// would show, so an unasked frame that gets through is easy to see.
const std::vector<std::uint8_t> kDefaultExtraFrame{0xA5, 0x5B, 0x08, 0x0C, 0xF0};

// A frame given short (header, group, command and the bytes that matter) is
// padded with 00 to 13 bytes; a 13-byte frame then gets its checksum. Other
// bytes go out as they are.
std::vector<std::uint8_t> AsFrame(std::vector<std::uint8_t> bytes) {
    const bool header =
        bytes.size() >= 2 && ((bytes[0] == kCommandHeader0 && bytes[1] == kCommandHeader1) ||
                              (bytes[0] == kDataHeader0 && bytes[1] == kDataHeader1));
    if (header && bytes.size() < kCommandFrameSize) bytes.resize(kCommandFrameSize, 0x00);
    if (header) CompleteUnit(bytes.data(), bytes.size());
    return bytes;
}

}  // namespace

CommandFrame MakeReply(std::uint8_t group, std::uint8_t command,
                       std::initializer_list<std::uint8_t> fromByte4) {
    CommandFrame frame{};
    frame[0] = kCommandHeader0;
    frame[1] = kCommandHeader1;
    frame[2] = group;
    frame[3] = command;
    std::copy_n(fromByte4.begin(), std::min<std::size_t>(fromByte4.size(), 8), frame.begin() + 4);
    CompleteUnit(frame.data(), frame.size());
    return frame;
}

// ---- ModelLink ----

ModelLink::ModelLink(SwitcherModel& model, LinkKind kind, Output output, HangUp hangUp)
    : model_(model),
      kind_(kind),
      output_(std::move(output)),
      hangUp_(std::move(hangUp)),
      parser_([this](UnitKind k, const std::vector<std::uint8_t>& unit) { OnUnit(k, unit); }),
      self_(std::make_shared<ModelLink*>(this)) {}

ModelLink::~ModelLink() {
    *self_ = nullptr;
    model_.Detach(this);
}

void ModelLink::Write(const std::uint8_t* bytes, std::size_t count) { parser_.Feed(bytes, count); }

void ModelLink::OnUnit(UnitKind kind, const std::vector<std::uint8_t>& unit) {
    model_.OnUnit(*this, kind, unit);
}

void ModelLink::OnRawBlockOverdue(unsigned expectation) {
    if (expectation != rawExpectation_ || !parser_.ExpectingRawBlock()) return;
    parser_.Reset();
    model_.Emit(*this, model_.RejectEdidWrite(pendingStart_));
}

void ModelLink::Deliver(std::vector<std::uint8_t> chunk, bool glue) {
    const SwitcherFaults& faults = model_.Faults();
    if (kind_ == LinkKind::kTcp && glue && heldForGlue_.empty()) {
        heldForGlue_ = std::move(chunk);
        return;
    }
    if (!heldForGlue_.empty()) {
        // What was held goes out with this write, glued or not.
        heldForGlue_.insert(heldForGlue_.end(), chunk.begin(), chunk.end());
        chunk.swap(heldForGlue_);
        heldForGlue_.clear();
    }
    if (kind_ == LinkKind::kTcp && faults.tcpBytewise) {
        const bool idle = dripping_.empty();
        dripping_.insert(dripping_.end(), chunk.begin(), chunk.end());
        if (idle) DripNextByte();
        return;
    }
    const auto splitAt = static_cast<std::size_t>(std::max(faults.tcpSplitAt, 0));
    if (kind_ == LinkKind::kTcp && splitAt > 0 && splitAt < chunk.size()) {
        std::vector<std::uint8_t> rest(chunk.begin() + static_cast<long>(splitAt), chunk.end());
        chunk.resize(splitAt);
        output_(chunk);
        std::weak_ptr<ModelLink*> alive = self_;
        RunAfter(model_.Loop(), faults.tcpSplitGapMs, [alive, rest] {
            if (auto link = alive.lock(); link && *link) (*link)->output_(rest);
        });
        return;
    }
    output_(chunk);
}

void ModelLink::DripNextByte() {
    if (dripping_.empty()) return;
    output_({dripping_.front()});
    dripping_.pop_front();
    if (dripping_.empty()) return;
    std::weak_ptr<ModelLink*> alive = self_;
    RunAfter(model_.Loop(), std::max(model_.Faults().tcpSplitGapMs, 1), [alive] {
        if (auto link = alive.lock(); link && *link) (*link)->DripNextByte();
    });
}

// ---- SwitcherModel ----

SwitcherModel::SwitcherModel(EventLoop& loop)
    : loop_(loop), self_(std::make_shared<SwitcherModel*>(this)) {}

SwitcherModel::~SwitcherModel() { *self_ = nullptr; }

std::unique_ptr<ModelLink> SwitcherModel::Attach(LinkKind kind, ModelLink::Output output,
                                                 ModelLink::HangUp hangUp) {
    auto link = std::make_unique<ModelLink>(*this, kind, std::move(output), std::move(hangUp));
    links_.insert(link.get());
    return link;
}

void SwitcherModel::ClearHistory() {
    received_.clear();
    replies_.clear();
}

void SwitcherModel::OnUnit(ModelLink& link, UnitKind kind, const std::vector<std::uint8_t>& unit) {
    received_.push_back(unit);
    ++unitsReceived_;
    if (FaultsArmed() && faults_.hangUp && link.hangUp_) {
        // The line goes dead on the loop's next turn, not inside the parser
        // that is delivering this unit.
        faults_.hangUp = false;
        std::weak_ptr<ModelLink*> alive = link.self_;
        loop_.Post([alive] {
            auto l = alive.lock();
            if (!l || !*l) return;
            // A copy: hanging up destroys the link and its callback with it.
            const ModelLink::HangUp hangUp = (*l)->hangUp_;
            hangUp();
        });
        return;
    }
    switch (kind) {
        case UnitKind::kCommandFrame: {
            CommandFrame request;
            std::copy(unit.begin(), unit.end(), request.begin());
            // A corrupted request goes unanswered; the program's resend covers it.
            if (!HasValidChecksum(request.data())) return;
            for (const auto& lost : faults_.ignoredCommands)
                if (lost[0] == request[2] && lost[1] == request[3]) return;
            for (const auto& replaced : faults_.replacedAnswers) {
                if (replaced.command[0] != request[2] || replaced.command[1] != request[3])
                    continue;
                const auto bytes = AsFrame(replaced.frame);
                CommandFrame reply{};
                std::copy_n(bytes.begin(), std::min(bytes.size(), reply.size()), reply.begin());
                Emit(link, reply);
                return;
            }
            const Answer answer = AnswerCommand(request);
            if (answer.kind == Answer::kReply) Emit(link, answer.frame);
            if (answer.kind != Answer::kAwaitRawBlock) return;
            link.parser_.ExpectRawBlock();
            link.pendingStart_ = request;
            const unsigned expectation = ++link.rawExpectation_;
            std::weak_ptr<ModelLink*> alive = link.self_;
            RunAfter(loop_, timing_.rawBlockWaitMs, [alive, expectation] {
                if (auto l = alive.lock(); l && *l) (*l)->OnRawBlockOverdue(expectation);
            });
            return;
        }
        case UnitKind::kDataFrame:
            if (auto ack = AnswerDataFrame(unit)) Emit(link, *ack);
            return;
        case UnitKind::kRawBlock: {
            RawBlock block;
            std::copy(unit.begin(), unit.end(), block.begin());
            Emit(link, AnswerRawBlock(link.pendingStart_, block));
            return;
        }
    }
}

bool SwitcherModel::FaultsArmed() const {
    const long after = faults_.faultsAfterUnits;
    return unitsReceived_ > after &&
           (faults_.faultsForUnits <= 0 || unitsReceived_ <= after + faults_.faultsForUnits);
}

void SwitcherModel::Emit(ModelLink& link, CommandFrame reply) {
    const bool armed = FaultsArmed();
    if (armed && faults_.silent) return;
    if (armed && faults_.dropNextReplies > 0) {
        --faults_.dropNextReplies;
        return;
    }
    if (armed && faults_.badChecksumReplies > 0) {
        --faults_.badChecksumReplies;
        reply[12] = static_cast<std::uint8_t>(reply[12] + 1);
    }
    replies_.push_back(reply);

    std::vector<std::vector<std::uint8_t>> chunks;
    if (armed)
        chunks.emplace_back(faults_.garbageBeforeReply);
    else
        chunks.emplace_back();
    chunks.back().insert(chunks.back().end(), reply.begin(), reply.end());
    for (int i = 0; armed && i < faults_.extraFramesPerReply; ++i) {
        chunks.push_back(
            AsFrame(faults_.extraFrame.empty() ? kDefaultExtraFrame : faults_.extraFrame));
    }
    std::weak_ptr<ModelLink*> alive = link.self_;
    const bool glue = armed && faults_.tcpGlue;
    RunAfter(loop_, timing_.replyDelayMs, [alive, glue, chunks = std::move(chunks)] {
        for (const auto& chunk : chunks) {
            auto l = alive.lock();
            if (!l || !*l) return;
            (*l)->Deliver(chunk, glue);
        }
    });
}

void SwitcherModel::SendUnsolicited(std::vector<std::uint8_t> bytes) {
    bytes = AsFrame(std::move(bytes));
    for (ModelLink* link : links_) {
        std::weak_ptr<ModelLink*> alive = link->self_;
        loop_.Post([alive, bytes] {
            if (auto l = alive.lock(); l && *l) (*l)->output_(bytes);
        });
    }
}

// ---- Firmware upgrade ----

void SwitcherModel::StartUpgrade() {
    phase_ = UpgradePhase::kPreparing;
    const unsigned epoch = ++phaseEpoch_;
    expectedBlock_ = 0;
    firmware_.clear();
    std::weak_ptr<SwitcherModel*> alive = self_;
    RunAfter(loop_, timing_.readyDelayMs, [alive, epoch] {
        auto model = alive.lock();
        if (!model || !*model) return;
        SwitcherModel& m = **model;
        if (m.phaseEpoch_ == epoch && m.phase_ == UpgradePhase::kPreparing)
            m.phase_ = UpgradePhase::kReceiving;
    });
}

void SwitcherModel::StartRestart() {
    phase_ = UpgradePhase::kRestarting;
    const unsigned epoch = ++phaseEpoch_;
    Identity& id = state_.identity;
    if (++id.versionMinor == 0) ++id.versionMajor;
    if (faults_.noRestartAnswer) return;
    std::weak_ptr<SwitcherModel*> alive = self_;
    RunAfter(loop_, timing_.restartMs, [alive, epoch] {
        auto model = alive.lock();
        if (model && *model && (*model)->phaseEpoch_ == epoch) (*model)->EndRestart();
    });
}

void SwitcherModel::EndRestart() {
    if (phase_ != UpgradePhase::kRestarting) return;
    phase_ = UpgradePhase::kIdle;
    ++phaseEpoch_;
}

std::optional<CommandFrame> SwitcherModel::AnswerDataFrame(const std::vector<std::uint8_t>& frame) {
    if (phase_ == UpgradePhase::kRestarting || frame.size() != kDataFrameSize) return std::nullopt;
    const std::uint8_t flag = frame[2];
    const std::uint8_t block = frame[3];
    auto ack = [&](BlockResult result, std::uint8_t echoedFlag = 0) {
        CommandFrame out = MakeReply(0, 0, {static_cast<std::uint8_t>(result)});
        out[0] = kDataHeader0;
        out[1] = kDataHeader1;
        out[2] = echoedFlag;
        out[3] = block;
        CompleteUnit(out.data(), out.size());
        return out;
    };
    if (Checksum(frame.data(), kDataFrameSize - 1) != frame[kDataFrameSize - 1])
        return ack(BlockResult::kSendAgain);
    if (phase_ != UpgradePhase::kReceiving) return ack(BlockResult::kAbort);

    if (faults_.faultBlock == block && faults_.faultBlockTimes > 0) {
        --faults_.faultBlockTimes;
        if (faults_.faultBlockResult == BlockResult::kAbort) phase_ = UpgradePhase::kIdle;
        return ack(faults_.faultBlockResult);
    }
    const auto expected = static_cast<std::uint8_t>(expectedBlock_);
    if (block == static_cast<std::uint8_t>(expected - 1) && expectedBlock_ > 0)
        return ack(BlockResult::kReceived);  // a repeat of a block already taken
    if (block != expected) {
        phase_ = UpgradePhase::kIdle;
        return ack(BlockResult::kAbort);
    }
    firmware_.insert(firmware_.end(), frame.begin() + 4, frame.begin() + 4 + kDataPayloadSize);
    ++expectedBlock_;
    if (flag != kLastBlockFlag) return ack(BlockResult::kReceived);
    if (faults_.unechoedLastBlocks > 0) {
        // Taken as an ordinary block: the program then sends one more.
        --faults_.unechoedLastBlocks;
        return ack(BlockResult::kReceived);
    }
    StartRestart();
    return ack(BlockResult::kReceived, kLastBlockFlag);
}

}  // namespace torvane::sim
