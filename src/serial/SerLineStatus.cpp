#include "serial/SerLineStatus.h"

#include <cerrno>
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>

namespace {
bool noModemLines(int err) { return err == ENOTTY || err == EINVAL; }
}

bool LineHungUp(int Fd)
{
    pollfd p{Fd, 0, 0};
    int n = poll(&p, 1, 0);
    return n > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL));
}

int ReadLineStatus(int Fd, TLineStatus& Status)
{
    Status = TLineStatus{};
    if (LineHungUp(Fd)) {
        Status.HungUp = true;
        return 0;
    }
    int bits = 0;
    if (ioctl(Fd, TIOCMGET, &bits) == 0) {
        Status.ModemLines = true;
        Status.CTS = bits & TIOCM_CTS;
        Status.DSR = bits & TIOCM_DSR;
        Status.Ring = bits & TIOCM_RI;
        Status.RLSD = bits & TIOCM_CD;
        return 0;
    }
    int err = errno;
    if (err == EIO) {
        Status.HungUp = true;
        return 0;
    }
    if (!noModemLines(err))
        return err;
    Status.CTS = Status.DSR = Status.RLSD = true;
    return 0;
}

int SetModemLine(int Fd, int Line, bool On)
{
    if (ioctl(Fd, On ? TIOCMBIS : TIOCMBIC, &Line) == 0)
        return 0;
    int err = errno;
    return noModemLines(err) ? 0 : err;
}

void ReadLineCounters(int Fd, TLineCounters& Counters)
{
    serial_icounter_struct ic{};
    if (ioctl(Fd, TIOCGICOUNT, &ic) != 0) {
        Counters = TLineCounters{};
        return;
    }
    Counters.Frame = uint32_t(ic.frame);
    Counters.Parity = uint32_t(ic.parity);
    Counters.Overrun = uint32_t(ic.overrun);
    Counters.BufOverrun = uint32_t(ic.buf_overrun);
    Counters.Break = uint32_t(ic.brk);
}
