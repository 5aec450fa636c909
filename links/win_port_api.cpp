#include "links/win_port_api.h"

// windows.h first: the Setup API's header builds on it.
#include <windows.h>
//
#include <setupapi.h>

#include <cstddef>
#include <vector>

#include "links/dcb_settings.h"
#include "platform/win_text.h"

namespace torvane {

namespace {

// GUID_DEVINTERFACE_COMPORT, the device interface class of COM ports.
const GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

// A registry key below HKEY_LOCAL_MACHINE, open for reading while it lives.
class Key {
  public:
    explicit Key(const std::string& path)
        : status_(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, WideFromUtf8(path).c_str(), 0, KEY_READ,
                                  &key_)) {}
    ~Key() {
        if (status_ == ERROR_SUCCESS) ::RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    LONG Status() const { return status_; }
    HKEY Handle() const { return key_; }

  private:
    HKEY key_ = nullptr;
    LONG status_;
};

// A registry text as read: its length in bytes may include the ending zero,
// or lack it.
std::string TextOf(const std::vector<wchar_t>& buffer, DWORD bytes) {
    std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return Utf8FromWide(text);
}

}  // namespace

struct Win32PortApi::Walk {
    HDEVINFO set = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA selected{};
    SP_DEVINFO_DATA device{};  // of the selected interface, found with its path
};

Win32PortApi::Win32PortApi() : walk_(std::make_unique<Walk>()) {}

Win32PortApi::~Win32PortApi() { CloseComPortInterfaces(); }

bool Win32PortApi::Failed() {
    lastError_ = ::GetLastError();
    return false;
}

bool Win32PortApi::Failed(long status) {
    lastError_ = static_cast<PlatformError>(status);
    return false;
}

bool Win32PortApi::GetOsVersion(OsVersion* version) {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!::GetVersionExW(&info)) return Failed();
    version->major = info.dwMajorVersion;
    version->platformId = info.dwPlatformId;
    return true;
}

bool Win32PortApi::OpenComPortInterfaces() {
    CloseComPortInterfaces();
    walk_->set = ::SetupDiGetClassDevsW(&kComPortInterface, nullptr, nullptr,
                                        DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    return walk_->set != INVALID_HANDLE_VALUE || Failed();
}

bool Win32PortApi::EnumComPortInterface(std::uint32_t index) {
    walk_->selected = {};
    walk_->selected.cbSize = sizeof walk_->selected;
    return ::SetupDiEnumDeviceInterfaces(walk_->set, nullptr, &kComPortInterface, index,
                                         &walk_->selected) ||
           Failed();
}

bool Win32PortApi::GetInterfaceDevicePath(std::size_t maxChars, std::string* path) {
    std::vector<std::byte> buffer(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                  (maxChars + 1) * sizeof(wchar_t));
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof *detail;
    walk_->device = {};
    walk_->device.cbSize = sizeof walk_->device;
    if (!::SetupDiGetDeviceInterfaceDetailW(walk_->set, &walk_->selected, detail,
                                            static_cast<DWORD>(buffer.size()), nullptr,
                                            &walk_->device))
        return Failed();
    *path = Utf8FromWide(detail->DevicePath);
    return true;
}

bool Win32PortApi::GetDeviceProperty(DeviceProperty property, std::string* text) {
    std::vector<wchar_t> buffer(256);
    DWORD bytes = 0;
    if (!::SetupDiGetDeviceRegistryPropertyW(
            walk_->set, &walk_->device, static_cast<DWORD>(property), nullptr,
            reinterpret_cast<BYTE*>(buffer.data()),
            static_cast<DWORD>(buffer.size() * sizeof(wchar_t)), &bytes))
        return Failed();
    *text = TextOf(buffer, bytes);
    return true;
}

void Win32PortApi::CloseComPortInterfaces() {
    if (walk_->set != INVALID_HANDLE_VALUE) ::SetupDiDestroyDeviceInfoList(walk_->set);
    walk_->set = INVALID_HANDLE_VALUE;
}

bool Win32PortApi::OpenKey(const std::string& path) {
    Key key(path);
    return key.Status() == ERROR_SUCCESS || Failed(key.Status());
}

bool Win32PortApi::EnumSubKey(const std::string& path, std::uint32_t index, std::string* name) {
    Key key(path);
    if (key.Status() != ERROR_SUCCESS) return Failed(key.Status());
    wchar_t buffer[128];
    DWORD length = 128;
    const LONG status =
        ::RegEnumKeyExW(key.Handle(), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return Failed(status);
    *name = Utf8FromWide(std::wstring(buffer, length));
    return true;
}

bool Win32PortApi::QueryTextValue(const std::string& path, const std::string& name,
                                  std::size_t maxBytes, std::string* value) {
    Key key(path);
    if (key.Status() != ERROR_SUCCESS) return Failed(key.Status());
    std::vector<wchar_t> buffer(maxBytes / sizeof(wchar_t) + 1);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(maxBytes);
    const LONG status = ::RegQueryValueExW(key.Handle(), WideFromUtf8(name).c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS) return Failed(status);
    if (type != REG_SZ) return Failed(ERROR_INVALID_DATA);
    *value = TextOf(buffer, bytes);
    return true;
}

bool Win32PortApi::EnumTextValue(const std::string& path, std::uint32_t index, std::string* name,
                                 std::string* value) {
    Key key(path);
    if (key.Status() != ERROR_SUCCESS) return Failed(key.Status());
    wchar_t nameBuffer[256];
    DWORD nameLength = 256;
    std::vector<wchar_t> buffer(128);
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LONG status = ::RegEnumValueW(key.Handle(), index, nameBuffer, &nameLength, nullptr,
                                        &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    if (status != ERROR_SUCCESS) return Failed(status);
    *name = Utf8FromWide(std::wstring(nameBuffer, nameLength));
    *value = type == REG_SZ ? TextOf(buffer, bytes) : std::string();
    return true;
}

bool Win32PortApi::CanOpenNow(const std::string& devicePath) {
    const HANDLE port =
        ::CreateFileW(WideFromUtf8(WindowsDevicePath(devicePath)).c_str(),
                      GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) return Failed();
    ::CloseHandle(port);
    return true;
}

}  // namespace torvane
