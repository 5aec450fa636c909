#include "sim/posix_byte_stream_writer.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace torvane::sim {

void ByteStreamWriter::Write(const std::vector<std::uint8_t>& bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    Flush();
}

void ByteStreamWriter::OnWritable() { Flush(); }

void ByteStreamWriter::Flush() {
    while (!pending_.empty()) {
        const ssize_t n = ::write(fd_, pending_.data(), pending_.size());
        if (n > 0) {
            pending_.erase(pending_.begin(), pending_.begin() + n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            loop_.UpdateWatch(watch_, readEvents_ | EventLoop::kWritable);
            return;
        }
        pending_.clear();
        if (onBroken_) onBroken_();
        return;
    }
    loop_.UpdateWatch(watch_, readEvents_);
}

}  // namespace torvane::sim
