#pragma once
// Splits the byte stream a switcher receives into the units the program
// sends: 13-byte command frames (A5 5B), 1029-byte data frames (FE EF) and,
// when one is expected, the 256-byte raw block that carries no header at all.
// Bytes outside a unit are skipped.

#include <cstdint>
#include <functional>
#include <vector>

namespace torvane::sim {

enum class UnitKind { kCommandFrame, kDataFrame, kRawBlock };

class UnitParser {
  public:
    using UnitHandler = std::function<void(UnitKind, const std::vector<std::uint8_t>&)>;

    explicit UnitParser(UnitHandler onUnit) : onUnit_(std::move(onUnit)) {}

    void Feed(const std::uint8_t* bytes, std::size_t count);
    // The next 256 bytes form a raw block, whatever they are.
    void ExpectRawBlock();
    // Drops a partly received unit and any raw-block expectation.
    void Reset();
    bool ExpectingRawBlock() const { return want_ == UnitKind::kRawBlock && collecting_; }

  private:
    void Feed(std::uint8_t byte);

    UnitHandler onUnit_;
    bool collecting_ = false;
    UnitKind want_ = UnitKind::kCommandFrame;
    std::size_t wantSize_ = 0;
    std::vector<std::uint8_t> unit_;
    int previous_ = -1;  // last skipped byte, for spotting a header
};

}  // namespace torvane::sim
