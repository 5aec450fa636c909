#pragma once
// Reading the small text files and links of sysfs and procfs.

#include <optional>
#include <string>

namespace torvane {

// The file's text without trailing white space; nullopt when unreadable.
std::optional<std::string> ReadSmallFile(const std::string& path);
// The target of a symbolic link; nullopt when `path` is not one.
std::optional<std::string> ReadLink(const std::string& path);
// The path with symbolic links resolved; nullopt when it does not exist.
std::optional<std::string> RealPath(const std::string& path);
bool PathExists(const std::string& path);
// "/a/b/c" -> "c"
std::string BaseName(const std::string& path);

}  // namespace torvane
