#include "sim/unit_parser.h"

#include "protocol/frames.h"

namespace torvane::sim {

void UnitParser::Feed(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Feed(bytes[i]);
}

void UnitParser::ExpectRawBlock() {
    collecting_ = true;
    want_ = UnitKind::kRawBlock;
    wantSize_ = kRawBlockSize;
    unit_.clear();
}

void UnitParser::Reset() {
    collecting_ = false;
    unit_.clear();
    previous_ = -1;
}

void UnitParser::Feed(std::uint8_t byte) {
    if (!collecting_) {
        const bool command = previous_ == kCommandHeader0 && byte == kCommandHeader1;
        const bool data = previous_ == kDataHeader0 && byte == kDataHeader1;
        if (!command && !data) {
            previous_ = byte;
            return;
        }
        collecting_ = true;
        want_ = command ? UnitKind::kCommandFrame : UnitKind::kDataFrame;
        wantSize_ = command ? kCommandFrameSize : kDataFrameSize;
        unit_.assign({static_cast<std::uint8_t>(previous_), byte});
        previous_ = -1;
        return;
    }
    unit_.push_back(byte);
    if (unit_.size() < wantSize_) return;
    collecting_ = false;
    std::vector<std::uint8_t> done;
    done.swap(unit_);
    onUnit_(want_, done);
}

}  // namespace torvane::sim
