#pragma once
// The profile file and the preset export file as JSON text (the layout is in
// docs/profile.md). Reading takes outside input: any bytes give a profile or
// the reason they are not one, with the parser's own message for bad JSON.

#include <map>
#include <string>
#include <string_view>

#include "platform/result.h"
#include "profile/profile.h"

namespace torvane::profile {

using Presets = std::map<std::string, Preset>;

// The largest profile or export file read; anything larger is refused.
inline constexpr std::size_t kMaxProfileFileSize = 1 << 20;

std::string ProfileToJson(const Profile& profile);
Result<Profile> ParseProfile(std::string_view text);

std::string PresetsToJson(const Presets& presets);
Result<Presets> ParsePresets(std::string_view text);

}  // namespace torvane::profile
