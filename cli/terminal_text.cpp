#include "cli/terminal_text.h"

#include <cstdio>

#include "ui/text_codec.h"

namespace torvane::cli {
namespace {

void AppendEscaped(std::string& out, unsigned code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", code);
    out += hex;
}

}  // namespace

std::string TerminalText(const std::string& text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8SequenceAt(text, at);
        if (length == 0) {
            AppendEscaped(out, lead);
            ++at;
            continue;
        }
        if (length == 1 && (lead < 0x20 || lead == 0x7F)) {
            AppendEscaped(out, lead);
        } else if (length == 2 && lead == 0xC2 && static_cast<unsigned char>(text[at + 1]) < 0xA0) {
            // U+0080 to U+009F, the C1 controls.
            AppendEscaped(out, static_cast<unsigned char>(text[at + 1]));
        } else {
            out.append(text, at, length);
        }
        at += length;
    }
    return out;
}

}  // namespace torvane::cli
