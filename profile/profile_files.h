#pragma once
// The file operations the profile store needs beyond the C++ library: a lock
// that two processes (or two descriptors in one) cannot hold at once, a write
// that leaves either the old file or the whole new one even across a crash
// or a power cut, and a private folder. One implementation per system
// (posix_profile_files.cpp).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace torvane::profile {

class FileLock {
  public:
    // Waits for the exclusive lock on the file at `path`, creating it. The
    // file itself is never removed: removing it would let a second writer
    // lock a new file while the first still holds the old one.
    static Result<FileLock> Acquire(const std::string& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock();  // releases the lock

  private:
    explicit FileLock(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;
};

// Writes `contents` to a new file next to `path`, makes it durable, then puts
// it in the place of `path` in one step. The file is readable by its owner
// only. On failure `path` is as it was and the message names it.
Status WriteFileAtomically(const std::string& path, std::string_view contents);

// Makes `folder` and any missing parents, each readable by its owner only.
Status MakePrivateFolder(const std::string& folder);

}  // namespace torvane::profile
