// Faults that strike in the middle of an operation, against torvane-sim: the
// switcher's line cut, its connection closed, noise, a corrupted reply and an
// unasked frame in the middle of a chain. Each must end in the window's own
// message (or a clean finish), with the busy gate open again, nothing sent
// again but the one resend a command allows, and a reconnect that works.

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "live_window.h"
#include "pages/edid_dlg.h"
#include "res/edid_page_ids.h"

namespace torvane::test {
namespace {

using V = std::vector<std::string>;

// Units the window sends on connecting: the power state query, then the
// beep state query.
constexpr int kConnectUnits = 2;
// A command's time-out (3000 ms resend, 3000 ms give-up) with room for a
// loaded machine.
constexpr int kTimeOutMs = 9000;

std::string Query(const std::string& fromByte2) {
    std::vector<std::uint8_t> frame = Hex("A5 5B " + fromByte2);
    frame.resize(kCommandFrameSize, 0);
    CompleteUnit(frame.data(), frame.size());
    return ToHex(frame);
}

// Status asks IN1, OUTA, IN2, OUTB and so on, one query each.
std::string StatusQuery(int k) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "01 %02X %02X", k % 2 == 0 ? 0x04 : 0x05, k / 2 + 1);
    return Query(hex);
}
V StatusQueries() {
    V all;
    for (int k = 0; k < 16; ++k) all.push_back(StatusQuery(k));
    return all;
}

std::size_t Count(const V& units, const std::string& unit) {
    return static_cast<std::size_t>(std::count(units.begin(), units.end(), unit));
}

class MidOperation : public LiveWindow {
  protected:
    // Status finishes with every connection read (the simulator's inputs
    // 1 to 3 and outputs A and B are connected).
    void ExpectStatusRead() {
        const auto& ui = dlg_->Controls();
        EXPECT_EQ(ui.Text(res::kFirstInputLabel + 2), "HDMI IN3: Connect");
        EXPECT_EQ(ui.Text(res::kFirstInputLabel + 3), "HDMI IN4: Disconnect");
        EXPECT_EQ(ui.Text(res::kFirstOutputLabel + 1), "HDMI OUTB: Connect");
        EXPECT_EQ(ui.Text(res::kFirstOutputLabel + 7), "HDMI OUTH: Disconnect");
    }
    void RunStatus(int maxMs = kWaitMs) {
        TakeSent();
        dlg_->Click(res::kStatusButton);
        ASSERT_TRUE(RunUntil([this] { return Quiet(); }, maxMs));
    }
    // The lost link is told at once, `lost`; the command then ends in
    // "Time out!" with the busy gate open again.
    void ExpectLostThenTimeOut(const char* lost) {
        ASSERT_TRUE(RunUntil([this] { return Shown().size() == 2 && Settled(); }, kTimeOutMs));
        EXPECT_EQ(TakeMessages(), (V{lost, "Time out!"}));
        EXPECT_TRUE(dlg_->BusyGateOpen());
    }
    // After a cut line: the simulator is on a new pseudo-terminal under the
    // same name, and the window connects to it and reads the status again.
    void ExpectComReconnects() {
        ASSERT_NO_FATAL_FAILURE(ConnectCom());
        ASSERT_NO_FATAL_FAILURE(RunStatus());
        ExpectStatusRead();
    }
};

TEST_F(MidOperation, SerialLineCutDuringStatus) {
    Start({"--faults-after", std::to_string(kConnectUnits + 5), "--hang-up"});
    ConnectCom();
    TakeSent();
    dlg_->Click(res::kStatusButton);
    // The sixth query cuts the line: the window closes the port and says so
    // at once...
    ASSERT_TRUE(RunUntil([this] { return !dlg_->SerialOpen(); }));
    EXPECT_EQ(dlg_->Controls().Text(res::kComConnectButton), "Connect");
    EXPECT_EQ(Shown(), V{"Serial port failed!"});
    // ...and the command ends by its time-out, after its one resend.
    ExpectLostThenTimeOut("Serial port failed!");
    const V sent = TakeSent();
    const V queries = StatusQueries();
    EXPECT_EQ(sent, (V{queries[0], queries[1], queries[2], queries[3], queries[4], queries[5],
                       queries[5]}));
    ExpectComReconnects();
}

TEST_F(MidOperation, TcpPeerClosedDuringTheEdidList) {
    // The page entry reads IN1 to IN8; the fourth read meets a closed peer.
    Start({"--faults-after", std::to_string(kConnectUnits + 3), "--hang-up"});
    ConnectTcp();
    TakeSent();
    EnterPage(res::kEdidLabel);
    ASSERT_TRUE(RunUntil([this] { return !dlg_->TcpConnected(); }));
    ExpectLostThenTimeOut("Connection to Matrix lost!");
    const V sent = TakeSent();
    EXPECT_EQ(Count(sent, Query("01 0C 04")), 2u) << "sent once and resent once";
    EXPECT_EQ(Count(sent, Query("01 0C 05")), 0u);

    EnterPage(res::kGeneralLabel);
    ConnectTcp();
    ASSERT_NO_FATAL_FAILURE(RunStatus());
    ExpectStatusRead();
}

TEST_F(MidOperation, SerialLineCutDuringAnEdidFileWrite) {
    // A valid 128-byte EDID base block.
    std::vector<char> edid(128, 0);
    const char header[8] = {0, -1, -1, -1, -1, -1, -1, 0};
    std::copy(header, header + 8, edid.begin());
    unsigned sum = 0;
    for (int i = 0; i < 127; ++i) sum += static_cast<unsigned char>(edid[i]);
    edid[127] = static_cast<char>((256 - sum % 256) % 256);
    const std::string path = linkPath_ + ".bin";
    std::ofstream(path, std::ios::binary).write(edid.data(), 128);

    // Connecting, the page's eight reads, then the file write: its request,
    // the target, the start frame and the raw block, which cuts the line.
    Start({"--faults-after", std::to_string(kConnectUnits + 8 + 3), "--hang-up"});
    ConnectCom();
    EnterPage(res::kEdidLabel);
    ASSERT_TRUE(RunUntil([this] { return Quiet(); }));
    auto& page = dynamic_cast<CEDIDDlg&>(dlg_->PageFor(PageCode::kEdid).PageWindow());
    page.Click(res::kOpenEdidButton);
    ASSERT_TRUE(page.PendingFileChoice());
    page.AnswerFileChoice(path);
    ASSERT_TRUE(page.FileError().empty()) << page.FileError();
    ASSERT_TRUE(RunUntil([this] { return Settled(); }));
    TakeSent();
    TakeMessages();

    page.Click(res::kFileSetButton);
    ASSERT_TRUE(RunUntil([this] { return !dlg_->SerialOpen(); }));
    ExpectLostThenTimeOut("Serial port failed!");
    const V sent = TakeSent();
    ASSERT_EQ(sent.size(), 4u) << "a file write is never resent";
    EXPECT_EQ(sent[3].size(), 256u * 3 - 1) << "the raw block went out once, last";
    ::unlink(path.c_str());
    EnterPage(res::kGeneralLabel);
    ASSERT_TRUE(RunUntil([this] { return Settled(); }));
    TakeMessages();
    ExpectComReconnects();
}

// A switcher restarting in the middle of a chain: noise, a corrupted reply, an
// unasked frame. The chain recovers with at most the one resend of the
// command the fault struck, and reads the right values.
TEST_F(MidOperation, NoiseCorruptionAndUnaskedFramesInTheMiddleOfAChain) {
    struct Case {
        const char* what;
        std::vector<std::string> faults;
    };
    const Case cases[] = {
        // A header in the noise takes the reply's first bytes into a frame
        // that fails its checksum.
        {"garbage", {"--garbage", "A5 5B 00 FE EF 17"}},
        {"wrong checksum", {"--bad-checksum", "1"}},
        {"unasked frame", {"--extra-frames", "1", "--extra-frame", "A5 5B 02 01 01 00 03"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = {"--faults-after", std::to_string(kConnectUnits + 5),
                                         "--faults-for", "1"};
        args.insert(args.end(), c.faults.begin(), c.faults.end());
        sim_.Stop();
        app_.reset();
        ASSERT_NO_FATAL_FAILURE(Start(args));
        ASSERT_NO_FATAL_FAILURE(ConnectCom());
        ASSERT_NO_FATAL_FAILURE(RunStatus(kTimeOutMs));
        EXPECT_TRUE(TakeMessages().empty());
        ExpectStatusRead();
        const V sent = TakeSent();
        for (const auto& q : StatusQueries()) EXPECT_LE(Count(sent, q), 2u) << q;
        EXPECT_LE(sent.size(), 17u + 16u);
        dlg_->Click(res::kComConnectButton);
    }
}

}  // namespace
}  // namespace torvane::test
