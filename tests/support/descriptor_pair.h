#pragma once
// Two connected descriptors for the loop's own tests: bytes written to one
// end become readable at the other. A pipe, or on Windows, where the loop
// watches sockets only, a loopback TCP connection.

#include <cstddef>

namespace torvane::test {

class DescriptorPair {
  public:
    DescriptorPair();
    ~DescriptorPair();
    DescriptorPair(const DescriptorPair&) = delete;
    DescriptorPair& operator=(const DescriptorPair&) = delete;

    int ReadFd() const { return read_; }
    int WriteFd() const { return write_; }
    // What the one write or read call returned.
    long Write(const char* bytes, std::size_t count);
    long Read(char* bytes, std::size_t count);

  private:
    int read_ = -1;
    int write_ = -1;
};

}  // namespace torvane::test
