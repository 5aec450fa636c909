// Cost of one tick of the 600 ms port list refresh on this machine: the sysfs
// walk, the busy check over the process table and lock folders, and the list
// update (untouched when nothing changed). Goals: under 2 ms with no serial
// hardware, under 5 ms with a dozen ports.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "links/port_list_refresher.h"
#include "links/sysfs_port_source.h"

using namespace torvane;
namespace fs = std::filesystem;

namespace {

// A list that only holds its entries.
class PlainList : public PortListControl {
  public:
    void ResetContent() override { items_.clear(), selected_ = -1; }
    void InsertString(int index, const std::string& text) override {
        items_.insert(items_.begin() + index, text);
        if (selected_ >= index) ++selected_;
    }
    void DeleteString(int index) override {
        items_.erase(items_.begin() + index);
        selected_ = selected_ == index ? -1 : selected_ - (selected_ > index);
    }
    int GetCurSel() const override { return selected_; }
    void SetCurSel(int index) override { selected_ = index; }
    std::string GetText() const override { return selected_ < 0 ? "" : items_[selected_]; }
    std::size_t Count() const { return items_.size(); }

  private:
    std::vector<std::string> items_;
    int selected_ = -1;
};

// A sysfs with the machine's 64 virtual terminals and `usbPorts` USB serial
// adapters; the real process table and the real lock folders.
class FakeSysfs {
  public:
    explicit FakeSysfs(int usbPorts) {
        char pattern[] = "/tmp/torvane-bench-XXXXXX";
        root_ = ::mkdtemp(pattern);
        for (int i = 0; i < 64; ++i) Write("sys/class/tty/tty" + std::to_string(i) + "/uevent", "");
        for (int i = 0; i < usbPorts; ++i) {
            const std::string n = std::to_string(i);
            const std::string usb = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-" + n;
            Write(usb + "/idVendor", "0403");
            Write(usb + "/product", "FT232R USB UART");
            Write(usb + "/serial", "A5028" + n);
            Write(usb + "/1-" + n + ":1.0/ttyUSB" + n + "/uevent", "");
            Write("sys/class/tty/ttyUSB" + n + "/uevent", "DEVNAME=ttyUSB" + n + "\n");
            fs::create_symlink(Path(usb + "/1-" + n + ":1.0/ttyUSB" + n),
                               Path("sys/class/tty/ttyUSB" + n + "/device"));
            Write("dev/ttyUSB" + n, "");
        }
    }
    ~FakeSysfs() { fs::remove_all(root_); }
    SysfsLayout Layout() const {
        SysfsLayout layout;
        layout.sysRoot = Path("sys");
        layout.devRoot = Path("dev");
        return layout;
    }

  private:
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }
    void Write(const std::string& relative, const std::string& text) {
        fs::create_directories(fs::path(Path(relative)).parent_path());
        std::ofstream(Path(relative)) << text;
    }
    std::string root_;
};

void RunRefresh(benchmark::State& state, const SysfsLayout& layout) {
    PortListRefresher refresher(std::make_unique<SysfsPortSource>(layout),
                                std::make_unique<DevicePathNaming>());
    PlainList list;
    if (const Status first = refresher.RefreshPortList(list); !first) {
        state.SkipWithError(first.error().message.c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(refresher.RefreshPortList(list));
    state.counters["ports"] = static_cast<double>(list.Count());
}

}  // namespace

// This machine as it is.
static void RefreshThisMachine(benchmark::State& state) { RunRefresh(state, SysfsLayout{}); }
BENCHMARK(RefreshThisMachine)->Unit(benchmark::kMicrosecond);

// No serial hardware: nothing to check, so the process table is not walked.
static void RefreshNoSerialHardware(benchmark::State& state) {
    FakeSysfs sysfs(0);
    RunRefresh(state, sysfs.Layout());
}
BENCHMARK(RefreshNoSerialHardware)->Unit(benchmark::kMicrosecond);

// A dozen USB adapters, checked against the real process table.
static void RefreshTwelvePorts(benchmark::State& state) {
    FakeSysfs sysfs(12);
    RunRefresh(state, sysfs.Layout());
}
BENCHMARK(RefreshTwelvePorts)->Unit(benchmark::kMicrosecond);
