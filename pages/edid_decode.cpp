#include "pages/edid_decode.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "pages/edid_file.h"

namespace torvane {
namespace {

constexpr std::size_t kFirstDescriptor = 54;
constexpr std::size_t kDescriptorSize = 18;
constexpr int kDescriptors = 4;
constexpr std::uint8_t kMonitorNameTag = 0xFC;

int Word(const std::uint8_t* b) { return b[0] | (b[1] << 8); }

std::string Manufacturer(const std::uint8_t* b) {
    // Three letters of five bits each, 1 for 'A', big-endian.
    const int id = (b[0] << 8) | b[1];
    std::string letters;
    for (int shift : {10, 5, 0}) {
        const int letter = (id >> shift) & 0x1F;
        letters += (letter >= 1 && letter <= 26) ? static_cast<char>('A' + letter - 1) : '?';
    }
    return letters;
}

// A display descriptor's text: up to 13 bytes, ended by a line feed and
// padded with spaces.
std::string DescriptorText(const std::uint8_t* d) {
    std::string text;
    for (std::size_t i = 5; i < kDescriptorSize && d[i] != 0x0A; ++i)
        text += (d[i] >= 0x20 && d[i] < 0x7F) ? static_cast<char>(d[i]) : '?';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::optional<EdidMode> DetailedTiming(const std::uint8_t* d) {
    const int clock = Word(d);  // in 10 kHz; 0 marks a display descriptor
    if (clock == 0) return std::nullopt;
    EdidMode mode;
    mode.pixelClockKHz = static_cast<std::uint32_t>(clock) * 10;
    mode.width = d[2] | ((d[4] & 0xF0) << 4);
    const int hBlank = d[3] | ((d[4] & 0x0F) << 8);
    mode.height = d[5] | ((d[7] & 0xF0) << 4);
    const int vBlank = d[6] | ((d[7] & 0x0F) << 8);
    mode.interlaced = (d[17] & 0x80) != 0;
    const double total = static_cast<double>(mode.width + hBlank) * (mode.height + vBlank);
    if (total > 0) mode.refreshHz = mode.pixelClockKHz * 1000.0 / total;
    // An interlaced timing gives one field's lines: the frame has twice as many.
    if (mode.interlaced) mode.height *= 2;
    return mode;
}

std::string ExtensionType(std::uint8_t tag) {
    switch (tag) {
        case 0x02:
            return "CTA-861";
        case 0x10:
            return "Video Timing Block";
        case 0x40:
            return "Display Information";
        case 0x50:
            return "Localized String";
        case 0x60:
            return "Digital Packet Video Link";
        case 0x70:
            return "DisplayID";
        case 0xF0:
            return "Block Map";
        case 0xFF:
            return "Manufacturer";
        default: {
            char text[24];
            std::snprintf(text, sizeof text, "unknown (tag %02X)", tag);
            return text;
        }
    }
}

}  // namespace

std::optional<DecodedEdid> DecodeEdid(const std::uint8_t* bytes, std::size_t size) {
    if (size < kEdidBlockSize || !std::equal(kEdidHeader.begin(), kEdidHeader.end(), bytes))
        return std::nullopt;
    DecodedEdid edid;
    edid.manufacturer = Manufacturer(bytes + 8);
    edid.productCode = Word(bytes + 10);
    edid.serial = static_cast<std::uint32_t>(Word(bytes + 12)) |
                  (static_cast<std::uint32_t>(Word(bytes + 14)) << 16);
    edid.modelYear = bytes[16] == 0xFF;
    edid.week = edid.modelYear ? 0 : bytes[16];
    edid.year = 1990 + bytes[17];
    edid.version = bytes[18];
    edid.revision = bytes[19];
    for (int k = 0; k < kDescriptors; ++k) {
        const std::uint8_t* d = bytes + kFirstDescriptor + k * kDescriptorSize;
        if (k == 0) edid.preferredMode = DetailedTiming(d);
        if (Word(d) == 0 && d[3] == kMonitorNameTag && edid.monitorName.empty())
            edid.monitorName = DescriptorText(d);
    }
    for (std::size_t at = kEdidBlockSize; at + kEdidBlockSize <= size; at += kEdidBlockSize)
        edid.extensions.push_back(ExtensionType(bytes[at]));
    return edid;
}

std::string EdidModeText(const EdidMode& mode) {
    char text[80];
    std::snprintf(text, sizeof text, "%dx%d%s at %.2f Hz (%.2f MHz)", mode.width, mode.height,
                  mode.interlaced ? "i" : "", mode.refreshHz, mode.pixelClockKHz / 1000.0);
    return text;
}

}  // namespace torvane
