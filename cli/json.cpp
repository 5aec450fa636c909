#include "cli/json.h"

#include <cstdio>

#include "ui/text_codec.h"

namespace torvane::cli {

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

std::string JsonStringArray(const std::vector<std::string>& texts) {
    std::string out = "[";
    for (const auto& text : texts) out += (out.size() > 1 ? "," : "") + JsonString(text);
    return out + "]";
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
