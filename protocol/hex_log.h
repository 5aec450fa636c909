#pragma once
// The Send and Receive hex logs: text buffers of the core that a front-end
// may show. Lines end in "\r\n" as the original edit controls hold them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace torvane {

class TextLog {
  public:
    const std::string& Text() const { return text_; }
    void Clear();
    // Called after every change, with the whole text.
    void SetOnChange(std::function<void(const std::string&)> onChange) {
        onChange_ = std::move(onChange);
    }

  protected:
    void Append(const std::string& more);

  private:
    std::string text_;
    std::function<void(const std::string&)> onChange_;
};

// Each frame on its own line; cleared when the 60th frame has been echoed.
class ReceiveLog : public TextLog {
  public:
    void Echo(const std::uint8_t* bytes, std::size_t count);
    // A network module datagram: a line break after every 13th byte, and not
    // counted as a frame.
    void EchoDatagram(const std::uint8_t* bytes, std::size_t count);
    int FrameCount() const { return frameCount_; }

  private:
    int frameCount_ = 0;
};

// 13 bytes a line; a unit longer than 13 bytes is followed by an empty line;
// cleared when the 60th unit has been echoed.
class SendLog : public TextLog {
  public:
    void Echo(const std::uint8_t* bytes, std::size_t count);
    int LineCount() const { return lineCount_; }
    int FrameCount() const { return frameCount_; }

  private:
    int lineCount_ = 0;
    int frameCount_ = 0;
};

}  // namespace torvane
