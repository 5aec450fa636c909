#include "cli/json.h"

#include <nlohmann/json.hpp>

namespace torvane::cli {
namespace {

using Json = nlohmann::ordered_json;

// Names come from the system (a USB product string, a path) and need not be
// UTF-8. The library replaces each byte that is not part of a well-formed
// sequence with U+FFFD; written as the escape \ufffd, the replacement stays
// visible in the raw text and the output is ASCII wherever the input was.
std::string Dump(const Json& value) {
    const std::string text = value.dump(-1, ' ', false, Json::error_handler_t::replace);
    static const std::string kReplacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, kReplacement.size(), kReplacement) == 0) {
            out += "\\ufffd";
            at += kReplacement.size();
        } else {
            out += text[at++];
        }
    }
    return out;
}

}  // namespace

std::string JsonString(const std::string& text) { return Dump(Json(text)); }

std::string JsonStringArray(const std::vector<std::string>& texts) { return Dump(Json(texts)); }

std::string JsonObject::Text() const {
    Json object = Json::object();
    // The values were written by this file's functions (or are literals such
    // as "null"), so each reads back as one JSON value.
    for (const auto& [key, value] : members_)
        object[key] = Json::parse(value, nullptr, true, false);
    return Dump(object);
}

}  // namespace torvane::cli
