#pragma once
// What the program knows of the switcher: power, beep, the connection state
// of every input and output, the input each output shows, each output's ARC,
// each input's EDID code and the device's identity. Every value is unknown
// until the switcher confirms it. The controller feeds in every reply it
// accepts, with the unit that reply answered; each change is announced with
// its old and new value and its cause: this program's own command, or a
// reading that found the switcher changed by someone else (its front panel,
// a remote control, another program).

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <variant>

#include "protocol/commands.h"

namespace torvane {

enum class StateItem {
    kPower,             // bool: on
    kBeep,              // bool: on
    kInputConnection,   // bool: a device present, per input 1-8
    kOutputConnection,  // bool: a display present, per output 1-8
    kRoute,             // int: the input (1-8) output 1-8 shows
    kArc,               // bool: on, per output 1-8
    kEdid,              // int: the EDID code of input 1-8
    kDeviceType,        // int: the type byte (1 HDMI, 2 HDBT)
    kVersion,           // string: "major.minor"
    kDeviceText,        // string: the 32-character device text
};

enum class ChangeCause { kThisProgram, kElsewhere };

// std::monostate stands for unknown.
using StateValue = std::variant<std::monostate, bool, int, std::string>;

struct StateChange {
    StateItem what;
    int index;  // the input or output, 1-8; 0 for the items that have none
    StateValue before;
    StateValue after;
    ChangeCause cause;
};

class SwitcherState {
  public:
    static constexpr int kPorts = 8;
    using Listener = std::function<void(const StateChange& change)>;

    // A reply the controller accepted with a correct checksum, and the last
    // command unit sent before it (route acknowledgements name neither the
    // input nor the output: the unit does).
    void OnReply(const ReplyView& reply, const ReplyView& sent);
    // Everything unknown again (another switcher, another link); listeners
    // are not told, as nothing the switcher said has changed.
    void Forget();

    const StateValue& Value(StateItem what, int index = 0) const;
    static bool HasIndex(StateItem what);

    // Called with every change, in the order they happen. The id removes it.
    int AddListener(Listener listener);
    void RemoveListener(int id);

  private:
    static constexpr std::size_t kSlots = 5 * kPorts + 5;
    static std::size_t Slot(StateItem what, int index);
    // A value read from the switcher: a change the program itself asked for
    // (noted when its command was confirmed) is attributed to the program.
    void Read(StateItem what, int index, StateValue value);
    void Set(StateItem what, int index, StateValue value, ChangeCause cause);
    void ExpectOwnChange(StateItem what, int index);
    void OnEdidAcknowledged(const ReplyView& sent);
    void OnDeviceTextPart(const ReplyView& reply);

    std::array<StateValue, kSlots> values_{};
    std::array<bool, kSlots> ownChangeExpected_{};
    // The device text arrives in four parts of eight characters.
    std::array<std::uint8_t, 32> textParts_{};
    unsigned textPartsRead_ = 0;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;
};

}  // namespace torvane
