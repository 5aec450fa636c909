#include "protocol/hex_log.h"

namespace torvane {
namespace {
constexpr int kFramesBeforeClear = 60;

// "%02X " of one byte, appended without going through printf: the logs see
// every byte that crosses a link.
void AppendHexByte(std::string& out, std::uint8_t b) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char text[3] = {kDigits[b >> 4], kDigits[b & 0x0F], ' '};
    out.append(text, 3);
}
}  // namespace

void TextLog::Clear() {
    text_.clear();
    if (onChange_) onChange_(text_);
}

void TextLog::Append(const std::string& more) {
    text_ += more;
    if (onChange_) onChange_(text_);
}

void ReceiveLog::Echo(const std::uint8_t* bytes, std::size_t count) {
    std::string line;
    line.reserve(count * 3 + 2);
    for (std::size_t i = 0; i < count; ++i) AppendHexByte(line, bytes[i]);
    line += "\r\n";
    Append(line);
    if (++frameCount_ == kFramesBeforeClear) {
        Clear();
        frameCount_ = 0;
    }
}

void ReceiveLog::EchoDatagram(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 3 + count / 13 * 2);
    for (std::size_t i = 0; i < count; ++i) {
        AppendHexByte(text, bytes[i]);
        if ((i + 1) % 13 == 0) text += "\r\n";
    }
    Append(text);
}

void SendLog::Echo(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    text.reserve(count * 3 + count / 13 * 2 + 4);
    for (std::size_t i = 0; i < count; ++i) {
        AppendHexByte(text, bytes[i]);
        if (++lineCount_ == 13) {
            text += "\r\n";
            lineCount_ = 0;
        }
    }
    if (count > 13) {
        text += "\r\n\r\n";
        lineCount_ = 0;
    }
    Append(text);
    if (++frameCount_ == kFramesBeforeClear) {
        Clear();
        frameCount_ = 0;
    }
}

}  // namespace torvane
