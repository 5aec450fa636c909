// JSON text for scripts: whatever bytes a name holds, the output parses.

#include "cli/json.h"

#include <gtest/gtest.h>

namespace torvane::cli {
namespace {

TEST(JsonString, EscapesControlsAndKeepsOnlyWellFormedUtf8) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c\n\x01", "\"a\\\"b\\\\c\\n\\u0001\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\x8C",
         "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\x8C\""},
        // Latin-1 from a USB product string, stray and cut-short sequences,
        // an overlong form, a surrogate, past U+10FFFF.
        {"Prolific\xAE", "\"Prolific\\ufffd\""},
        {"\x80x\xC3", "\"\\ufffdx\\ufffd\""},
        {"\xC0\xAF", "\"\\ufffd\\ufffd\""},
        {"\xED\xA0\x80", "\"\\ufffd\\ufffd\\ufffd\""},
        {"\xF4\x90\x80\x80", "\"\\ufffd\\ufffd\\ufffd\\ufffd\""},
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(JsonString(text), json) << json;
}

}  // namespace
}  // namespace torvane::cli
