#include "pages/edid_texts.h"

#include <cstdio>

namespace torvane {

const std::array<const char*, kEdidPresetCount> kEdidPresetTexts = {
    "1080p,Stereo Audio 2.0",  "1080p,Dolby/DTS 5.1",  "1080p,HD Audio 7.1",
    "1080i,Stereo Audio 2.0",  "1080i,Dolby/DTS 5.1",  "1080i,HD Audio 7.1",
    "3D,Stereo Audio 2.0",     "3D,Dolby/DTS 5.1",     "3D,HD Audio 7.1",
    "4K2K30,Stereo Audio 2.0", "4K2K30,Dolby/DTS 5.1", "4K2K30,HD Audio 7.1",
    "4K2K60,Stereo Audio 2.0", "4K2K60,Dolby/DTS 5.1", "4K2K60,HD Audio 7.1",
};

const std::array<const char*, 9> kEdidInputItems = {"IN1", "IN2", "IN3", "IN4",      "IN5",
                                                    "IN6", "IN7", "IN8", "All Input"};

const std::array<const char*, 8> kEdidOutputItems = {"HDMI OUTA", "HDMI OUTB", "HDMI OUTC",
                                                     "HDMI OUTD", "HDMI OUTE", "HDMI OUTF",
                                                     "HDMI OUTG", "HDMI OUTH"};

std::string EdidCodeText(std::uint8_t code) {
    constexpr std::uint8_t kFirstCopy = kEdidPresetCount;  // 0F: copy of output A
    if (code < kFirstCopy) return kEdidPresetTexts[code];
    if (code < kFirstCopy + 8) return std::string("COPY TX ") + char('A' + code - kFirstCopy);
    char text[20];
    std::snprintf(text, sizeof text, "Other EDID (%02X)", code);
    return text;
}

}  // namespace torvane
