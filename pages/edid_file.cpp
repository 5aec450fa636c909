#include "pages/edid_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

#include "pages/plain_file.h"

namespace torvane {
namespace {

constexpr std::size_t kExtensionCount = 126;
constexpr std::size_t kChecksumByte = kEdidBlockSize - 1;

std::uint8_t Sum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
    return static_cast<std::uint8_t>(sum);
}

std::string Hex(std::uint8_t byte) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

// A dump printed as text (hex digits between spaces, commas, "0x") rather
// than the bytes themselves: the most common wrong file.
bool LooksLikeHexText(const std::uint8_t* bytes, std::size_t size) {
    std::size_t digits = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int c = bytes[i];
        if (std::isxdigit(c))
            ++digits;
        else if (!std::isspace(c) && c != ',' && c != ':' && c != 'x' && c != 'X')
            return false;
    }
    return digits >= 2 * kEdidHeader.size();
}

std::string LengthReason(std::size_t size) {
    const std::string wanted = "; an EDID file has 128 or 256 bytes";
    if (size == 0) return "the file is empty" + wanted;
    if (size > kEdidReadLimit)
        return "more than " + std::to_string(kEdidReadLimit) + " bytes" + wanted;
    return std::to_string(size) + " bytes" + wanted;
}

std::string ChecksumReason(int block, const std::uint8_t* bytes) {
    const auto found = bytes[kChecksumByte];
    const auto expected = static_cast<std::uint8_t>(found - Sum(bytes, kEdidBlockSize));
    return "the checksum of block " + std::to_string(block) + " is wrong: byte " +
           std::to_string(block * kEdidBlockSize + kChecksumByte) + " is " + Hex(found) +
           ", expected " + Hex(expected);
}

Error Refused(std::string reason) { return BadInput(std::move(reason)); }

// The warning of a file that is taken (empty for none), or why it is refused.
Result<std::string> Judge(const std::uint8_t* bytes, std::size_t size) {
    const bool header =
        size >= kEdidHeader.size() && std::equal(kEdidHeader.begin(), kEdidHeader.end(), bytes);
    if (!header && LooksLikeHexText(bytes, std::min(size, kEdidReadLimit)))
        return Refused(
            "it looks like hex text, not the EDID's bytes; convert it to binary first, for "
            "example with: xxd -r -p FILE > edid.bin");
    if (size != kEdidBlockSize && size != 2 * kEdidBlockSize) return Refused(LengthReason(size));
    if (!header) return Refused("it does not begin with the EDID header 00 FF FF FF FF FF FF 00");
    if (Sum(bytes, kEdidBlockSize) != 0) return Refused(ChecksumReason(0, bytes));
    const std::uint8_t extensions = bytes[kExtensionCount];
    const std::size_t held = size / kEdidBlockSize - 1;
    if (extensions > 1)
        return Refused("the base block announces " + std::to_string(extensions) +
                       " extension blocks (byte 126); the file holds " +
                       (held ? std::string("1") : std::string("none")) +
                       " and the switcher takes at most 1");
    if (extensions == 1 && held == 0)
        // A missing extension block is all 00, which sums to 0.
        return std::string(
            "the base block announces an extension block the file does not hold: the "
            "switcher will present an empty extension block");
    if (extensions == 1 && Sum(bytes + kEdidBlockSize, kEdidBlockSize) != 0)
        return Refused(ChecksumReason(1, bytes + kEdidBlockSize));
    return std::string();
}

}  // namespace

std::string BadEdidFileMessage(const std::string& name, const std::string& reason) {
    return "Bad EDID file!\n" + name + ": " + reason;
}

std::string EdidFileWarningMessage(const std::string& name, const std::string& warning) {
    return "EDID file taken, but:\n" + name + ": " + warning;
}

Result<EdidFile> CheckEdidBytes(std::vector<std::uint8_t> bytes) {
    auto judged = Judge(bytes.data(), bytes.size());
    if (!judged) return judged.error();
    return EdidFile{std::move(bytes), std::move(*judged)};
}

Result<std::vector<std::uint8_t>> ReadEdidFile(const std::string& path) {
    // One byte more than the longest file read tells a longer one apart
    // without trusting a size the file system reports.
    return ReadPlainFile(path, kEdidReadLimit + 1);
}

Result<EdidFile> LoadEdidFile(const std::string& path) {
    auto read = ReadEdidFile(path);
    if (!read) return read.error();
    return CheckEdidBytes(std::move(*read));
}

}  // namespace torvane
