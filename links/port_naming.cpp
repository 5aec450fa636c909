#include "links/port_naming.h"

namespace torvane {

std::uint8_t ComNumberNaming::PortNumberOfEntry(const std::string& text) {
    return ParsePortNumber(WithoutFirstThree(text));
}

std::string ComNumberNaming::EntryText(std::uint8_t number) {
    return "COM" + std::to_string(number);
}

std::string ComNumberNaming::EntryTextOf(const SSerInfo& port) const {
    return EntryText(PortNumberOf(port));
}

std::string ComNumberNaming::EntryOfText(const std::string& text) const {
    return EntryText(PortNumberOfEntry(text));
}

bool ComNumberNaming::Before(const std::string& a, const std::string& b) const {
    return PortNumberOfEntry(a) < PortNumberOfEntry(b);
}

std::string ComNumberNaming::DevicePathForEntry(const std::string& text) const {
    return "\\\\.\\" + EntryOfText(text);
}

bool DevicePathNaming::Before(const std::string& a, const std::string& b) const {
    return NaturalLess(a, b);
}

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool NaturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            // Compare the runs by value: skip leading zeros, then the longer
            // run is larger, then the first differing digit decides.
            std::size_t ie = i, je = j;
            while (ie < a.size() && IsDigit(a[ie])) ++ie;
            while (je < b.size() && IsDigit(b[je])) ++je;
            std::size_t is = i, js = j;
            while (is + 1 < ie && a[is] == '0') ++is;
            while (js + 1 < je && b[js] == '0') ++js;
            if (ie - is != je - js) return ie - is < je - js;
            const int c = a.compare(is, ie - is, b, js, je - js);
            if (c != 0) return c < 0;
            i = ie;
            j = je;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
    return a < b;  // equal by value ("ttyS01" and "ttyS1"): still a strict order
}

std::unique_ptr<PortNaming> MakePlatformPortNaming() {
#ifdef _WIN32
    return std::make_unique<ComNumberNaming>();
#else
    return std::make_unique<DevicePathNaming>();
#endif
}

}  // namespace torvane
