#pragma once
// torvanectl's one-object answers, written by the JSON library.

#include <string>
#include <utility>
#include <vector>

namespace torvane::cli {

std::string JsonString(const std::string& text);
std::string JsonStringArray(const std::vector<std::string>& texts);

// An object built member by member; values are JSON text already.
class JsonObject {
  public:
    JsonObject& Add(const std::string& key, const std::string& jsonValue) {
        members_.emplace_back(key, jsonValue);
        return *this;
    }
    JsonObject& AddString(const std::string& key, const std::string& text) {
        return Add(key, JsonString(text));
    }
    JsonObject& Append(const JsonObject& other) {
        members_.insert(members_.end(), other.members_.begin(), other.members_.end());
        return *this;
    }
    std::string Text() const;

  private:
    std::vector<std::pair<std::string, std::string>> members_;
};

}  // namespace torvane::cli
