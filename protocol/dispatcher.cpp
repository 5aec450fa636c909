#include "protocol/dispatcher.h"

#include "protocol/frames.h"

namespace torvane {

std::size_t FrameDispatcher::Slot(PageCode page) {
    switch (page) {
        case PageCode::kGeneral:
            return 0;
        case PageCode::kEdid:
            return 1;
        case PageCode::kMatrix:
            return 2;
        case PageCode::kUpgrade:
            return 3;
    }
    return 0;
}

void FrameDispatcher::SetReplyHandler(PageCode page, ReplyHandler handler) {
    handlers_[Slot(page)] = std::move(handler);
}

bool FrameDispatcher::DispatchFrame(const std::uint8_t* frame, std::size_t length,
                                    const ReplyHandler& divert) {
    if (!awaitingReply_ || length != kCommandFrameSize) return false;
    awaitingReply_ = false;
    receiveLog_.Echo(frame, length);
    if (!HasValidChecksum(frame)) return false;
    // The handler may send (and so re-arm the flag) or even replace itself.
    auto handler = divert ? divert : handlers_[Slot(pageCode_)];
    if (handler) handler(frame);
    return true;
}

}  // namespace torvane
