#pragma once
// A scripted Windows system for the Windows port source: the ports of the
// device walk, a registry tree, the ports that cannot be opened, and failures
// to inject.

#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "links/windows_port_api.h"

namespace torvane::test {

struct FakeDevice {
    std::string path;
    std::string friendlyName;  // empty: the device lacks the property
    std::string description;
    std::string location;
};

class FakeWindowsApi : public WindowsPortApi {
  public:
    OsVersion version{10, kPlatformWin32Nt};
    bool versionFails = false;
    bool classDevsFail = false;
    int enumFailsAt = -1;  // index whose enumeration fails with enumError
    PlatformError enumError = 5;
    std::vector<FakeDevice> devices;
    // Registry: key path -> sub-key names, and key path -> values.
    std::map<std::string, std::vector<std::string>> subKeys;
    std::map<std::string, std::map<std::string, std::string>> values;
    std::set<std::string> unopenableKeys;
    std::set<std::string> busy;  // device paths that cannot be opened now

    int opens = 0, closes = 0, probes = 0;

    PlatformError LastError() const override { return error_; }
    bool GetOsVersion(OsVersion* v) override {
        if (versionFails) return Fail(87);
        *v = version;
        return true;
    }
    bool OpenComPortInterfaces() override {
        if (classDevsFail) return Fail(13);
        ++opens;
        return true;
    }
    bool EnumComPortInterface(std::uint32_t index) override {
        if (static_cast<int>(index) == enumFailsAt) return Fail(enumError);
        if (index >= devices.size()) return Fail(kErrorNoMoreItems);
        at_ = index;
        return true;
    }
    bool GetInterfaceDevicePath(std::size_t maxChars, std::string* path) override {
        if (devices[at_].path.size() > maxChars) return Fail(kErrorInsufficientBuffer);
        *path = devices[at_].path;
        return true;
    }
    bool GetDeviceProperty(DeviceProperty property, std::string* text) override {
        const auto& d = devices[at_];
        const std::string& value = property == DeviceProperty::kFriendlyName        ? d.friendlyName
                                   : property == DeviceProperty::kDeviceDescription ? d.description
                                                                                    : d.location;
        if (value.empty()) return Fail(13);
        *text = value;
        return true;
    }
    void CloseComPortInterfaces() override { ++closes; }
    bool OpenKey(const std::string& path) override {
        if (unopenableKeys.count(path)) return Fail(5);
        return subKeys.count(path) || values.count(path) ? true : Fail(2);
    }
    bool EnumSubKey(const std::string& path, std::uint32_t index, std::string* name) override {
        auto it = subKeys.find(path);
        if (it == subKeys.end() || index >= it->second.size()) return Fail(kErrorNoMoreItems);
        *name = it->second[index];
        return true;
    }
    bool QueryTextValue(const std::string& path, const std::string& name, std::size_t,
                        std::string* value) override {
        auto key = values.find(path);
        if (key == values.end() || !key->second.count(name)) return Fail(2);
        *value = key->second.at(name);
        return true;
    }
    bool EnumTextValue(const std::string& path, std::uint32_t index, std::string* name,
                       std::string* value) override {
        auto key = values.find(path);
        if (key == values.end() || index >= key->second.size()) return Fail(kErrorNoMoreItems);
        auto it = std::next(key->second.begin(), index);
        *name = it->first;
        *value = it->second;
        return true;
    }
    bool CanOpenNow(const std::string& devicePath) override {
        ++probes;
        return !busy.count(devicePath);
    }

    // A device-walk port "Name (COMn)".
    void AddCom(int n, const std::string& name = "USB Serial Port", bool usb = true) {
        const std::string com = "COM" + std::to_string(n);
        devices.push_back({"\\\\?\\port#" + com, name + " (" + com + ")", name,
                           usb ? "USB port 1" : "Port_#0001"});
    }

  private:
    bool Fail(PlatformError e) {
        error_ = e;
        return false;
    }
    PlatformError error_ = 0;
    std::size_t at_ = 0;
};

}  // namespace torvane::test
