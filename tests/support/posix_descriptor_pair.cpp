#include <unistd.h>

#include <stdexcept>

#include "support/descriptor_pair.h"

namespace torvane::test {

DescriptorPair::DescriptorPair() {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    read_ = fds[0];
    write_ = fds[1];
}

DescriptorPair::~DescriptorPair() {
    ::close(read_);
    ::close(write_);
}

long DescriptorPair::Write(const char* bytes, std::size_t count) {
    return static_cast<long>(::write(write_, bytes, count));
}

long DescriptorPair::Read(char* bytes, std::size_t count) {
    return static_cast<long>(::read(read_, bytes, count));
}

}  // namespace torvane::test
