#pragma once
// The simulated switcher: a model of the 8x8 matrix switcher that answers every
// unit the program sends, as the device does. It does no I/O of its own:
// bytes go in through a Link and replies come out through the Link's output
// callback; every delay (reply, upgrade ready, restart) is a timer on the
// event loop, so on VirtualLoop it runs in virtual time.
//
// Use:
//   VirtualLoop loop;
//   sim::SwitcherModel model(loop);
//   auto link = model.Attach(sim::LinkKind::kSerial,
//                            [&](const std::vector<uint8_t>& chunk) { ... });
//   link->Write(frame.data(), frame.size());
//   loop.Advance(model.Timing().replyDelayMs);   // the reply reaches the callback
//
// Each output chunk is what the device writes in one go (a reply with any
// garbage bytes the faults add before it). Tests change the device with
// State() (routing, ARC, EDID codes, connections, power, beep, identity,
// device text, network settings), its pacing with Timing() and its faults
// with Faults(); all three are read when each unit arrives, so they can be
// changed at any time. Usually the model is reached through SimLinkFactory
// (sim/in_process_links.h) rather than through Attach.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "platform/event_loop.h"
#include "protocol/frames.h"
#include "sim/edid_check.h"
#include "sim/switcher_settings.h"
#include "sim/switcher_state.h"
#include "sim/unit_parser.h"

namespace torvane::sim {

enum class LinkKind { kSerial, kTcp };

// Where a firmware upgrade stands.
enum class UpgradePhase { kIdle, kPreparing, kReceiving, kRestarting };

class SwitcherModel;

// One attachment to the model: its serial line or one TCP connection. Each
// link parses its own byte stream and gets the replies to what it sent.
class ModelLink {
  public:
    using Output = std::function<void(const std::vector<std::uint8_t>& chunk)>;
    // Cuts the line or closes the connection; the owner may destroy the link.
    using HangUp = std::function<void()>;

    ModelLink(SwitcherModel& model, LinkKind kind, Output output, HangUp hangUp = nullptr);
    ~ModelLink();
    ModelLink(const ModelLink&) = delete;
    ModelLink& operator=(const ModelLink&) = delete;

    // Bytes from the program, in any pieces.
    void Write(const std::uint8_t* bytes, std::size_t count);
    LinkKind Kind() const { return kind_; }

  private:
    friend class SwitcherModel;
    void OnUnit(UnitKind kind, const std::vector<std::uint8_t>& unit);
    void OnRawBlockOverdue(unsigned expectation);
    // One write of the device, with the TCP split, glue and bytewise faults
    // applied; `glue` holds it back for the next write.
    void Deliver(std::vector<std::uint8_t> chunk, bool glue);
    // Bytewise: writes the next waiting byte and schedules the one after.
    void DripNextByte();

    SwitcherModel& model_;
    LinkKind kind_;
    Output output_;
    HangUp hangUp_;
    UnitParser parser_;
    CommandFrame pendingStart_{};  // the EDID start frame waiting for its raw block
    unsigned rawExpectation_ = 0;  // counts start frames, to tell a stale wait
    std::vector<std::uint8_t> heldForGlue_;
    std::deque<std::uint8_t> dripping_;  // bytewise output still to write
    std::shared_ptr<ModelLink*> self_;   // lets delayed work find out the link is gone
};

class SwitcherModel {
  public:
    explicit SwitcherModel(EventLoop& loop);
    ~SwitcherModel();
    SwitcherModel(const SwitcherModel&) = delete;
    SwitcherModel& operator=(const SwitcherModel&) = delete;

    // `hangUp` serves the hang-up fault; without one the link never hangs up.
    std::unique_ptr<ModelLink> Attach(LinkKind kind, ModelLink::Output output,
                                      ModelLink::HangUp hangUp = nullptr);

    SwitcherState& State() { return state_; }
    const SwitcherState& State() const { return state_; }
    SwitcherTiming& Timing() { return timing_; }
    SwitcherFaults& Faults() { return faults_; }
    EventLoop& Loop() { return loop_; }

    // Writes `bytes` on every attached link now, as if the device spoke
    // unasked. Bytes beginning A5 5B or FE EF are made a whole frame: padded
    // with 00 to 13 bytes, checksum filled in.
    void SendUnsolicited(std::vector<std::uint8_t> bytes);

    // Network module: the answer to a datagram on the discovery port or the
    // configuration port, or nothing when the switcher stays quiet.
    std::optional<std::vector<std::uint8_t>> AnswerDiscovery(
        const std::vector<std::uint8_t>& request);
    std::optional<std::vector<std::uint8_t>> AnswerConfiguration(
        const std::vector<std::uint8_t>& packet);

    UpgradePhase Phase() const { return phase_; }
    // Payload bytes of every firmware block received in order, flag-80 block
    // included (so the image arrives padded with FF to a whole block).
    const std::vector<std::uint8_t>& FirmwareReceived() const { return firmware_; }
    // Ends a restart at once (also one held by the "no restart answer" fault).
    void EndRestart();

    // Everything received (whole units) and every reply emitted, in order.
    const std::vector<std::vector<std::uint8_t>>& ReceivedUnits() const { return received_; }
    const std::vector<CommandFrame>& Replies() const { return replies_; }
    void ClearHistory();

    // The answer to one command frame from the device's point of view, faults
    // and timing aside. Changes the state as the command says.
    struct Answer {
        enum Kind { kReply, kNoReply, kAwaitRawBlock } kind = kReply;
        CommandFrame frame{};
    };
    Answer AnswerCommand(const CommandFrame& request);
    // The same for a data frame and for the raw block after a start frame.
    std::optional<CommandFrame> AnswerDataFrame(const std::vector<std::uint8_t>& frame);
    CommandFrame AnswerRawBlock(const CommandFrame& start, const RawBlock& block);

  private:
    friend class ModelLink;
    void OnUnit(ModelLink& link, UnitKind kind, const std::vector<std::uint8_t>& unit);
    void Emit(ModelLink& link, CommandFrame reply);
    // Whether the reply faults act on the unit just received.
    bool FaultsArmed() const;
    void Detach(ModelLink* link) { links_.erase(link); }

    Answer AnswerQuery(const CommandFrame& request);
    Answer AnswerEdid(const CommandFrame& request);
    Answer AnswerSystem(const CommandFrame& request);
    Answer AnswerDeviceText(const CommandFrame& request);
    CommandFrame RejectEdidWrite(const CommandFrame& start);
    void StartUpgrade();
    void StartRestart();

    EventLoop& loop_;
    SwitcherState state_;
    SwitcherTiming timing_;
    SwitcherFaults faults_;
    std::set<ModelLink*> links_;

    UpgradePhase phase_ = UpgradePhase::kIdle;
    unsigned phaseEpoch_ = 0;        // tells stale ready and restart timers apart
    std::optional<int> edidTarget_;  // input of the EDID file write, 0 for all
    int expectedBlock_ = 0;
    std::vector<std::uint8_t> firmware_;

    std::vector<std::vector<std::uint8_t>> received_;
    std::vector<CommandFrame> replies_;
    long unitsReceived_ = 0;  // on every link since start, for faultsAfterUnits
    std::shared_ptr<SwitcherModel*> self_;
};

// A 13-byte reply A5 5B group command with `bytes` from byte 4 on and the
// checksum filled in.
CommandFrame MakeReply(std::uint8_t group, std::uint8_t command,
                       std::initializer_list<std::uint8_t> fromByte4 = {});

}  // namespace torvane::sim
