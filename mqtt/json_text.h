#pragma once
// How the bridge writes its JSON payloads: names from the switcher or its
// profile may hold bytes that are not UTF-8, and the payload carries a
// replacement character for them rather than failing to publish.

#include <nlohmann/json.hpp>
#include <string>

namespace torvane::mqtt {

inline std::string Dump(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace torvane::mqtt
