#include "ui/text_codec.h"

#include <cstdio>

namespace torvane {

std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
    return length;
}

namespace {

// The bytes of the character at `at`: a whole sequence, or one stray byte.
std::size_t CharacterAt(const std::string& text, std::size_t at) {
    const std::size_t length = Utf8SequenceAt(text, at);
    return length ? length : 1;
}

}  // namespace

std::size_t CharacterCount(const std::string& text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += CharacterAt(text, at)) ++count;
    return count;
}

std::string FirstCharacters(const std::string& text, std::size_t count) {
    std::size_t at = 0;
    for (; at < text.size() && count > 0; --count) at += CharacterAt(text, at);
    return text.substr(0, at);
}

std::string Latin1ToUtf8(const std::uint8_t* bytes, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += static_cast<char>(0xC0 | (b >> 6));
            out += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return out;
}

std::optional<std::string> Utf8ToLatin1(const std::string& text, std::string* refused) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at);
        const auto lead = static_cast<unsigned char>(text[at]);
        if (length == 1) {
            out += static_cast<char>(lead);
        } else if (length == 2 && lead <= 0xC3) {
            // C2 and C3 lead the sequences of U+0080 to U+00FF.
            const auto next = static_cast<unsigned char>(text[at + 1]);
            out += static_cast<char>(((lead & 0x03) << 6) | (next & 0x3F));
        } else {
            if (refused) {
                if (length) {
                    *refused = text.substr(at, length);
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", lead);
                    *refused = hex;
                }
            }
            return std::nullopt;
        }
        at += length;
    }
    return out;
}

}  // namespace torvane
