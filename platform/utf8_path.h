#pragma once
// File names are UTF-8 throughout the core. At the file system they become
// the system's own names (wide ones on Windows, where a narrow name would go
// through the ANSI code page and lose every letter it lacks), and back.

#include <cstdio>
#include <filesystem>
#include <string>

namespace torvane {

inline std::filesystem::path PathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

// Opens the file named `utf8Path` for reading bytes; nullptr, with errno
// set, when it cannot.
std::FILE* OpenForReading(const std::string& utf8Path);

}  // namespace torvane
