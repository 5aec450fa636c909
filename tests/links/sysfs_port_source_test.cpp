// The Linux port source on a fake sysfs, /dev, /proc and lock folder.

#include "links/sysfs_port_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fake_port_list.h"
#include "links/port_list_refresher.h"
#include "links/posix_link_factory.h"
#include "links/serial_enum.h"
#include "platform/virtual_loop.h"

using namespace torvane;
namespace fs = std::filesystem;

namespace {

// A machine with: an FTDI adapter (ttyUSB0, with serial number), a USB ACM
// board (ttyACM0, no serial number) that process 100 holds open, a PCI UART
// (ttyS4) locked by live process 300, an onboard UART (ttyS0) with a stale
// lock of dead process 999, an empty legacy UART slot (ttyS1) and a virtual
// terminal (tty0).
class FakeMachine : public ::testing::Test {
  protected:
    FakeMachine() {
        char pattern[] = "/tmp/torvane-sysfs-XXXXXX";
        root_ = ::mkdtemp(pattern);
        const std::string usb = "sys/devices/pci0000:00/0000:00:14.0/usb1";
        Write(usb + "/1-1/idVendor", "0403");
        Write(usb + "/1-1/product", "FT232R USB UART");
        Write(usb + "/1-1/manufacturer", "FTDI");
        Write(usb + "/1-1/serial", "A50285BI");
        Write(usb + "/1-1/1-1:1.0/ttyUSB0/uevent", "");
        Write(usb + "/1-2/idVendor", "2e8a");
        Write(usb + "/1-2/product", "Pico");
        Write(usb + "/1-2/1-2:1.0/uevent", "");
        Write("sys/devices/pci0000:00/0000:00:16.3/uevent", "");
        Link("sys/devices/pci0000:00/0000:00:16.3/subsystem", "sys/bus/pci");
        Write("sys/devices/platform/serial8250/uevent", "");
        Link("sys/devices/platform/serial8250/subsystem", "sys/bus/platform");

        Tty("ttyUSB0", usb + "/1-1/1-1:1.0/ttyUSB0", nullptr);
        Tty("ttyACM0", usb + "/1-2/1-2:1.0", nullptr);
        Tty("ttyS4", "sys/devices/pci0000:00/0000:00:16.3", "4");
        Tty("ttyS0", "sys/devices/platform/serial8250", "4");
        Tty("ttyS1", "sys/devices/platform/serial8250", "0");
        Write("sys/class/tty/tty0/uevent", "DEVNAME=tty0");
        Write("sys/bus/pci/.keep", "");
        Write("sys/bus/platform/.keep", "");

        Link("proc/100/fd/3", "dev/ttyACM0");
        Write("proc/100/fd/.keep", "");
        fs::create_symlink("socket:[1234]", Path("proc/100/fd/4"));
        Write("proc/300/fd/.keep", "");
        Write("lock/LCK..ttyS4", "       300\n");
        Write("lock/LCK..ttyS0", "       999\n");
        layout_ = {Path("sys"), Path("dev"), Path("proc"), {Path("lock")}};
    }
    ~FakeMachine() override { fs::remove_all(root_); }

    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
    void Write(const std::string& relative, const std::string& text) {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative)) << text;
    }
    void Link(const std::string& relative, const std::string& target) {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        fs::create_symlink(Path(target), Path(relative));
    }
    void Tty(const std::string& name, const std::string& device, const char* type) {
        Write("sys/class/tty/" + name + "/uevent", "MAJOR=4\nMINOR=1\nDEVNAME=" + name + "\n");
        Link("sys/class/tty/" + name + "/device", device);
        if (type) Write("sys/class/tty/" + name + "/type", type);
        Write("dev/" + name, "");
    }
    std::vector<SSerInfo> Collect(SysfsPortSource& source, bool probeBusy) {
        std::vector<SSerInfo> list;
        const Status collected = CollectSerialPorts(source, list, probeBusy);
        EXPECT_TRUE(collected) << collected.error().message;
        return list;
    }

    std::string root_;
    SysfsLayout layout_;
};

}  // namespace

TEST_F(FakeMachine, ListsEveryRealPortWithItsFriendlyName) {
    SysfsPortSource source(layout_);
    const auto ports = Collect(source, false);
    ASSERT_EQ(ports.size(), 4u);
    const std::string dev = Path("dev/");
    EXPECT_EQ(ports[0], (SSerInfo{dev + "ttyACM0", "", "Pico (" + dev + "ttyACM0)", true, "Pico"}));
    EXPECT_EQ(ports[1], (SSerInfo{dev + "ttyS0", "", "Serial port (" + dev + "ttyS0)", false,
                                  "Serial port"}));
    EXPECT_EQ(ports[2], (SSerInfo{dev + "ttyS4", "", "PCI serial port (" + dev + "ttyS4)", false,
                                  "PCI serial port"}));
    EXPECT_EQ(ports[3], (SSerInfo{dev + "ttyUSB0", "",
                                  "FT232R USB UART, serial A50285BI (" + dev + "ttyUSB0)", true,
                                  "FT232R USB UART"}));
}

TEST_F(FakeMachine, HeldAndLockedPortsAreLeftOutStaleLocksAreNot) {
    SysfsPortSource source(layout_);
    auto ports = Collect(source, true);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].devicePath, Path("dev/ttyS0"));
    EXPECT_EQ(ports[1].devicePath, Path("dev/ttyUSB0"));

    // The holder lets go of the board and the locking process ends.
    fs::remove(Path("proc/100/fd/3"));
    fs::remove_all(Path("proc/300"));
    EXPECT_EQ(Collect(source, true).size(), 4u);
}

TEST_F(FakeMachine, ExtraPortsAreListedInOrderAndNeverProbed) {
    Write("dev/pts/7", "");
    Link("proc/100/fd/5", "dev/pts/7");  // the simulator holds its own side
    SysfsPortSource source(layout_, {{Path("dev/pts/7"), "", "Simulated switcher", ""}});
    const auto ports = Collect(source, true);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].devicePath, Path("dev/pts/7"));
    EXPECT_EQ(ports[0].friendlyName, "Simulated switcher (" + Path("dev/pts/7") + ")");
}

TEST_F(FakeMachine, LongDevicePathsAreListedLikeAnyOther) {
    // /dev/serial/by-id names run well past a hundred characters.
    const std::string byId = Path("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0") +
                             std::string(120, 'x');
    SysfsPortSource source(layout_, {{byId, "", "", ""}});
    const auto ports = Collect(source, true);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].devicePath, byId);
}

TEST_F(FakeMachine, TheFactorysSourceDrivesTheListByDevicePath) {
    VirtualLoop loop;
    PosixLinkFactory factory(loop, layout_);
    factory.AddExtraPort({Path("dev/pts/7"), "", "", ""});
    PortListRefresher refresher(factory.MakePortSource(), std::make_unique<DevicePathNaming>());
    test::FakePortList list;
    ASSERT_TRUE(refresher.RefreshPortList(list));
    EXPECT_EQ(list.items, (std::vector<std::string>{Path("dev/pts/7"), Path("dev/ttyS0"),
                                                    Path("dev/ttyUSB0")}));
    EXPECT_EQ(refresher.DevicePathForEntry(list.GetText()), Path("dev/pts/7"));
}

TEST_F(FakeMachine, AMissingSysfsFailsTheRefreshAndLeavesTheList) {
    layout_.sysRoot = Path("nowhere");
    PortListRefresher refresher(std::make_unique<SysfsPortSource>(layout_),
                                std::make_unique<DevicePathNaming>());
    test::FakePortList list;
    list.items = {"kept"};
    const Status refreshed = refresher.RefreshPortList(list);
    ASSERT_FALSE(refreshed);
    EXPECT_EQ(refreshed.error().message,
              "cannot read " + Path("nowhere") + "/class/tty: No such file or directory");
    EXPECT_EQ(list.items, std::vector<std::string>{"kept"});
}
