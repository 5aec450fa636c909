#include "profile/profile_store.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "profile/profile_files.h"

namespace torvane::profile {
namespace {

namespace fs = std::filesystem;

// The file's bytes (at most one more than the parser takes, so an oversized
// file is refused by the parser with its reason), or nothing when there is
// no file.
Result<std::optional<std::string>> ReadSmallFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        if (errno == ENOENT) return std::optional<std::string>();
        return SystemError("cannot read " + path + ": " + std::strerror(errno));
    }
    std::string text;
    char buffer[16384];
    while (text.size() <= kMaxProfileFileSize) {
        const std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
        text.append(buffer, n);
        if (n < sizeof buffer) break;
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return SystemError("cannot read " + path);
    return std::optional<std::string>(std::move(text));
}

std::string UtcStamp() {
    using namespace std::chrono;
    const auto now = floor<seconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date(day);
    const hh_mm_ss time(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u-%02ld%02ld%02ld", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), long(time.hours().count()),
                  long(time.minutes().count()), long(time.seconds().count()));
    return text;
}

// Moves the unreadable profile at `path` to a name of its own (never over
// another file) and says so; the lock is held, so no other writer races us.
Result<std::string> MoveAside(const std::string& path, const std::string& reason) {
    const std::string base = path + ".unreadable-" + UtcStamp();
    std::string aside = base;
    std::error_code error;
    for (int n = 2; fs::exists(aside, error); ++n) aside = base + "-" + std::to_string(n);
    if (!error) fs::rename(path, aside, error);
    const std::string what = "the profile " + path + " could not be read (" + reason + ")";
    if (error) return SystemError(what + " and could not be moved aside: " + error.message());
    return what + "; it was moved to " + aside + " and this switcher starts with an empty profile";
}

std::string LockPath(const std::string& profilePath) { return profilePath + ".lock"; }

}  // namespace

Result<std::string> ProfileStore::DefaultFolder(const Environment& environment) {
    const char* config = environment("XDG_CONFIG_HOME");
    if (config != nullptr && fs::path(config).is_absolute())
        return (fs::path(config) / "torvane").string();
    const char* home = environment("HOME");
    if (home != nullptr && fs::path(home).is_absolute())
        return (fs::path(home) / ".config" / "torvane").string();
    // Windows names the user's own settings folder here and sets no HOME.
    const char* appData = environment("APPDATA");
    if (appData != nullptr && fs::path(appData).is_absolute())
        return (fs::path(appData) / "torvane").string();
    return SystemError(
        "no folder for profiles: none of XDG_CONFIG_HOME, HOME and APPDATA names an "
        "absolute path");
}

std::string ProfileStore::PathOf(const std::string& key) const {
    return (fs::path(folder_) / (key + ".json")).string();
}

Result<ProfileStore::Loaded> ProfileStore::Load(const std::string& key) {
    auto text = ReadSmallFile(PathOf(key));
    if (!text) return text.error();
    if (!text.value()) return Loaded{};
    auto parsed = ParseProfile(**text);
    if (parsed) return Loaded{std::move(parsed.value()), ""};
    // Unreadable: look again under the lock (a writer may have replaced it
    // meanwhile) before moving it aside.
    auto lock = FileLock::Acquire(LockPath(PathOf(key)));
    if (!lock) return lock.error();
    return ReadLocked(key);
}

Result<ProfileStore::Loaded> ProfileStore::ReadLocked(const std::string& key) {
    const std::string path = PathOf(key);
    auto text = ReadSmallFile(path);
    if (!text) return text.error();
    if (!text.value()) return Loaded{};
    auto parsed = ParseProfile(**text);
    if (parsed) return Loaded{std::move(parsed.value()), ""};
    auto notice = MoveAside(path, parsed.error().message);
    if (!notice) return notice.error();
    return Loaded{Profile{}, notice.value()};
}

Result<ProfileStore::Loaded> ProfileStore::Update(const std::string& key,
                                                  const std::function<Status(Profile&)>& change) {
    if (auto made = MakePrivateFolder(folder_); !made) return made.error();
    const std::string path = PathOf(key);
    auto lock = FileLock::Acquire(LockPath(path));
    if (!lock) return lock.error();
    auto loaded = ReadLocked(key);
    if (!loaded) return loaded.error();
    if (auto changed = change(loaded->profile); !changed) {
        Error error = changed.error();
        if (!loaded->notice.empty()) error.message = loaded->notice + "; " + error.message;
        return error;
    }
    if (auto written = WriteFileAtomically(path, ProfileToJson(loaded->profile)); !written)
        return written.error();
    return loaded;
}

Status ProfileStore::ExportPresets(const std::string& key, const std::string& file) {
    auto loaded = Load(key);
    if (!loaded) return loaded.error();
    return WriteFileAtomically(file, PresetsToJson(loaded->profile.presets));
}

Result<ProfileStore::Imported> ProfileStore::ImportPresets(const std::string& key,
                                                           const std::string& file) {
    auto text = ReadSmallFile(file);
    if (!text) return text.error();
    if (!text.value()) return SystemError("cannot read " + file + ": no such file");
    auto presets = ParsePresets(**text);
    if (!presets) return BadInput(file + ": " + presets.error().message);
    Imported imported;
    auto updated = Update(key, [&](Profile& profile) -> Status {
        for (const auto& [name, preset] : presets.value()) {
            (profile.presets.count(name) ? imported.replaced : imported.added).push_back(name);
            profile.presets[name] = preset;
        }
        return {};
    });
    if (!updated) return updated.error();
    imported.notice = updated->notice;
    return imported;
}

}  // namespace torvane::profile
