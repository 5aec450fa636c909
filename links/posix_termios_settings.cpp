#include "links/posix_termios_settings.h"

#include <utility>

namespace torvane {

namespace {

bool SpeedOf(int baud, speed_t* speed) {
    static const std::pair<int, speed_t> kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},     {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},   {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200}, {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400},
#ifdef B460800
        {460800, B460800},
#endif
#ifdef B921600
        {921600, B921600},
#endif
    };
    for (const auto& [rate, value] : kSpeeds) {
        if (rate == baud) {
            *speed = value;
            return true;
        }
    }
    return false;
}

}  // namespace

std::string ApplySerialSettings(const SerialSettings& settings, termios* tio) {
    speed_t speed;
    if (!SpeedOf(settings.baud, &speed))
        return "no termios speed for " + std::to_string(settings.baud) + " baud";

    tcflag_t parity = 0;
    switch (settings.parity) {
        case 'N':
            break;
        case 'E':
            parity = PARENB;
            break;
        case 'O':
            parity = PARENB | PARODD;
            break;
#ifdef CMSPAR
        case 'M':
            parity = PARENB | CMSPAR | PARODD;
            break;
        case 'S':
            parity = PARENB | CMSPAR;
            break;
#endif
        default:
            return std::string("parity '") + settings.parity + "' not supported";
    }

    tcflag_t size;
    switch (settings.dataBits) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return "data bits " + std::to_string(settings.dataBits) + " not supported";
    }
    if (settings.stopBits != 1 && settings.stopBits != 2)
        return "stop bits " + std::to_string(settings.stopBits) + " not supported";

    termios t = *tio;
    // Raw: no input translation, no output processing, no echo or signals.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tcflag_t cleared = CSIZE | PARENB | PARODD | CSTOPB | HUPCL;
#ifdef CMSPAR
    cleared |= CMSPAR;
#endif
#ifdef CRTSCTS
    cleared |= CRTSCTS;
#endif
    t.c_cflag &= ~cleared;
    // HUPCL stays clear: closing the port must not drop DTR and RTS.
    t.c_cflag |= size | parity | CREAD | CLOCAL | (settings.stopBits == 2 ? CSTOPB : 0);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0)
        return "cannot set " + std::to_string(settings.baud) + " baud";
    *tio = t;
    return {};
}

}  // namespace torvane
