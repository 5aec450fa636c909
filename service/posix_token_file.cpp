#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "service/token_file.h"

namespace torvane::service {
namespace {

constexpr std::size_t kTokenBytes = 24;

Result<std::string> NewToken() {
    unsigned char random[kTokenBytes];
    if (getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random))
        return SystemError(std::string("no random bytes for a token: ") + std::strerror(errno));
    static const char kHex[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : random) {
        token += kHex[b >> 4];
        token += kHex[b & 15];
    }
    return token;
}

Result<std::string> Create(const std::string& path) {
    auto token = NewToken();
    if (!token) return token;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return SystemError("cannot create " + path + ": " + std::strerror(errno));
    const std::string line = *token + "\n";
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    const int error = errno;
    ::close(fd);
    if (!written) {
        ::unlink(path.c_str());
        return SystemError("cannot write " + path + ": " + std::strerror(error));
    }
    return token;
}

}  // namespace

Result<std::string> ReadOrCreateToken(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return SystemError("cannot read " + path + ": " + std::strerror(errno));
        return Create(path);
    }
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        return SystemError(path + " may be read by others; make it private (chmod 600 " + path +
                           ")");
    std::ifstream in(path);
    std::string token;
    if (!in || !std::getline(in, token)) return SystemError("cannot read " + path);
    while (!token.empty() && (token.back() == '\r' || token.back() == ' ')) token.pop_back();
    if (token.size() < 16) return SystemError(path + " holds no token of at least 16 characters");
    return token;
}

}  // namespace torvane::service
