#include <windows.h>

#include <filesystem>
#include <utility>

#include "platform/utf8_path.h"
#include "platform/win_text.h"
#include "profile/profile_files.h"

namespace torvane::profile {
namespace {

Error Failed(const std::string& what, const std::string& path) {
    return SystemError(what + " " + path + ": " + SystemErrorText(::GetLastError()));
}

HANDLE HandleOf(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

void Release(std::intptr_t handle) {
    if (handle == -1) return;
    OVERLAPPED whole{};
    ::UnlockFileEx(HandleOf(handle), 0, MAXDWORD, MAXDWORD, &whole);
    ::CloseHandle(HandleOf(handle));
}

}  // namespace

Result<FileLock> FileLock::Acquire(const std::string& path) {
    const HANDLE file = ::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed("cannot open the lock file", path);
    OVERLAPPED whole{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const Error error = Failed("cannot lock", path);
        ::CloseHandle(file);
        return error;
    }
    return FileLock(reinterpret_cast<std::intptr_t>(file));
}

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release(handle_);
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

FileLock::~FileLock() { Release(handle_); }

Status WriteFileAtomically(const std::string& path, std::string_view contents) {
    const std::string temporary = path + ".tmp-" + std::to_string(::GetCurrentProcessId());
    const std::wstring wideTemporary = WideFromUtf8(temporary);
    const HANDLE file = ::CreateFileW(wideTemporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failed("cannot write", path);
    DWORD written = 0;
    // Durable before the replacement, so a crash leaves the old file or the
    // new one and never an empty one.
    const bool whole = ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()),
                                   &written, nullptr) &&
                       written == contents.size() && ::FlushFileBuffers(file);
    const Error failure = Failed("cannot write", path);
    ::CloseHandle(file);
    if (!whole || !::MoveFileExW(wideTemporary.c_str(), WideFromUtf8(path).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const Error error = whole ? Failed("cannot write", path) : failure;
        ::DeleteFileW(wideTemporary.c_str());
        return error;
    }
    return {};
}

// The user's own folders are private to the user already; a new folder
// inherits that.
Status MakePrivateFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(PathFromUtf8(folder), ec);
    if (ec) return SystemError("cannot make the folder " + folder + ": " + ec.message());
    if (!std::filesystem::is_directory(PathFromUtf8(folder), ec))
        return SystemError(folder + " is not a folder");
    return {};
}

}  // namespace torvane::profile
