// The serial driver on a real pseudo-terminal pair.

#include <gtest/gtest.h>
#include <sys/file.h>

#include <cstring>
#include <ctime>
#include <functional>
#include <memory>

#include "links/posix_serial_write.h"
#include "links/posix_termios_settings.h"
#include "links/system_serial_port.h"
#include "platform/virtual_loop.h"
#include "pty_pair.h"
#include "support/bytes.h"

using namespace torvane;
using torvane::test::Hex;
using torvane::test::PtyPair;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct RecordingOwner : SerialPortOwner {
    void OnSerialBytes(const std::uint8_t* bytes, std::size_t count) override {
        // Each delivery arrives on the loop's thread.
        EXPECT_EQ(std::this_thread::get_id(), loopThread);
        received.insert(received.end(), bytes, bytes + count);
    }
    void OnSerialFailure() override { ++failures; }

    std::thread::id loopThread = std::this_thread::get_id();
    Bytes received;
    int failures = 0;
};

class SerialPortOnPty : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_FALSE(pty_.path.empty()) << "no pseudo-terminal"; }
    void Open() {
        const Status opened = port_.InitPort(&owner_, pty_.path, SerialSettings{});
        ASSERT_TRUE(opened) << opened.error().message;
        ASSERT_TRUE(port_.StartMonitoring());
    }
    bool ReceivedCount(std::size_t n, int ms = 2000) {
        return loop_.RunUntil([&] { return owner_.received.size() >= n; }, ms);
    }
    void Write(const Bytes& unit) { port_.WriteToPort(unit.data(), unit.size()); }

    VirtualLoop loop_;
    PtyPair pty_;
    RecordingOwner owner_;
    CSerialPort port_{loop_};
};

Bytes NumberedDataFrame(std::uint8_t seed) {
    Bytes frame(1029);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(seed + i * 7);
    return frame;
}

}  // namespace

TEST_F(SerialPortOnPty, BytesGoBothWaysWholeAndInOrder) {
    Open();
    pty_.Send(Hex("A5 5B 08"));
    pty_.Send(Hex("0C 01 00"));
    ASSERT_TRUE(ReceivedCount(6));
    EXPECT_EQ(owner_.received, Hex("A5 5B 08 0C 01 00"));

    // Units handed over back to back (a chain with the busy gate open) are
    // each written whole and in order, the 1029-byte data frame included.
    const Bytes command = Hex("A5 5B 08 0C 00 00 00 00 00 00 00 00 ED");
    Bytes expected;
    for (std::uint8_t i = 0; i < 8; ++i) {
        const Bytes unit = i % 2 ? NumberedDataFrame(i) : command;
        Write(unit);
        expected.insert(expected.end(), unit.begin(), unit.end());
    }
    EXPECT_EQ(pty_.Receive(expected.size()), expected);
}

TEST(SerialSettings, BuildRawLinesAndRefuseWhatTheLineCannotDo) {
    struct Case {
        SerialSettings settings;
        tcflag_t set, clear;
        speed_t speed;
    };
    const Case cases[] = {
        {{115200, 'N', 8, 2}, CS8 | CSTOPB | CLOCAL | CREAD, PARENB | HUPCL | CRTSCTS, B115200},
        {{9600, 'E', 7, 1}, CS7 | PARENB, PARODD | CSTOPB | CMSPAR, B9600},
        {{19200, 'O', 8, 1}, CS8 | PARENB | PARODD, CSTOPB | CMSPAR, B19200},
        {{9600, 'M', 8, 1}, CS8 | PARENB | PARODD | CMSPAR, 0, B9600},
        {{9600, 'S', 5, 1}, CS5 | PARENB | CMSPAR, PARODD, B9600},
    };
    for (const auto& c : cases) {
        termios t{};
        t.c_cflag = HUPCL | CRTSCTS | PARENB | PARODD | CMSPAR;
        t.c_lflag = ICANON | ECHO | ISIG;
        t.c_oflag = OPOST;
        t.c_iflag = IXON | ICRNL;
        ASSERT_EQ(ApplySerialSettings(c.settings, &t), "") << c.settings.parity;
        EXPECT_EQ(t.c_cflag & c.set, c.set) << c.settings.parity;
        EXPECT_EQ(t.c_cflag & c.clear, 0u) << c.settings.parity;
        EXPECT_EQ(t.c_cflag & CSIZE, c.set & CSIZE) << c.settings.parity;
        EXPECT_EQ(cfgetospeed(&t), c.speed);
        EXPECT_EQ(t.c_lflag | t.c_oflag | t.c_iflag, 0u) << "raw";
    }
    const SerialSettings refused[] = {
        {115200, 'X', 8, 2}, {12345, 'N', 8, 2}, {115200, 'N', 9, 2}, {115200, 'N', 8, 3}};
    for (const auto& settings : refused) {
        termios t{};
        t.c_cflag = CS7;
        EXPECT_NE(ApplySerialSettings(settings, &t), "") << settings.baud << settings.parity;
        EXPECT_EQ(t.c_cflag, static_cast<tcflag_t>(CS7)) << "a refused setting changes nothing";
    }
}

TEST_F(SerialPortOnPty, OpensAtTheControllersSettingsAndStillOpensWhenOneIsRefused) {
    ASSERT_TRUE(port_.InitPort(&owner_, pty_.path, SerialSettings{}));
    EXPECT_EQ(port_.ConfigurationProblem(), "") << "a port without modem lines is still good";
    termios t = pty_.PortSettings();
    EXPECT_EQ(t.c_cflag & (CSIZE | CSTOPB | PARENB | HUPCL), static_cast<tcflag_t>(CS8 | CSTOPB));
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);

    ASSERT_TRUE(port_.InitPort(&owner_, pty_.path, SerialSettings{57600, 'X', 8, 1}));
    EXPECT_NE(port_.ConfigurationProblem(), "");
    EXPECT_TRUE(port_.IsOpen());
    t = pty_.PortSettings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200)) << "left with the settings it had";
}

TEST_F(SerialPortOnPty, AnUnreadReplyIsPurgedBeforeEachWriteAndWhenMonitoringStarts) {
    pty_.Send(Hex("EE EE"));
    ASSERT_TRUE(pty_.WaitPendingAtPort(2));
    const Bytes unit = Hex("A5 5B 08 0C");
    EXPECT_EQ(PurgeAndWriteUnit(pty_.slave, unit.data(), unit.size(), -1), UnitWrite::kWritten);
    EXPECT_EQ(pty_.PendingAtPort(), 0);
    EXPECT_EQ(pty_.Receive(4), unit);

    ASSERT_TRUE(port_.InitPort(&owner_, pty_.path, SerialSettings{}));
    pty_.Send(Hex("EE EE EE"));
    ASSERT_TRUE(pty_.WaitPendingAtPort(3));
    ASSERT_TRUE(port_.StartMonitoring());
    pty_.Send(Hex("A5"));
    ASSERT_TRUE(ReceivedCount(1));
    EXPECT_EQ(owner_.received, Hex("A5"));
}

TEST_F(SerialPortOnPty, AHungUpPortReportsOnceWithoutSpinning) {
    const int threadsBefore = test::ThreadCount();
    Open();
    Write(Hex("A5 5B"));
    ASSERT_EQ(pty_.Receive(2).size(), 2u);
    pty_.CloseMaster();
    ASSERT_TRUE(loop_.RunUntil([&] { return owner_.failures > 0; }, 2000));

    // Writes to the dead port fail too; still one report, and the thread idles.
    const std::clock_t cpuBefore = std::clock();
    Write(Hex("A5 5B 08 0C"));
    loop_.RunUntil([] { return false; }, 200);
    const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_EQ(owner_.failures, 1);
    EXPECT_LT(cpuMs, 100.0);
    EXPECT_EQ(test::ThreadCount(), threadsBefore + 1) << "the thread waits for StopMonitoring";
    port_.StopMonitoring();
    EXPECT_TRUE(loop_.RunUntil([&] { return test::ThreadCount() == threadsBefore; }, 2000));
}

TEST_F(SerialPortOnPty, APortThatCannotBeOpenedSaysWhy) {
    const Status opened = port_.InitPort(&owner_, "/dev/torvane-no-such-port", SerialSettings{});
    EXPECT_FALSE(opened);
    EXPECT_NE(opened.error().message.find("No such file or directory"), std::string::npos)
        << opened.error().message;
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.StartMonitoring());

    // Another program holding the port's lock keeps us out.
    const int other = ::open(pty_.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    const Status refused = port_.InitPort(&owner_, pty_.path, SerialSettings{});
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.error().message.find("in use"), std::string::npos) << refused.error().message;
    ::close(other);
    EXPECT_TRUE(port_.InitPort(&owner_, pty_.path, SerialSettings{}));
}

// What another program finds after we let the port go: a plain open works
// (a line left exclusive refuses every user but root) and the line is not
// marked exclusive any more (which root would not otherwise notice).
::testing::AssertionResult FreeForOthers(const PtyPair& pty) {
    int exclusive = -1;
    if (::ioctl(pty.slave, TIOCGEXCL, &exclusive) != 0 || exclusive != 0)
        return ::testing::AssertionFailure() << "the line is still exclusive";
    const int fd = ::open(pty.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return ::testing::AssertionFailure() << std::strerror(errno);
    ::close(fd);
    return ::testing::AssertionSuccess();
}

TEST_F(SerialPortOnPty, EveryWayOfLettingGoLeavesThePortFreeForOthers) {
    struct Case {
        const char* name;
        bool monitor;
        std::function<void(std::unique_ptr<CSerialPort>&)> letGo;
    };
    PtyPair other;
    const Case cases[] = {
        {"stop while monitoring", true, [](auto& port) { port->StopMonitoring(); }},
        {"stop before monitoring", false, [](auto& port) { port->StopMonitoring(); }},
        {"destroyed while monitoring", true, [](auto& port) { port.reset(); }},
        {"another port opened", false,
         [&](auto& port) { (void)port->InitPort(&owner_, other.path, SerialSettings{}); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Several rounds: the first close must not spoil the next open.
        for (int round = 0; round < 2; ++round) {
            auto port = std::make_unique<CSerialPort>(loop_);
            const Status opened = port->InitPort(&owner_, pty_.path, SerialSettings{});
            ASSERT_TRUE(opened) << opened.error().message;
            if (c.monitor) {
                ASSERT_TRUE(port->StartMonitoring());
            }
            int exclusive = 0;
            ::ioctl(pty_.slave, TIOCGEXCL, &exclusive);
            EXPECT_EQ(exclusive, 1) << "held exclusively while open";
            c.letGo(port);
            EXPECT_TRUE(loop_.RunUntil([&] { return FreeForOthers(pty_); }, 2000))
                << FreeForOthers(pty_).message();
        }
    }
}

TEST_F(SerialPortOnPty, StopThenOpenAnotherPortLeavesNothingBehind) {
    const int descriptorsBefore = test::OpenDescriptorCount();
    const int threadsBefore = test::ThreadCount();
    Open();
    pty_.Send(Hex("01"));
    ASSERT_TRUE(ReceivedCount(1));

    port_.StopMonitoring();
    Write(Hex("A5"));  // after stopping, nothing more is written
    PtyPair other;
    ASSERT_TRUE(port_.InitPort(&owner_, other.path, SerialSettings{}));
    EXPECT_EQ(test::ThreadCount(), threadsBefore) << "InitPort waited for the old thread";
    ASSERT_TRUE(port_.StartMonitoring());

    pty_.Send(Hex("EE"));  // the old port is closed: this goes nowhere
    other.Send(Hex("02"));
    ASSERT_TRUE(ReceivedCount(2));
    EXPECT_EQ(owner_.received, Hex("01 02"));
    EXPECT_TRUE(pty_.Receive(1, 50).empty());

    port_.StopMonitoring();
    ASSERT_TRUE(loop_.RunUntil([&] { return test::ThreadCount() == threadsBefore; }, 2000));
    EXPECT_FALSE(port_.IsOpen());
    // The other pair's own two descriptors are all that is new.
    EXPECT_EQ(test::OpenDescriptorCount(), descriptorsBefore + 2);
}

TEST_F(SerialPortOnPty, DestroyingWhileMonitoringEndsTheThreadAndClosesThePort) {
    const int descriptorsBefore = test::OpenDescriptorCount();
    {
        CSerialPort port(loop_);
        ASSERT_TRUE(port.InitPort(&owner_, pty_.path, SerialSettings{}));
        ASSERT_TRUE(port.StartMonitoring());
        pty_.Send(Hex("01 02 03"));
    }
    EXPECT_EQ(test::OpenDescriptorCount(), descriptorsBefore);
    // Bytes posted before the end never reach the owner afterwards.
    loop_.RunUntil([] { return false; }, 50);
    EXPECT_TRUE(owner_.received.empty());
    const int other = ::open(pty_.path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0) << "the port was let go";
    ::close(other);
}
