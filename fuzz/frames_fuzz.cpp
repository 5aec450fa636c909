// Arbitrary bytes from the switcher through both receive paths and dispatch.
// The first byte chooses the active page and how often a unit counts as sent;
// the rest is fed to the serial assembler byte by byte and to the TCP
// reassembly in chunks whose sizes the data also chooses.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "protocol/serial_assembler.h"
#include "protocol/tcp_reassembly.h"

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t control = data[0];
    ++data;
    --size;

    static constexpr PageCode kPages[] = {PageCode::kGeneral, PageCode::kEdid, PageCode::kMatrix,
                                          PageCode::kUpgrade};
    ReceiveLog log;
    FrameDispatcher dispatcher(log);
    dispatcher.SetPageCode(kPages[control & 3]);
    std::size_t handled = 0;
    for (auto page : kPages) {
        dispatcher.SetReplyHandler(page, [&](const std::uint8_t* frame) {
            if (!HasValidChecksum(frame)) std::abort();  // dispatch must have checked it
            ++handled;
        });
    }
    const bool alwaysAwaiting = control & 4;

    SerialFrameAssembler serial([&](const std::uint8_t* frame, std::size_t length) {
        if (length != kCommandFrameSize) std::abort();
        dispatcher.DispatchFrame(frame, length);
        if (alwaysAwaiting) dispatcher.NoteUnitSent();
    });
    dispatcher.NoteUnitSent();
    for (std::size_t i = 0; i < size; ++i) {
        serial.Feed(data[i]);
        if (serial.HuntPosition() < 2 || serial.HuntPosition() > 255) std::abort();
        if (serial.FramePosition() < 0 || serial.FramePosition() > 12) std::abort();
    }

    TcpReassembly tcp([&](const std::uint8_t* frame, std::size_t length) {
        if (length != kCommandFrameSize || frame[0] != 0xA5 || frame[1] != 0x5B) std::abort();
        dispatcher.DispatchFrame(frame, length);
        dispatcher.NoteUnitSent();
    });
    std::size_t at = 0;
    while (at < size) {
        // Chunk sizes up to 2 KiB, larger than the buffer, to exercise the cap.
        std::size_t chunk = 1 + (static_cast<std::size_t>(data[at]) * 8) % 2048;
        if (chunk > size - at) chunk = size - at;
        tcp.OnRead(data + at, static_cast<long>(chunk));
        if (tcp.Held() > TcpReassembly::kCapacity) std::abort();
        at += chunk;
    }
    tcp.OnRead(nullptr, -1);
    return 0;
}
