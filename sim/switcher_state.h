#pragma once
// What the simulated switcher knows about itself: the state its replies report
// and its commands change. Tests read and write it directly.

#include <array>
#include <cstdint>
#include <string>

#include "protocol/frames.h"

namespace torvane::sim {

inline constexpr int kPorts = 8;  // inputs and outputs alike

// EDID codes as the status query reports them: presets 00 to 0E, the copy of
// output A to H's EDID 0F to 16, and 17 for an EDID written from a file.
inline constexpr std::uint8_t kFirstPresetCode = 0x00;
inline constexpr std::uint8_t kLastPresetCode = 0x0E;
inline constexpr std::uint8_t kFirstCopyCode = 0x0F;
inline constexpr std::uint8_t kWrittenEdidCode = 0x17;

using Ipv4 = std::array<std::uint8_t, 4>;
using Mac = std::array<std::uint8_t, 6>;

struct NetworkSettings {
    Mac mac{0x02, 0x54, 0x56, 0x00, 0x00, 0x01};  // locally administered
    Ipv4 ip{127, 0, 0, 1};
    Ipv4 gateway{127, 0, 0, 1};
    Ipv4 netmask{255, 0, 0, 0};
    bool autoAddress = false;          // false: static address
    std::uint16_t controlPort = 8000;  // the TCP port the discovery answer names
};

struct Identity {
    std::uint8_t deviceType = 0x01;  // 01 HDMI, 02 HDBaseT, other: both
    std::uint8_t inputs = 8;
    std::uint8_t outputs = 8;
    std::uint8_t versionMajor = 1;
    std::uint8_t versionMinor = 0;
};

struct SwitcherState {
    // Input (1 to 8) shown on each output; index 0 is output A.
    std::array<std::uint8_t, kPorts> routing{1, 2, 3, 4, 5, 6, 7, 8};
    std::array<bool, kPorts> arcOn{};
    std::array<std::uint8_t, kPorts> edidCode{};  // per input
    RawBlock lastEdidBlock{};                     // the last raw block received
    bool edidBlockReceived = false;
    std::array<bool, kPorts> inputConnected{true, true, true, false, false, false, false, false};
    std::array<bool, kPorts> outputConnected{true, true, false, false, false, false, false, false};
    bool powerOn = true;
    bool beepOn = true;
    Identity identity;
    std::array<char, 32> deviceText = MakeDeviceText("Torvane simulated switcher");
    NetworkSettings network;

    // What a factory reset restores: routing, ARC, EDID and the beep. The
    // identity, device text, network settings and what is plugged in stay.
    void FactoryReset();

    // `text` cut or padded with spaces to the 32 characters the device keeps.
    static std::array<char, 32> MakeDeviceText(const std::string& text);
    std::string DeviceText() const { return std::string(deviceText.begin(), deviceText.end()); }
};

}  // namespace torvane::sim
