#pragma once
// The command line of torvanectl.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace torvane::cli {

// Exit statuses, also documented in --help and the README.
enum ExitCode : int {
    kExitDone = 0,
    kExitDeviceFailure = 1,  // the switcher timed out, refused or reported a failure
    kExitUsage = 2,          // a usage error or a bad input file
    kExitLinkFailure = 3,    // the link could not be opened
};

struct Options {
    bool serial = false;
    std::string serialPath;
    std::string host = "127.0.0.1";
    std::uint16_t port = 8000;
    bool json = false;
    bool trace = false;
    bool help = false;
    bool version = false;
    std::string command;
    std::vector<std::string> args;
    // Arguments from this position on came after "--": never options.
    std::size_t literalFrom = static_cast<std::size_t>(-1);
    bool IsOptionAt(std::size_t i) const;
};

// Parses argv; on a usage error returns nothing and sets `error`.
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error);

// "HOST" or "HOST:PORT"; false when the port is not a number from 1 to 65535.
bool ParseHostPort(const std::string& text, std::string& host, std::uint16_t& port);

const char* UsageText();

}  // namespace torvane::cli
