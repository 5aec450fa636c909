// The receive paths (serial assembler, TCP reassembly) through dispatch, as
// one fixture: bytes in, frames handled and the Receive log out.

#include <gtest/gtest.h>

#include "protocol/dispatcher.h"
#include "protocol/frames.h"
#include "protocol/serial_assembler.h"
#include "protocol/tcp_reassembly.h"
#include "support/bytes.h"

namespace torvane {
namespace {
using test::Hex;
using test::ToHex;

struct Rig {
    Rig() {
        for (auto page :
             {PageCode::kGeneral, PageCode::kEdid, PageCode::kMatrix, PageCode::kUpgrade})
            dispatcher.SetReplyHandler(page, [this, page](const std::uint8_t* f) {
                handled.push_back(ToHex(f, 13));
                handledBy.push_back(page);
            });
    }
    void Serial(const std::vector<std::uint8_t>& bytes) {
        for (auto b : bytes) serial.Feed(b);
    }
    void Tcp(const std::vector<std::uint8_t>& bytes) {
        tcp.OnRead(bytes.data(), static_cast<long>(bytes.size()));
    }

    ReceiveLog log;
    FrameDispatcher dispatcher{log};
    std::vector<std::string> handled;
    std::vector<PageCode> handledBy;
    SerialFrameAssembler serial{
        [this](const std::uint8_t* f, std::size_t n) { dispatcher.DispatchFrame(f, n); }};
    TcpReassembly tcp{
        [this](const std::uint8_t* f, std::size_t n) { dispatcher.DispatchFrame(f, n); }};
};

class Receive : public ::testing::Test, public Rig {};

const std::string kInput1 = "A5 5B 01 04 01 00 00 00 00 00 00 00 FA";

TEST_F(Receive, SerialSkipsNoiseAndWaitsForTheThirteenthByte) {
    dispatcher.NoteUnitSent();
    auto bytes = Hex("00 " + kInput1);
    Serial({bytes.begin(), bytes.end() - 1});
    EXPECT_TRUE(handled.empty());
    Serial({bytes.back()});
    EXPECT_EQ(handled, std::vector<std::string>{kInput1});
    EXPECT_EQ(log.Text(), kInput1 + " \r\n");
}

TEST_F(Receive, SerialDoesNotResynchroniseInsideAFrameAndTakesFeEfFrames) {
    dispatcher.NoteUnitSent();
    Serial(Hex("A5 5B A5 5B 01 00 00 00 00 00 00 00 00"));
    dispatcher.NoteUnitSent();
    Serial(Hex("FE EF 00 01 0F 00 00 00 00 00 00 00 03"));
    ASSERT_EQ(
        log.Text(),
        "A5 5B A5 5B 01 00 00 00 00 00 00 00 00 \r\nFE EF 00 01 0F 00 00 00 00 00 00 00 03 \r\n");
    // The first fails its checksum (logged, dropped); the FE EF one is good.
    EXPECT_EQ(handled, std::vector<std::string>{"FE EF 00 01 0F 00 00 00 00 00 00 00 03"});
}

TEST_F(Receive, SerialHeaderSplitByTheHuntWrapIsNotRecognised) {
    // 253 bytes of noise put the next byte (the 254th hunted) at position 255.
    dispatcher.NoteUnitSent();
    Serial(std::vector<std::uint8_t>(253, 0x00));
    Serial(Hex(kInput1));
    EXPECT_TRUE(handled.empty());
    // One byte earlier the header fits and the frame is taken.
    Rig other;
    other.dispatcher.NoteUnitSent();
    other.Serial(std::vector<std::uint8_t>(252, 0x00));
    other.Serial(Hex(kInput1));
    EXPECT_EQ(other.handled.size(), 1u);
}

TEST_F(Receive, TcpTakesOneFrameARead_WaitsForShortChunks_DropsFeEfAndOverflow) {
    dispatcher.NoteUnitSent();
    Tcp(Hex(kInput1 + kInput1));  // two frames in one read: only the first
    EXPECT_EQ(handled.size(), 1u);
    EXPECT_EQ(tcp.Held(), 0u);

    dispatcher.NoteUnitSent();
    auto frame = Hex(kInput1);
    Tcp({frame.begin(), frame.begin() + 5});
    EXPECT_EQ(tcp.Held(), 5u);
    Tcp({frame.begin() + 5, frame.end()});
    EXPECT_EQ(handled.size(), 2u);

    dispatcher.NoteUnitSent();
    Tcp(Hex("FE EF 00 01 0F 00 00 00 00 00 00 00 03"));
    Tcp(Hex("00"));
    EXPECT_EQ(handled.size(), 2u);
    EXPECT_EQ(tcp.Held(), 1u);

    // A read larger than the buffer: nothing is written past it, the first
    // 13 bytes held still decide.
    std::vector<std::uint8_t> huge(4000, 0x00);
    Tcp(huge);
    EXPECT_EQ(tcp.Held(), 0u);
    tcp.OnRead(nullptr, -1);  // a failed read adds nothing
    tcp.OnRead(frame.data(), 0);
    EXPECT_EQ(tcp.Held(), 0u);
}

TEST_F(Receive, OneFramePerUnitSent_BadChecksumUsesUpTheAcceptance) {
    Serial(Hex(kInput1));  // nothing sent since start: dropped without trace
    EXPECT_TRUE(handled.empty());
    EXPECT_EQ(log.Text(), "");

    dispatcher.NoteUnitSent();
    auto bad = Hex(kInput1);
    bad[12] ^= 0xFF;
    Serial(bad);
    Serial(Hex(kInput1));  // the good copy comes too late
    EXPECT_TRUE(handled.empty());
    EXPECT_EQ(log.Text(), ToHex(bad) + " \r\n");
}

TEST_F(Receive, RepliesGoToTheActivePagesHandler) {
    for (auto page : {PageCode::kMatrix, PageCode::kUpgrade, PageCode::kEdid, PageCode::kGeneral}) {
        dispatcher.SetPageCode(page);
        dispatcher.NoteUnitSent();
        Serial(Hex(kInput1));
        EXPECT_EQ(handledBy.back(), page);
    }
}

TEST(ReceiveLogEcho, ClearsAtTheSixtiethFrame) {
    ReceiveLog log;
    const auto frame = Hex(kInput1);
    for (int i = 0; i < 59; ++i) log.Echo(frame.data(), frame.size());
    EXPECT_EQ(log.FrameCount(), 59);
    log.Echo(frame.data(), frame.size());
    EXPECT_EQ(log.Text(), "");
    log.Echo(frame.data(), frame.size());
    EXPECT_EQ(log.Text(), kInput1 + " \r\n");
}

TEST(SendLogEcho, LinesOfThirteenAndAnEmptyLineAfterLongUnits) {
    SendLog log;
    const auto frame = Hex(kInput1);
    log.Echo(frame.data(), frame.size());
    EXPECT_EQ(log.Text(), kInput1 + " \r\n");
    EXPECT_EQ(log.LineCount(), 0);

    SendLog raw;
    std::vector<std::uint8_t> block(256, 0xAB);
    raw.Echo(block.data(), block.size());
    std::string line13, line9;
    for (int i = 0; i < 13; ++i) line13 += "AB ";
    for (int i = 0; i < 9; ++i) line9 += "AB ";
    std::string expected;
    for (int i = 0; i < 19; ++i) expected += line13 + "\r\n";
    expected += line9 + "\r\n\r\n";
    EXPECT_EQ(raw.Text(), expected);
    EXPECT_EQ(raw.LineCount(), 0);

    for (int i = 1; i < 59; ++i) log.Echo(frame.data(), frame.size());
    EXPECT_NE(log.Text(), "");
    log.Echo(frame.data(), frame.size());  // the 60th unit clears
    EXPECT_EQ(log.Text(), "");
    log.Echo(frame.data(), frame.size());
    EXPECT_EQ(log.Text(), kInput1 + " \r\n");
}

}  // namespace
}  // namespace torvane
