#include "links/sysfs_port_source.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

#include "links/small_files.h"

namespace torvane {

SysfsPortSource::SysfsPortSource(SysfsLayout layout, std::vector<ListedPort> extraPorts)
    : ListedPortSource(std::move(extraPorts)),
      layout_(std::move(layout)),
      busy_(layout_.procRoot, layout_.lockDirs) {}

Status SysfsPortSource::ScanPorts(std::vector<ListedPort>* ports) {
    const std::string classDir = layout_.sysRoot + "/class/tty";
    DIR* dir = ::opendir(classDir.c_str());
    if (dir == nullptr) return SystemError("cannot read " + classDir + ": " + std::strerror(errno));
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        ListedPort port;
        if (Describe(entry->d_name, &port)) ports->push_back(std::move(port));
    }
    ::closedir(dir);
    return {};
}

namespace {

std::string Parent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string() : path.substr(0, slash);
}

// The device node's name from the uevent file ("DEVNAME=ttyUSB0").
std::string DeviceNodeName(const std::string& ttyDir, const std::string& fallback) {
    const auto uevent = ReadSmallFile(ttyDir + "/uevent");
    if (!uevent) return fallback;
    const std::string key = "DEVNAME=";
    auto at = uevent->find(key);
    if (at != 0) {
        at = uevent->find("\n" + key);
        if (at == std::string::npos) return fallback;
        ++at;
    }
    const auto start = at + key.size();
    const auto end = uevent->find('\n', start);
    return uevent->substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool SysfsPortSource::Describe(const std::string& ttyName, ListedPort* port) const {
    const std::string ttyDir = layout_.sysRoot + "/class/tty/" + ttyName;
    // Virtual terminals and pseudo-terminals have no device behind them (one
    // lstat each: most entries are these).
    if (!PathExists(ttyDir + "/device")) return false;
    const auto device = RealPath(ttyDir + "/device");
    if (!device) return false;
    // A UART slot the driver registered but where no UART answered.
    if (ReadSmallFile(ttyDir + "/type") == std::string("0")) return false;

    port->devicePath = layout_.devRoot + "/" + DeviceNodeName(ttyDir, ttyName);

    // The nearest USB device (it has idVendor) or PCI function above the tty.
    const std::string devicesRoot = RealPath(layout_.sysRoot + "/devices").value_or("");
    std::string usbDevice, pciDevice;
    for (std::string at = *device;
         !devicesRoot.empty() && at.size() > devicesRoot.size() && at.rfind(devicesRoot, 0) == 0;
         at = Parent(at)) {
        if (PathExists(at + "/idVendor")) {
            usbDevice = at;
            break;
        }
        if (pciDevice.empty()) {
            const auto subsystem = ReadLink(at + "/subsystem");
            if (subsystem && BaseName(*subsystem) == "pci") pciDevice = at;
        }
    }

    std::string serial;
    if (!usbDevice.empty()) {
        auto name = ReadSmallFile(usbDevice + "/product");
        if (!name || name->empty()) name = ReadSmallFile(usbDevice + "/manufacturer");
        port->description = name && !name->empty() ? *name : "USB serial port";
        serial = ReadSmallFile(usbDevice + "/serial").value_or("");
        port->location = "USB " + BaseName(usbDevice);
    } else if (!pciDevice.empty()) {
        port->description = "PCI serial port";
        port->location = "PCI " + BaseName(pciDevice);
    } else {
        port->description = "Serial port";
    }
    port->friendlyName = port->description + (serial.empty() ? "" : ", serial " + serial) + " (" +
                         port->devicePath + ")";
    return true;
}

}  // namespace torvane
