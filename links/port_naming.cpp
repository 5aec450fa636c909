#include "links/port_naming.h"

namespace torvane {

namespace {

bool StartsWithCom(const std::string& text) {
    if (text.size() < 3) return false;
    for (std::size_t i = 0; i < 3; ++i)
        if ((text[i] & ~0x20) != "COM"[i]) return false;
    return true;
}

// A list text the COM numbering reads: "COM12", or no entry at all (which
// tries port 0 and fails). Any other text names a port the operator chose
// ("/dev/ttyUSB0", a simulator's line) and is kept as given.
bool IsComText(const std::string& text) { return text.empty() || StartsWithCom(text); }

// "COM12" or "\\.\COM12" -> 12; 0 for any other device path.
std::uint8_t ComNumberOfPath(const std::string& path) {
    const std::string prefix = "\\\\.\\";
    const std::string name = path.rfind(prefix, 0) == 0 ? path.substr(prefix.size()) : path;
    if (!StartsWithCom(name) || name.size() < 4 || name.size() > 6) return 0;
    for (std::size_t i = 3; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return 0;
    const int number = std::stoi(name.substr(3));
    return number <= 255 ? static_cast<std::uint8_t>(number) : 0;
}

}  // namespace

std::uint8_t ComNumberNaming::PortNumberOfEntry(const std::string& text) {
    return ParsePortNumber(WithoutFirstThree(text));
}

std::string ComNumberNaming::EntryText(std::uint8_t number) {
    return "COM" + std::to_string(number);
}

std::string ComNumberNaming::EntryTextOf(const SSerInfo& port) const {
    // A port the system lists is known by the number in its friendly name
    // (COM0 when it has none); one known only by its path was chosen by the
    // operator and is opened by that path.
    if (!port.friendlyName.empty() || port.devicePath.empty()) return EntryText(PortNumberOf(port));
    if (const std::uint8_t number = ComNumberOfPath(port.devicePath)) return EntryText(number);
    return port.devicePath;
}

std::string ComNumberNaming::EntryOfText(const std::string& text) const {
    return IsComText(text) ? EntryText(PortNumberOfEntry(text)) : text;
}

bool ComNumberNaming::Before(const std::string& a, const std::string& b) const {
    const bool comA = IsComText(a), comB = IsComText(b);
    if (comA != comB) return comA;
    return comA ? PortNumberOfEntry(a) < PortNumberOfEntry(b) : NaturalLess(a, b);
}

std::string ComNumberNaming::DevicePathForEntry(const std::string& text) const {
    return IsComText(text) ? "\\\\.\\" + EntryOfText(text) : text;
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

}  // namespace torvane
