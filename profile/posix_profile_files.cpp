#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "profile/profile_files.h"

namespace torvane::profile {
namespace {

Error Failed(const std::string& what, const std::string& path) {
    return SystemError(what + " " + path + ": " + std::strerror(errno));
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

Result<FileLock> FileLock::Acquire(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return Failed("cannot open the lock file", path);
    while (::flock(fd, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        const Error error = Failed("cannot lock", path);
        ::close(fd);
        return error;
    }
    return FileLock(fd);
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (handle_ >= 0) ::close(static_cast<int>(handle_));
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

FileLock::~FileLock() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

Status WriteFileAtomically(const std::string& path, std::string_view contents) {
    std::string temporary = path + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return Failed("cannot write", path);
    // Durable before the rename, so a crash leaves the old file or the new
    // one and never an empty one.
    if (!WriteAll(fd, contents) || ::fsync(fd) != 0) {
        const Error error = Failed("cannot write", path);
        ::close(fd);
        ::unlink(temporary.c_str());
        return error;
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        const Error error = Failed("cannot write", path);
        ::unlink(temporary.c_str());
        return error;
    }
    // The rename itself is durable once the folder is.
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = std::filesystem::path(".");
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

Status MakePrivateFolder(const std::string& folder) {
    std::filesystem::path sofar;
    for (const auto& part : std::filesystem::path(folder)) {
        sofar /= part;
        if (::mkdir(sofar.c_str(), 0700) != 0 && errno != EEXIST)
            return Failed("cannot make the folder", sofar.string());
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return Failed("cannot reach the folder", folder);
    if (!S_ISDIR(st.st_mode)) return SystemError(folder + " is not a folder");
    return {};
}

}  // namespace torvane::profile
