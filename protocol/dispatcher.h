#pragma once
// The only path from the links into the reply handlers. One frame is accepted
// per unit sent (the awaiting-reply flag); an accepted frame is echoed to the
// Receive log, and only a frame with a correct checksum reaches the handler of
// the active page. A frame with a bad checksum still uses up the acceptance.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "protocol/hex_log.h"

namespace torvane {

enum class PageCode : std::int8_t { kGeneral = 1, kEdid = 2, kMatrix = 4, kUpgrade = 5 };

class FrameDispatcher {
  public:
    using ReplyHandler = std::function<void(const std::uint8_t* frame)>;

    explicit FrameDispatcher(ReceiveLog& receiveLog) : receiveLog_(receiveLog) {}

    void SetReplyHandler(PageCode page, ReplyHandler handler);

    // Called by the send path every time a unit is written to a link.
    void NoteUnitSent() {
        awaitingReply_ = true;
        ++unitsSent_;
    }
    bool AwaitingReply() const { return awaitingReply_; }
    // Units sent so far: a front-end waiting on a chain gives each its time.
    unsigned long UnitsSent() const { return unitsSent_; }

    void SetPageCode(PageCode page) { pageCode_ = page; }
    PageCode ActivePage() const { return pageCode_; }

    // True when the frame was accepted with a correct checksum. `divert`,
    // when given, takes it instead of the active page's handler.
    bool DispatchFrame(const std::uint8_t* frame, std::size_t length,
                       const ReplyHandler& divert = nullptr);

  private:
    static std::size_t Slot(PageCode page);

    ReceiveLog& receiveLog_;
    bool awaitingReply_ = false;
    unsigned long unitsSent_ = 0;
    PageCode pageCode_ = PageCode::kGeneral;
    std::array<ReplyHandler, 4> handlers_;
};

}  // namespace torvane
