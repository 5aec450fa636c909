#pragma once
// What an EDID says about its display, read from the bytes an operator is
// about to write to an input: who made it, its name, its preferred mode and
// its extension blocks. The bytes are outside input: any length and content
// is read without going past them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane {

struct EdidMode {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::uint32_t pixelClockKHz = 0;
    double refreshHz = 0;  // frames (interlaced: fields) per second
};

struct DecodedEdid {
    std::string manufacturer;  // the three-letter id, such as "DEL"
    int productCode = 0;
    std::uint32_t serial = 0;
    int week = 0;  // 0 when not given
    int year = 0;
    bool modelYear = false;  // the year is the model's, not the making's
    int version = 0;
    int revision = 0;
    std::string monitorName;                // empty when the EDID names none
    std::optional<EdidMode> preferredMode;  // the first detailed timing
    // Each extension block the bytes hold, by its type ("CTA-861", ...).
    std::vector<std::string> extensions;
};

// Nothing when the bytes hold no whole base block with the EDID header.
std::optional<DecodedEdid> DecodeEdid(const std::uint8_t* bytes, std::size_t size);

// "1920x1080 at 60.00 Hz (148.50 MHz)", with "i" after the height for an
// interlaced mode.
std::string EdidModeText(const EdidMode& mode);

}  // namespace torvane
