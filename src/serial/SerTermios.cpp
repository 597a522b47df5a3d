#include "serial/SerTermios.h"

namespace {
struct TSpeed {
    int32_t Rate;
    speed_t Code;
};
const TSpeed Speeds[] = {{50, B50}, {75, B75}, {110, B110}, {134, B134}, {150, B150}, {200, B200}, {300, B300},
    {600, B600}, {1200, B1200}, {1800, B1800}, {2400, B2400}, {4800, B4800}, {9600, B9600}, {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800},
    {500000, B500000}, {576000, B576000}, {921600, B921600}, {1000000, B1000000}};
}

speed_t StandardSpeed(int32_t Rate)
{
    for (const TSpeed& s : Speeds)
        if (s.Rate == Rate)
            return s.Code;
    return B0;
}

bool SettingsToTermios(const TSerLineSettings& Settings, const termios& Current, termios& Result,
    uint32_t& CustomRate)
{
    if (Settings.BaudRate <= 0 || Settings.DataBits < 5 || Settings.DataBits > 8 || Settings.Parity < 0 ||
        Settings.Parity > 4 || Settings.StopBits < 0 || Settings.StopBits > 2)
        return false;
    termios t = Current;
    // Raw bytes both ways: the device's screens and the file transfers must arrive unchanged.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY |
        INPCK | IGNPAR | IUCLC | IMAXBEL);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN | NOFLSH | TOSTOP);
    t.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    // The receiver is on and the modem lines do not gate the line: DSR and carrier are watched, not obeyed.
    t.c_cflag |= CREAD | CLOCAL;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[Settings.DataBits - 5];
    switch (Settings.Parity) {
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case 4: t.c_cflag |= PARENB | CMSPAR; break;
    default: break;
    }
    // termios knows one or two stop bits; one and a half is what a UART sends for "two" at five data bits.
    if (Settings.StopBits != 0)
        t.c_cflag |= CSTOPB;
    if (Settings.ParityCheck && Settings.Parity != 0)
        t.c_iflag |= INPCK;
    if (Settings.CtsFlow)
        t.c_cflag |= CRTSCTS;
    if (Settings.XonXoffOut)
        t.c_iflag |= IXON;
    if (Settings.XonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = cc_t(Settings.XonChar);
    t.c_cc[VSTOP] = cc_t(Settings.XoffChar);
    // Reads never block in the driver; the port waits with poll() and its own deadlines.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    speed_t code = StandardSpeed(Settings.BaudRate);
    CustomRate = code == B0 ? uint32_t(Settings.BaudRate) : 0;
    // A custom rate is set afterwards through termios2; until then the line keeps a harmless standard speed.
    if (code == B0)
        code = B38400;
    cfsetispeed(&t, code);
    cfsetospeed(&t, code);
    Result = t;
    return true;
}
