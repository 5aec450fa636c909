#include "protocol/hex_log.h"

#include <cstdio>

namespace torvane {
namespace {
constexpr int kFramesBeforeClear = 60;

std::string HexByte(std::uint8_t b) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X ", b);
    return text;
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
    for (std::size_t i = 0; i < count; ++i) line += HexByte(bytes[i]);
    Append(line + "\r\n");
    if (++frameCount_ == kFramesBeforeClear) {
        Clear();
        frameCount_ = 0;
    }
}

void SendLog::Echo(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += HexByte(bytes[i]);
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
