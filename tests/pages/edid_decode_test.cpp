// What an EDID says about its display, read from files that imitate real
// displays, and the same files read by edid-decode where it is installed.

#include "pages/edid_decode.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "pages/edid_file.h"

namespace torvane::test {
namespace {

std::string EdidPath(const std::string& name) {
    return std::string(TORVANE_SOURCE_DIR) + "/tests/data/edid/" + name;
}

std::vector<std::uint8_t> ReadEdid(const std::string& name) {
    std::ifstream in(EdidPath(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Known {
    const char* file;
    const char* manufacturer;
    int product;
    std::uint32_t serial;
    int week;  // 0: a model year
    int year;
    const char* name;
    const char* mode;
    std::vector<std::string> extensions;
    bool accepted;  // by the EDID page
};

const Known kKnown[] = {
    {"dell_u2415.bin",
     "DEL",
     41140,
     1279930929,
     12,
     2015,
     "DELL U2415",
     "1920x1200 at 59.95 Hz (154.00 MHz)",
     {"CTA-861"},
     true},
    {"samsung_tv.bin",
     "SAM",
     3448,
     16780800,
     3,
     2019,
     "SAMSUNG",
     "1920x1080 at 60.00 Hz (148.50 MHz)",
     {"CTA-861"},
     true},
    {"lg_ultrawide.bin",
     "GSM",
     23025,
     320155,
     45,
     2016,
     "LG ULTRAWIDE",
     "2560x1080 at 59.98 Hz (181.25 MHz)",
     {},
     true},
    {"acer_model_year.bin",
     "ACR",
     99,
     0,
     0,
     2011,
     "X193HQ",
     "1366x768 at 59.79 Hz (85.50 MHz)",
     {},
     true},
    {"hp_two_extensions.bin",
     "HWP",
     13060,
     16843009,
     20,
     2020,
     "HP Z27",
     "3840x2160 at 60.00 Hz (533.25 MHz)",
     {"CTA-861", "DisplayID"},
     false},
};

TEST(EdidDecode, DisplaysOfManyKindsAreReadAsTheyAre) {
    for (const auto& k : kKnown) {
        SCOPED_TRACE(k.file);
        const auto bytes = ReadEdid(k.file);
        ASSERT_FALSE(bytes.empty());
        const auto edid = DecodeEdid(bytes.data(), bytes.size());
        ASSERT_TRUE(edid);
        EXPECT_EQ(edid->manufacturer, k.manufacturer);
        EXPECT_EQ(edid->productCode, k.product);
        EXPECT_EQ(edid->serial, k.serial);
        EXPECT_EQ(edid->week, k.week);
        EXPECT_EQ(edid->modelYear, k.week == 0);
        EXPECT_EQ(edid->year, k.year);
        EXPECT_EQ(edid->monitorName, k.name);
        ASSERT_TRUE(edid->preferredMode);
        EXPECT_EQ(EdidModeText(*edid->preferredMode), k.mode);
        EXPECT_EQ(edid->extensions, k.extensions);
        EXPECT_EQ(CheckEdidBytes(bytes).ok(), k.accepted);
    }
}

TEST(EdidDecode, BytesWithoutABaseBlockAreNotAnEdid) {
    auto dell = ReadEdid("dell_u2415.bin");
    EXPECT_FALSE(DecodeEdid(dell.data(), 127));
    dell[1] = 0x00;
    EXPECT_FALSE(DecodeEdid(dell.data(), dell.size()));
    // A bad checksum does not stop the reading: the verdict tells it.
    auto lg = ReadEdid("lg_ultrawide.bin");
    lg[127] ^= 0xFF;
    EXPECT_TRUE(DecodeEdid(lg.data(), lg.size()));
}

// edid-decode's reading of a file, as the lines this test compares.
std::string EdidDecodeOutput(const std::string& path) {
    std::string output;
    FILE* pipe = ::popen(("edid-decode '" + path + "' 2>/dev/null").c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

std::string Match(const std::string& text, const std::string& pattern) {
    std::smatch m;
    return std::regex_search(text, m, std::regex(pattern)) ? m[1].str() : "";
}

TEST(EdidDecode, AgreesWithEdidDecode) {
    if (::system("command -v edid-decode >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "edid-decode is not installed";
    for (const auto& k : kKnown) {
        SCOPED_TRACE(k.file);
        const auto bytes = ReadEdid(k.file);
        const auto edid = DecodeEdid(bytes.data(), bytes.size());
        ASSERT_TRUE(edid);
        const std::string theirs = EdidDecodeOutput(EdidPath(k.file));
        ASSERT_FALSE(theirs.empty());
        EXPECT_EQ(Match(theirs, R"(Manufacturer: (\w+))"), edid->manufacturer);
        EXPECT_EQ(Match(theirs, R"(Model: (\d+))"), std::to_string(edid->productCode));
        const std::string serial = Match(theirs, R"(Serial Number: (\d+))");
        EXPECT_EQ(serial.empty() ? 0u : std::stoul(serial), edid->serial);
        if (edid->modelYear)
            EXPECT_EQ(Match(theirs, R"(Model year: (\d+))"), std::to_string(edid->year));
        else
            EXPECT_EQ(Match(theirs, R"(Made in: (week \d+ of \d+))"),
                      "week " + std::to_string(edid->week) + " of " + std::to_string(edid->year));
        EXPECT_EQ(Match(theirs, R"(Display Product Name: '([^']*)')"), edid->monitorName);
        const auto& mode = *edid->preferredMode;
        EXPECT_EQ(Match(theirs, R"(DTD 1: +(\d+x\d+))"),
                  std::to_string(mode.width) + "x" + std::to_string(mode.height));
        EXPECT_NEAR(std::stod(Match(theirs, R"(DTD 1: +\d+x\d+i? +([\d.]+) Hz)")), mode.refreshHz,
                    0.001);
        EXPECT_NEAR(std::stod(Match(theirs, R"(DTD 1: .* ([\d.]+) MHz)")),
                    mode.pixelClockKHz / 1000.0, 0.001);
        for (std::size_t b = 0; b < edid->extensions.size(); ++b)
            EXPECT_NE(theirs.find("Block " + std::to_string(b + 1) + ", " + edid->extensions[b] +
                                  " Extension Block"),
                      std::string::npos);
    }
}

}  // namespace
}  // namespace torvane::test
