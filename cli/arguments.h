#pragma once
// How torvanectl reads the values of its arguments: every command reads a
// number, an output, an input or on/off the same way.

#include <optional>
#include <string>

namespace torvane::cli {

// Decimal digits only (leading zeros allowed, so "03" is 3), from `min` to `max`.
std::optional<int> ReadNumber(const std::string& text, int min, int max);
// "on" or "off" in any case.
std::optional<bool> ReadOnOff(const std::string& text);
// An input, 1 to 8.
std::optional<int> ReadInput(const std::string& text);
// An input, 1 to 8, or "all" in any case (returned as 0).
std::optional<int> ReadInputOrAll(const std::string& text);
// An output as a letter A-H in any case, or 1 to 8; returned as 1 to 8.
std::optional<int> ReadOutput(const std::string& text);
std::string OutputLetter(int output);

// An argument that looks like an option ("-x", "--name"); "-" alone does not
// (it names standard input).
bool LooksLikeOption(const std::string& text);

}  // namespace torvane::cli
