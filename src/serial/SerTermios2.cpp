#include "serial/SerTermios2.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

int SetCustomBaudRate(int Fd, uint32_t Rate)
{
    struct termios2 t;
    if (ioctl(Fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = Rate;
    t.c_ospeed = Rate;
    if (ioctl(Fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

int GetBaudRates(int Fd, uint32_t& InputRate, uint32_t& OutputRate)
{
    struct termios2 t;
    if (ioctl(Fd, TCGETS2, &t) != 0)
        return errno;
    InputRate = t.c_ispeed;
    OutputRate = t.c_ospeed;
    return 0;
}
