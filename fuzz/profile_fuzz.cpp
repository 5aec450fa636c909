// Arbitrary bytes as a profile file and as a preset export file, as the store
// reads them from disk: each gives a profile or a reason, and what is read
// is written back as a file that reads the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "profile/profile_json.h"

using namespace torvane::profile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (auto profile = ParseProfile(text)) {
        const auto again = ParseProfile(ProfileToJson(profile.value()));
        if (!again || !(again.value() == profile.value())) std::abort();
    } else if (profile.error().message.empty()) {
        std::abort();
    }
    if (auto presets = ParsePresets(text)) {
        const auto again = ParsePresets(PresetsToJson(presets.value()));
        if (!again || again.value() != presets.value()) std::abort();
    } else if (presets.error().message.empty()) {
        std::abort();
    }
    return 0;
}
