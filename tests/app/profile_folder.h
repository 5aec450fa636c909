#pragma once
// A configuration folder of the test's own: profiles written by one test
// process never meet another's.

#include <cstdlib>
#include <filesystem>
#include <string>

namespace torvane::test {

class ProfileFolder {
  public:
    ProfileFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "torvane-profiles-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root_ = pattern;
    }
    ~ProfileFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    ProfileFolder(const ProfileFolder&) = delete;
    ProfileFolder& operator=(const ProfileFolder&) = delete;

    // What XDG_CONFIG_HOME would be.
    const std::string& Root() const { return root_; }
    // The folder the profiles live in.
    std::string Profiles() const { return root_ + "/torvane"; }

  private:
    std::string root_;
};

}  // namespace torvane::test
