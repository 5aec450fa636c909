// Names and presets as values and as the JSON file: what may be stored, what
// is refused with its reason, and that the file gives back what was written.

#include "profile/profile.h"

#include <gtest/gtest.h>

#include "profile/profile_json.h"
#include "profile/switcher_key.h"

namespace torvane::profile {
namespace {

std::string Repeat(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// Names from around the world, quotes and backslashes, a preset that sets
// some outputs with and without ARC.
Profile Sample() {
    Profile profile;
    EXPECT_TRUE(SetName(profile, PortKind::kInput, 1, "Apple TV"));
    EXPECT_TRUE(SetName(profile, PortKind::kInput, 3, "Salle à manger \"Bühne\" \\ 2"));
    EXPECT_TRUE(SetName(profile, PortKind::kInput, 8, "会議室のプロジェクター 📽"));
    EXPECT_TRUE(SetName(profile, PortKind::kOutput, 2, "Projector"));
    EXPECT_TRUE(SetName(profile, PortKind::kOutput, 8, Repeat("é", 32)));
    Preset movie;
    movie.outputs[0] = OutputSetting{3, true};
    movie.outputs[1] = OutputSetting{1, std::nullopt};
    movie.outputs[7] = OutputSetting{8, false};
    EXPECT_TRUE(SavePreset(profile, "Movie \"night\" ☾", movie));
    Preset one;
    one.outputs[4] = OutputSetting{2, std::nullopt};
    EXPECT_TRUE(SavePreset(profile, "E only", one));
    return profile;
}

TEST(ProfileJson, WhatIsWrittenReadsBackTheSame) {
    const Profile profile = Sample();
    const std::string text = ProfileToJson(profile);
    const auto read = ParseProfile(text);
    ASSERT_TRUE(read) << read.error().message << "\n" << text;
    EXPECT_EQ(read.value(), profile);
    EXPECT_NE(text.find("\"Salle à manger \\\"Bühne\\\" \\\\ 2\""), std::string::npos)
        << "plain UTF-8 with JSON escapes only where needed:\n"
        << text;

    const auto presets = ParsePresets(PresetsToJson(profile.presets));
    ASSERT_TRUE(presets) << presets.error().message;
    EXPECT_EQ(presets.value(), profile.presets);
    EXPECT_EQ(ParseProfile(ProfileToJson(Profile{})).value(), Profile{});
}

TEST(ProfileNames, LimitsAndRefusalsSayWhy) {
    struct Case {
        std::string name;
        const char* problem;  // "" when the name may be stored
    };
    const Case cases[] = {
        {Repeat("é", 32), ""},
        {Repeat("x", 32), ""},
        {Repeat("🎬", 32), ""},
        {"", ""},
        {Repeat("é", 33), "has 33 characters; at most 32"},
        {Repeat("x", 40), "has 40 characters"},
        {"tab\there", "control character"},
        {"two\nlines", "control character"},
        {std::string("nul\0inside", 10), "control character"},
        {"\xC0\x80", "not valid UTF-8"},          // overlong
        {"\xED\xA0\x80", "not valid UTF-8"},      // a lone surrogate
        {"cut \xE2\x82", "not valid UTF-8"},      // truncated
        {"\xF4\x90\x80\x80", "not valid UTF-8"},  // past U+10FFFF
        {"\xFF", "not valid UTF-8"},
    };
    for (const auto& c : cases) {
        Profile profile;
        const Status set = SetName(profile, PortKind::kOutput, 2, c.name);
        if (*c.problem == '\0') {
            EXPECT_TRUE(set) << c.name << ": " << set.error().message;
            EXPECT_EQ(profile.outputNames[1], c.name);
        } else {
            ASSERT_FALSE(set) << c.name;
            EXPECT_NE(set.error().message.find(c.problem), std::string::npos)
                << set.error().message;
            EXPECT_NE(set.error().message.find("output B"), std::string::npos);
            EXPECT_EQ(profile, Profile{}) << "nothing changed";
        }
    }
    Profile profile;
    EXPECT_FALSE(SetName(profile, PortKind::kInput, 9, "Nine"));
    EXPECT_FALSE(SavePreset(profile, "", Sample().presets.begin()->second));
    EXPECT_NE(SavePreset(profile, "Nothing", Preset{}).error().message.find("sets no output"),
              std::string::npos);
    Preset wrong;
    wrong.outputs[2] = OutputSetting{9, std::nullopt};
    EXPECT_NE(SavePreset(profile, "Wrong", wrong).error().message.find("output C"),
              std::string::npos);
    EXPECT_EQ(profile, Profile{});
}

TEST(ProfileJson, InvalidFilesAreRefusedWithTheReason) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "parse error"},
        {"{\"format\": \"torvane profile\", \"version\": 1,", "parse error at line 1"},
        {"[1, 2]", "must be a JSON object"},
        {R"({"format": "torvane presets", "version": 1})",
         "\"format\" must be \"torvane profile\""},
        {R"({"format": "torvane profile", "version": 2})", "\"version\" must be 1"},
        {R"({"format": "torvane profile", "version": 1, "inptus": {}})", "unknown key \"inptus\""},
        {R"({"format": "torvane profile", "version": 1, "inputs": {"9": "x"}})",
         "\"inputs\" are \"1\" to \"8\", not \"9\""},
        {R"({"format": "torvane profile", "version": 1, "outputs": {"a": "x"}})", "not \"a\""},
        {R"({"format": "torvane profile", "version": 1, "inputs": {"1": 7}})",
         "the name of input 1 must be a string"},
        {R"({"format": "torvane profile", "version": 1, "outputs": {"C": ")" + Repeat("ü", 33) +
             R"("}})",
         "the name of output C has 33 characters"},
        {R"({"format": "torvane profile", "version": 1, "presets": {"P": {"A": {"input": 0}}}})",
         "preset \"P\", output A: \"input\" must be a number from 1 to 8"},
        {R"({"format": "torvane profile", "version": 1, "presets": {"P": {"A": {"input": 2, "arc": "on"}}}})",
         "\"arc\" must be true or false"},
        {R"({"format": "torvane profile", "version": 1, "presets": {"P": {}}})", "sets no output"},
        {R"({"format": "torvane profile", "version": 1, "presets": {"": {"A": {"input": 1}}}})",
         "a preset name is empty"},
        {Repeat("[", 100000) + Repeat("]", 100000), "nested deeper"},
        {std::string(kMaxProfileFileSize + 1, ' '), "larger than 1048576 bytes"},
    };
    for (const auto& [text, reason] : cases) {
        const auto read = ParseProfile(text);
        ASSERT_FALSE(read) << text.substr(0, 80);
        EXPECT_NE(read.error().message.find(reason), std::string::npos)
            << text.substr(0, 80) << "\n -> " << read.error().message;
    }
}

TEST(SwitcherKey, SafeFileNamesThatKeepSwitchersApart) {
    EXPECT_EQ(KeyForMac({0x02, 0x54, 0x56, 0x00, 0x0A, 0xFF}), "mac-02-54-56-00-0A-FF");
    EXPECT_EQ(KeyForSerialPort("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"),
              "serial-%2Fdev%2Fserial%2Fby-id%2Fusb-FTDI_FT232R-if00-port0");
    EXPECT_EQ(KeyForSerialPort("COM3"), "serial-COM3");
    EXPECT_EQ(KeyForSerialPort("../.."), "serial-..%2F..");
    EXPECT_NE(KeyForSerialPort("a/b"), KeyForSerialPort("a%2Fb"));

    const std::string longA = "/dev/serial/by-id/" + std::string(400, 'x') + "A";
    const std::string longB = "/dev/serial/by-id/" + std::string(400, 'x') + "B";
    for (const auto& name : {longA, std::string("\xC3\xA9 \"q\" \\ *?:<>|\t"), longB}) {
        const std::string key = KeyForSerialPort(name);
        EXPECT_LE(key.size(), 200u);
        EXPECT_EQ(key.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                        "0123456789-_.%~"),
                  std::string::npos)
            << key;
    }
    EXPECT_NE(KeyForSerialPort(longA), KeyForSerialPort(longB));
}

}  // namespace
}  // namespace torvane::profile
