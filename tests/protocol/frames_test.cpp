#include "protocol/frames.h"

#include <gtest/gtest.h>

#include <numeric>

#include "protocol/commands.h"
#include "support/bytes.h"

namespace torvane {
namespace {
using test::Hex;
using test::ToHex;

struct BuiltCommand {
    const char* name;
    std::uint8_t group, command;
    std::vector<std::pair<int, std::uint8_t>> params;
    const char* expected;
};

TEST(CommandFrame, WorkedExamplesBuildToTheDocumentedBytes) {
    const BuiltCommand cases[] = {
        {"general page query", 0x08, 0x0C, {}, "A5 5B 08 0C 00 00 00 00 00 00 00 00 EC"},
        {"input 1 connection state",
         0x01,
         0x04,
         {{4, 0x01}},
         "A5 5B 01 04 01 00 00 00 00 00 00 00 FA"},
        {"power on", 0x08, 0x0B, {{4, 0x0F}, {6, 0x0F}}, "A5 5B 08 0B 0F 00 0F 00 00 00 00 00 CF"},
    };
    for (const auto& c : cases) {
        OutgoingBuffers out;
        auto& frame = out.Write(Command({c.group, c.command}));
        for (auto [at, value] : c.params) frame[at] = value;
        auto unit = out.UnitFor(SendRequest::kCommandFromMatrix);
        ASSERT_TRUE(unit);
        CompleteUnit(unit->data(), unit->size());
        EXPECT_EQ(ToHex(unit->data(), unit->size()), c.expected) << c.name;
    }
}

TEST(CommandFrame, ChecksumOfAMultipleOf256IsZeroAndWholeUnitSumsToZero) {
    auto bytes = Hex("A5 5B 00 00 00 00 00 00 00 00 00 00");  // 0xA5 + 0x5B = 0x100
    EXPECT_EQ(Checksum(bytes.data(), bytes.size()), 0x00);

    OutgoingBuffers out;
    out.Write(Command({0x10, 0x01}))[10] = 0xF0;
    out.Command()[12] = 0x77;  // stale byte 12 from nowhere must not matter
    CompleteUnit(out.Command().data(), 13);
    EXPECT_EQ(std::accumulate(out.Command().begin(), out.Command().end(), 0u) % 256, 0u);
    EXPECT_TRUE(HasValidChecksum(out.Command().data()));
}

TEST(CommandFrame, BuildingANewCommandLeavesNothingOfTheLastOne) {
    OutgoingBuffers out;
    auto& frame = out.Write(Command({0xFA, 0x21}));
    for (int i = 4; i <= 12; ++i) frame[i] = 0x41;
    out.Write(Command({0x08, 0x0C}));
    EXPECT_EQ(ToHex(out.Command().data(), 13), "A5 5B 08 0C 00 00 00 00 00 00 00 00 00");
}

TEST(SendRequest, CodesNameTheirUnitAndTheLengthRuleCompletesOnlyFramedUnits) {
    OutgoingBuffers out;
    struct Case {
        int code;
        std::size_t length;
    };
    for (auto [code, length] :
         {Case{2, 13}, Case{4, 13}, Case{5, 13}, Case{6, 1029}, Case{3, 256}}) {
        auto unit = out.UnitFor(static_cast<SendRequest>(code));
        ASSERT_TRUE(unit) << code;
        EXPECT_EQ(unit->size(), length) << code;
    }
    for (int code : {0, 1, 7, 999, 1000, 1001, -4})
        EXPECT_FALSE(out.UnitFor(static_cast<SendRequest>(code))) << code;

    // The raw block goes out exactly as filled, its last byte included.
    out.Raw().fill(0x11);
    CompleteUnit(out.Raw().data(), out.Raw().size());
    EXPECT_EQ(out.Raw()[255], 0x11);

    auto& data = out.Data();
    data.fill(0);
    data[0] = 0xFE, data[1] = 0xEF, data[2] = 0x80, data[3] = 0x02, data[4] = 0x33;
    CompleteUnit(data.data(), data.size());
    EXPECT_EQ(data[1028], Checksum(data.data(), 1028));
    EXPECT_EQ(std::accumulate(data.begin(), data.end(), 0u) % 256, 0u);
}

}  // namespace
}  // namespace torvane
