// Throughput of the receive paths. The serial line brings at most 10,473
// bytes/s (115200 baud, 11 bits a byte); the goal is 1000 times that.

#include <benchmark/benchmark.h>

#include <vector>

#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "protocol/serial_assembler.h"
#include "protocol/tcp_reassembly.h"

using namespace torvane;

namespace {
std::vector<std::uint8_t> ReplyStream(int frames) {
    std::vector<std::uint8_t> out;
    for (int i = 0; i < frames; ++i) {
        std::uint8_t f[13] = {0xA5, 0x5B, 0x02, 0x01, static_cast<std::uint8_t>(i % 8 + 1), 0, 3};
        f[12] = Checksum(f, 12);
        out.insert(out.end(), f, f + 13);
        out.push_back(0x00);  // a stray byte between frames, as a noisy line has
    }
    return out;
}
}  // namespace

static void SerialAssemblerAndDispatch(benchmark::State& state) {
    const auto stream = ReplyStream(1000);
    ReceiveLog log;
    FrameDispatcher dispatcher(log);
    std::size_t handled = 0;
    dispatcher.SetReplyHandler(PageCode::kGeneral, [&](const std::uint8_t*) { ++handled; });
    SerialFrameAssembler serial([&](const std::uint8_t* f, std::size_t n) {
        dispatcher.DispatchFrame(f, n);
        dispatcher.NoteUnitSent();  // as if each reply answered a send
    });
    dispatcher.NoteUnitSent();
    for (auto _ : state)
        for (auto b : stream) serial.Feed(b);
    benchmark::DoNotOptimize(handled);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
    state.counters["x_line_rate"] =
        benchmark::Counter(static_cast<double>(state.iterations() * stream.size()) / 10473.0,
                           benchmark::Counter::kIsRate);
}
BENCHMARK(SerialAssemblerAndDispatch);

static void TcpReassemblyFrames(benchmark::State& state) {
    auto stream = ReplyStream(1);
    stream.pop_back();
    ReceiveLog log;
    FrameDispatcher dispatcher(log);
    std::size_t handled = 0;
    dispatcher.SetReplyHandler(PageCode::kGeneral, [&](const std::uint8_t*) { ++handled; });
    TcpReassembly tcp([&](const std::uint8_t* f, std::size_t n) {
        dispatcher.DispatchFrame(f, n);
        dispatcher.NoteUnitSent();
    });
    dispatcher.NoteUnitSent();
    for (auto _ : state) tcp.OnRead(stream.data(), static_cast<long>(stream.size()));
    benchmark::DoNotOptimize(handled);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(TcpReassemblyFrames);
