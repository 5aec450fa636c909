// Reading dotted IPv4 text, the same on every system.

#include "links/ipv4_address.h"

#include <gtest/gtest.h>

using namespace torvane;

TEST(ParseIpv4, TakesExactlyFourDecimalNumbersUpTo255) {
    const std::pair<const char*, std::optional<Ipv4Octets>> cases[] = {
        {"127.0.0.1", Ipv4Octets{127, 0, 0, 1}},
        {"0.0.0.0", Ipv4Octets{0, 0, 0, 0}},
        {"255.255.255.255", Ipv4Octets{255, 255, 255, 255}},
        {"192.168.1.20", Ipv4Octets{192, 168, 1, 20}},
        {"", std::nullopt},
        {"256.1.1.1", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2.3", std::nullopt},
        {"1.2.3.4.", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1.2.3.4 ", std::nullopt},
        {"01.2.3.4", std::nullopt},
        {"127.000.0.1", std::nullopt},
        {"1.2.3.0004", std::nullopt},
        {"1.2.3.-1", std::nullopt},
        {"a.b.c.d", std::nullopt},
        {"localhost", std::nullopt},
    };
    for (const auto& [text, ip] : cases) EXPECT_EQ(ParseIpv4(text), ip) << '"' << text << '"';
}

TEST(FormatIpv4, WritesTheDottedQuadBack) { EXPECT_EQ(FormatIpv4({10, 0, 255, 1}), "10.0.255.1"); }
