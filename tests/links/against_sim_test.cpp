// The links against torvane-sim: its pseudo-terminal through CSerialPort, its
// control port through the TCP socket, its discovery port through the UDP
// socket, as the program uses them.

#include <gtest/gtest.h>

#include <optional>

#include "links/system_serial_port.h"
#include "links/system_tcp_socket.h"
#include "links/system_udp_socket.h"
#include "platform/virtual_loop.h"
#include "protocol/frames.h"
#include "protocol/serial_assembler.h"
#include "protocol/tcp_reassembly.h"
#include "support/sim_process.h"

using namespace torvane;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes PowerStateQuery() {
    Bytes frame = {0xA5, 0x5B, 0x08, 0x0C, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    CompleteUnit(frame.data(), frame.size());
    return frame;
}

// Frames as the controller sees them: through the assembler, byte by byte.
struct AssemblingOwner : SerialPortOwner {
    void OnSerialBytes(const std::uint8_t* bytes, std::size_t count) override {
        for (std::size_t i = 0; i < count; ++i) assembler.Feed(bytes[i]);
    }
    void OnSerialFailure() override { ++failures; }

    std::vector<Bytes> frames;
    int failures = 0;
    SerialFrameAssembler assembler{
        [this](const std::uint8_t* f, std::size_t n) { frames.emplace_back(f, f + n); }};
};

class AgainstSim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim_.Start({"--port", "0", "--discovery-port", "0", "--config-port", "0"}))
            << sim_.Output();
    }
    void Settle(int ms) {
        loop_.RunUntil([] { return false; }, ms);
    }

    VirtualLoop loop_;
    sim::test::SimProcess sim_;
};

}  // namespace

TEST_F(AgainstSim, SerialQueryAnsweredAndHangUpReportedOnce) {
    AssemblingOwner owner;
    CSerialPort port(loop_);
    const Status opened =
        port.InitPort(&owner, sim_.Said("serial"), SerialSettings{115200, 'N', 8, 2});
    ASSERT_TRUE(opened) << opened.error().message;
    ASSERT_TRUE(port.StartMonitoring());

    const Bytes query = PowerStateQuery();
    port.WriteToPort(query.data(), query.size());
    ASSERT_TRUE(loop_.RunUntil([&] { return !owner.frames.empty(); }, 3000));
    const Bytes& reply = owner.frames[0];
    ASSERT_EQ(reply.size(), 13u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 4), Bytes({0xA5, 0x5B, 0x08, 0x0C}));
    EXPECT_TRUE(HasValidChecksum(reply.data()));

    sim_.Stop();  // the switcher's end of the cable goes away
    ASSERT_TRUE(loop_.RunUntil([&] { return owner.failures > 0; }, 3000));
    Settle(200);
    EXPECT_EQ(owner.failures, 1);
    port.StopMonitoring();
}

TEST_F(AgainstSim, TcpQueryAnsweredAndCloseReported) {
    struct Events : TcpSocketEvents {
        void OnTcpConnect(const Status& outcome) override { connected = outcome.ok(); }
        void OnTcpRead(const std::uint8_t* b, long n) override { reassembly.OnRead(b, n); }
        void OnTcpClose() override { ++closes; }
        std::optional<bool> connected;
        int closes = 0;
        std::vector<Bytes> frames;
        TcpReassembly reassembly{
            [this](const std::uint8_t* f, std::size_t n) { frames.emplace_back(f, f + n); }};
    } events;
    SystemTcpControlSocket socket(loop_);
    ASSERT_TRUE(socket.Connect("127.0.0.1", sim_.TcpPort(), &events));
    ASSERT_TRUE(loop_.RunUntil([&] { return events.connected.has_value(); }, 3000));
    ASSERT_TRUE(*events.connected);

    const Bytes query = PowerStateQuery();
    EXPECT_EQ(socket.Send(query.data(), query.size()), 13);
    ASSERT_TRUE(loop_.RunUntil([&] { return !events.frames.empty(); }, 3000));
    EXPECT_EQ(events.frames[0][2], 0x08);
    EXPECT_EQ(events.frames[0][3], 0x0C);

    sim_.Stop();
    ASSERT_TRUE(loop_.RunUntil([&] { return events.closes > 0; }, 3000));
    Settle(100);
    EXPECT_EQ(events.closes, 1);
}

TEST_F(AgainstSim, UdpDiscoveryAnswered) {
    SystemUdpSocket socket(loop_);
    std::vector<Datagram> answers;
    ASSERT_TRUE(socket.Open("127.0.0.1", 0, [&](const Datagram& d) { answers.push_back(d); }));
    const Bytes request = {0x61};
    const auto sent =
        socket.SendTo("127.0.0.1", sim_.UdpPort(true), request.data(), request.size());
    ASSERT_TRUE(sent);
    ASSERT_EQ(*sent, 1u);
    ASSERT_TRUE(loop_.RunUntil([&] { return !answers.empty(); }, 3000));
    ASSERT_GE(answers[0].bytes.size(), 20u);
    EXPECT_EQ(answers[0].bytes[18], 0x77);
    EXPECT_EQ(answers[0].bytes[19], 0x88);
    EXPECT_EQ(answers[0].fromIp, "127.0.0.1");
    EXPECT_EQ(answers[0].fromPort, sim_.UdpPort(true));
}
