// Inputs and outputs by name on the command line: numbers and letters keep
// their meaning, names are matched whole, and a name that fits none or
// several is refused with the choices.

#include "profile/port_names.h"

#include <gtest/gtest.h>

namespace torvane::profile {
namespace {

TEST(ReadPort, NumbersLettersAndNames) {
    PortNames inputs{"Apple TV", "", "Salle à manger \"Bühne\"", "tv", "TV", "3", "", "Blu-ray"};
    PortNames outputs{"", "Projector", "Stage", "", "", "", "", "B"};
    struct Case {
        PortKind kind;
        const char* text;
        int port;  // 0: refused
        const char* error = "";
    };
    const Case cases[] = {
        {PortKind::kInput, "03", 3},
        {PortKind::kInput, "Apple TV", 1},
        {PortKind::kInput, "apple tv", 1},
        {PortKind::kInput, "Salle à manger \"Bühne\"", 3},
        // An exact match wins over one that differs in case only.
        {PortKind::kInput, "TV", 5},
        {PortKind::kInput, "tv", 4},
        {PortKind::kInput, "Tv", 0,
         "input name \"Tv\" is ambiguous: 4 \"tv\", 5 \"TV\"; give the input's number"},
        // A number means that port even where a name says the same.
        {PortKind::kInput, "3", 3},
        {PortKind::kInput, "Apple", 0,
         "no input \"Apple\": give 1-8 or a name: 1 \"Apple TV\", 3 \"Salle à manger "
         "\\\"Bühne\\\"\", "
         "4 \"tv\", 5 \"TV\", 6 \"3\", 8 \"Blu-ray\""},
        {PortKind::kOutput, "b", 2},
        {PortKind::kOutput, "8", 8},
        {PortKind::kOutput, "projector", 2},
        {PortKind::kOutput, "stage", 3},
        {PortKind::kOutput, "", 0,
         "no output \"\": give A-H (or 1-8) or a name: B \"Projector\", C \"Stage\", H \"B\""},
    };
    for (const Case& c : cases) {
        const auto port = ReadPort(c.kind, c.text, c.kind == PortKind::kInput ? inputs : outputs);
        if (c.port) {
            ASSERT_TRUE(port.ok()) << c.text << ": " << port.error().message;
            EXPECT_EQ(*port, c.port) << c.text;
        } else {
            ASSERT_FALSE(port.ok()) << c.text;
            EXPECT_EQ(port.error().kind, Error::Kind::kBadInput);
            EXPECT_EQ(port.error().message, c.error);
        }
    }
}

TEST(ReadPort, WithoutNamesSaysWhatItTakes) {
    const auto port = ReadPort(PortKind::kOutput, "Projector", PortNames{});
    ASSERT_FALSE(port.ok());
    EXPECT_EQ(port.error().message, "no output \"Projector\": give A-H (or 1-8)");
}

}  // namespace
}  // namespace torvane::profile
