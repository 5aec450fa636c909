#include "cli/json.h"

#include <cstdio>

namespace torvane::cli {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
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
