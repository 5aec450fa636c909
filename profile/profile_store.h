#pragma once
// Profiles on disk: one file per switcher, <folder>/<key>.json, where the key
// comes from switcher_key.h and the folder is the user's configuration
// folder. The window, torvanectl and the service may change one profile at
// the same time: every change is a read-modify-write under a file lock, and
// every write replaces the file in one step, so no change is lost and no
// reader sees half a file. A profile that cannot be read is never
// overwritten: it is moved aside, reported, and the switcher starts over with
// an empty profile.

#include <functional>
#include <string>
#include <vector>

#include "platform/result.h"
#include "profile/profile.h"
#include "profile/profile_json.h"

namespace torvane::profile {

class ProfileStore {
  public:
    using Environment = std::function<const char*(const char*)>;

    explicit ProfileStore(std::string folder) : folder_(std::move(folder)) {}

    // $XDG_CONFIG_HOME/torvane, else $HOME/.config/torvane (a relative
    // XDG_CONFIG_HOME is ignored, as the convention asks), else
    // %APPDATA%\torvane; an error when none names a folder.
    static Result<std::string> DefaultFolder(const Environment& environment);

    const std::string& Folder() const { return folder_; }
    std::string PathOf(const std::string& key) const;

    struct Loaded {
        Profile profile;
        // Set when an unreadable profile was moved aside: its path, the
        // reason and where it now is. Show it to the operator.
        std::string notice;
    };

    // The profile of `key`; empty when there is none yet.
    Result<Loaded> Load(const std::string& key);

    // Reads the profile under the lock, lets `change` edit it and writes it
    // back. When `change` fails nothing is written and its error is returned.
    Result<Loaded> Update(const std::string& key, const std::function<Status(Profile&)>& change);

    // Writes the presets of `key` to `file` (the export layout of
    // docs/profile.md).
    Status ExportPresets(const std::string& key, const std::string& file);

    struct Imported {
        std::vector<std::string> added;
        std::vector<std::string> replaced;  // presets of the same name before
        std::string notice;                 // as in Loaded
    };
    // Adds the presets of `file` to the profile of `key`, replacing those of
    // the same name. A file that is not a valid export is refused whole, with
    // the reason, and the profile stays as it was.
    Result<Imported> ImportPresets(const std::string& key, const std::string& file);

  private:
    // Reads and parses the profile; moves an unreadable one aside. Call with
    // the lock held.
    Result<Loaded> ReadLocked(const std::string& key);

    std::string folder_;
};

}  // namespace torvane::profile
