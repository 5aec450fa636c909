#pragma once
// How the simulated switcher paces its answers, and the faults it can be told
// to show. All times are event-loop milliseconds, so tests on virtual time
// stay deterministic.

#include <array>
#include <cstdint>
#include <vector>

namespace torvane::sim {

struct SwitcherTiming {
    int replyDelayMs = 5;       // from a complete request to its reply; 0 replies on the next turn
    int readyDelayMs = 1000;    // from the accepted upgrade request to "ready"
    int restartMs = 3000;       // silence after the last firmware block
    int rawBlockWaitMs = 2000;  // how long the EDID start frame waits for its raw block
};

// Block results of the firmware acknowledgement.
enum class BlockResult : std::uint8_t { kReceived = 0x00, kSendAgain = 0x01, kAbort = 0x02 };

struct SwitcherFaults {
    // The reply faults below (silent to extra frames, and the hang-up) act
    // only once the switcher has received more than this many units, so a
    // fault can strike in the middle of a chain.
    int faultsAfterUnits = 0;
    // ...and only for this many units after that (0: for good), so noise
    // can strike one reply of a chain and leave the rest alone.
    int faultsForUnits = 0;
    // The unit that arms the faults is not answered: its link hangs up (the
    // serial line is cut, the TCP connection closed). Once; then it clears.
    bool hangUp = false;

    bool silent = false;         // no command-link reply at all
    int dropNextReplies = 0;     // swallow this many replies, then answer again
    int badChecksumReplies = 0;  // this many replies carry a wrong checksum
    // Unsolicited frames written right after each reply: a power-off report
    // unless `extraFrame` is set (made a whole frame as SendUnsolicited does).
    int extraFramesPerReply = 0;
    std::vector<std::uint8_t> extraFrame;
    std::vector<std::uint8_t> garbageBeforeReply;  // noise written before each reply

    // TCP only. Split: each reply goes out as two writes, the first
    // `tcpSplitAt` bytes, then the rest `tcpSplitGapMs` later. Glue: each
    // reply is held back and written together with the next one (glue is a
    // reply fault: it obeys faultsAfterUnits and faultsForUnits).
    // Bytewise: every byte its own write, `tcpSplitGapMs` apart.
    int tcpSplitAt = 0;
    int tcpSplitGapMs = 0;
    bool tcpGlue = false;
    bool tcpBytewise = false;

    // The firmware block numbered `faultBlock` is answered `faultBlockTimes`
    // times with `faultBlockResult` instead of "received".
    int faultBlock = -1;
    BlockResult faultBlockResult = BlockResult::kSendAgain;
    int faultBlockTimes = 1;

    // This many blocks flagged 80 are answered like ordinary blocks (flag not
    // echoed, no restart), so the program sends another flagged block.
    int unechoedLastBlocks = 0;
    bool noRestartAnswer = false;  // after the last block it never answers again
    bool answerDiscovery = true;   // the network module answers on UDP
    // Command frames of these groups and commands (bytes 2 and 3) are lost
    // on the way in: no reply and no effect, as if never received.
    std::vector<std::array<std::uint8_t, 2>> ignoredCommands;
    // Command frames of a group and command (bytes 2 and 3) are answered
    // with this frame (A5 5B first; padded to 13 bytes and checksummed) and
    // have no effect: a switcher that answers something other than asked.
    struct ReplacedAnswer {
        std::array<std::uint8_t, 2> command;
        std::vector<std::uint8_t> frame;
    };
    std::vector<ReplacedAnswer> replacedAnswers;
};

}  // namespace torvane::sim
