#pragma once
// How the service writes JSON: texts from the switcher or a client may hold
// bytes that are not UTF-8, and the body says so with a replacement
// character rather than failing; outputs are named by their letter.

#include <nlohmann/json.hpp>
#include <string>

namespace torvane::service {

inline std::string Dump(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// A port's name, null while none is set.
inline nlohmann::json NameOrNull(const std::string& name) {
    return name.empty() ? nlohmann::json() : nlohmann::json(name);
}

// "A" for output 1 to "H" for output 8.
inline std::string OutputLetter(int output) {
    return std::string(1, static_cast<char>('A' + output - 1));
}

}  // namespace torvane::service
