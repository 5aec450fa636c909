#include "links/dcb_settings.h"

namespace torvane {

std::string ApplySerialSettings(const SerialSettings& settings, DcbFields* fields) {
    if (settings.baud <= 0) return "no line speed of " + std::to_string(settings.baud) + " baud";
    DcbFields f;
    f.baudRate = static_cast<std::uint32_t>(settings.baud);
    switch (settings.parity) {
        case 'N':
            f.parity = 0;
            break;
        case 'O':
            f.parity = 1;
            break;
        case 'E':
            f.parity = 2;
            break;
        case 'M':
            f.parity = 3;
            break;
        case 'S':
            f.parity = 4;
            break;
        default:
            return std::string("parity '") + settings.parity + "' not supported";
    }
    f.checkParity = f.parity != 0;
    if (settings.dataBits < 5 || settings.dataBits > 8)
        return "data bits " + std::to_string(settings.dataBits) + " not supported";
    f.byteSize = static_cast<std::uint8_t>(settings.dataBits);
    if (settings.stopBits != 1 && settings.stopBits != 2)
        return "stop bits " + std::to_string(settings.stopBits) + " not supported";
    f.stopBits = settings.stopBits == 2 ? kDcbTwoStopBits : kDcbOneStopBit;
    f.dtrControl = settings.lineFlags & 2 ? kDcbLineEnable : 0;
    f.rtsControl = settings.lineFlags & 1 ? kDcbLineEnable : 0;
    *fields = f;
    return {};
}

std::string WindowsDevicePath(const std::string& port) {
    if (port.rfind("\\\\", 0) == 0) return port;
    return "\\\\.\\" + port;
}

}  // namespace torvane
