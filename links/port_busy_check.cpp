#include "links/port_busy_check.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "links/small_files.h"

namespace torvane {

namespace {

bool AllDigits(const char* text) {
    if (*text == '\0') return false;
    for (; *text; ++text)
        if (*text < '0' || *text > '9') return false;
    return true;
}

// Calls `each` with the target of every descriptor link of every process.
template <typename Each>
void ForEachOpenFile(const std::string& procRoot, Each each) {
    DIR* proc = ::opendir(procRoot.c_str());
    if (proc == nullptr) return;
    while (const dirent* process = ::readdir(proc)) {
        if (!AllDigits(process->d_name)) continue;
        const std::string fdDir = procRoot + "/" + process->d_name + "/fd";
        const int dirFd = ::open(fdDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0) continue;  // gone, or not ours to read
        DIR* fds = ::fdopendir(dirFd);
        if (fds == nullptr) {
            ::close(dirFd);
            continue;
        }
        char target[PATH_MAX];
        while (const dirent* fd = ::readdir(fds)) {
            if (fd->d_name[0] == '.') continue;
            const ssize_t n = ::readlinkat(dirFd, fd->d_name, target, sizeof target);
            // Only device nodes matter: skip sockets, pipes and the like.
            if (n > 0 && target[0] == '/')
                each(std::string_view(target, static_cast<std::size_t>(n)));
        }
        ::closedir(fds);
    }
    ::closedir(proc);
}

}  // namespace

PortBusyCheck::PortBusyCheck(std::string procRoot, std::vector<std::string> lockDirs)
    : procRoot_(std::move(procRoot)) {
    // /var/lock is often a link to /run/lock: check each real folder once.
    for (const auto& dir : lockDirs) {
        const std::string real = RealPath(dir).value_or(dir);
        if (std::find(lockDirs_.begin(), lockDirs_.end(), real) == lockDirs_.end())
            lockDirs_.push_back(real);
    }
}

void PortBusyCheck::Begin(const std::vector<std::string>& devicePaths) {
    openPaths_.clear();
    if (devicePaths.empty()) return;
    // A descriptor's link names the device's real path; match that too.
    std::set<std::string, std::less<>> wanted;
    for (const auto& path : devicePaths) {
        wanted.insert(path);
        if (auto real = RealPath(path)) wanted.insert(*real);
    }
    ForEachOpenFile(procRoot_, [&](std::string_view target) {
        if (auto it = wanted.find(target); it != wanted.end()) openPaths_.insert(*it);
    });
}

bool PortBusyCheck::IsBusy(const std::string& devicePath) const {
    if (openPaths_.count(devicePath)) return true;
    if (auto real = RealPath(devicePath); real && openPaths_.count(*real)) return true;
    return IsLocked(devicePath);
}

bool PortBusyCheck::ProcessAlive(long pid) const {
    return pid > 0 && PathExists(procRoot_ + "/" + std::to_string(pid));
}

bool PortBusyCheck::IsLocked(const std::string& devicePath) const {
    const std::string lockName = "LCK.." + BaseName(devicePath);
    for (const auto& dir : lockDirs_) {
        const std::string lockPath = dir + "/" + lockName;
        const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof buffer - 1);
        ::close(fd);
        // The owner's pid, as ten-column text or (old style) a binary int.
        long pid = -1;
        if (n == static_cast<ssize_t>(sizeof(int))) {
            int binary = 0;
            std::memcpy(&binary, buffer, sizeof binary);
            pid = binary;
        }
        if (n > 0) {
            buffer[n] = '\0';
            char* p = buffer;
            while (*p == ' ') ++p;
            char* end = nullptr;
            const long text = std::strtol(p, &end, 10);
            if (end != p && (*end == '\n' || *end == '\0' || *end == ' ')) pid = text;
        }
        // A lock we cannot read is taken as held; a dead owner's lock is stale.
        if (pid <= 0 || ProcessAlive(pid)) return true;
    }
    return false;
}

}  // namespace torvane
