#include "cli/json.h"

#include <cstdio>

namespace torvane::cli {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the bytes
// there are not one (stray continuation bytes, overlong forms, surrogates,
// code points past U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
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

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto c = static_cast<unsigned char>(text[at]);
        if (c >= 0x80) {
            // Names come from the system (a USB product string, a path) and
            // need not be UTF-8; a byte that is not part of a well-formed
            // sequence is replaced so the output stays valid JSON.
            const std::size_t length = Utf8SequenceAt(text, at);
            if (length == 0) {
                out += "\\ufffd";
                continue;
            }
            out.append(text, at, length);
            at += length - 1;
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char esc[8];
                    std::snprintf(esc, sizeof esc, "\\u%04x", c);
                    out += esc;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out + "\"";
}

std::string JsonObject::Text() const {
    std::string out = "{";
    for (std::size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ",";
        out += JsonString(members_[i].first) + ":" + members_[i].second;
    }
    return out + "}";
}

}  // namespace torvane::cli
