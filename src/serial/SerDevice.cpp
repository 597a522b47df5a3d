#include "serial/SerDevice.h"

#include "serial/SerLineStatus.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {
using TClock = std::chrono::steady_clock;

int remainingMs(TClock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left <= 0 ? 0 : int(std::min<int64_t>(left, INT32_MAX));
}
}

TSerDevice::TCall::TCall(TSerDevice& Device, bool Wakeable) : Dev(Device)
{
    std::lock_guard<std::mutex> g(Dev.Lock);
    if (Dev.Fd < 0 || Dev.Closing)
        return;
    if (Wakeable) {
        Wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (Wake < 0)
            return;
        Dev.Wakes.push_back(Wake);
    }
    ++Dev.InFlight;
    Ok = true;
}

TSerDevice::TCall::~TCall()
{
    if (!Ok)
        return;
    std::lock_guard<std::mutex> g(Dev.Lock);
    if (Wake >= 0) {
        Dev.Wakes.erase(std::remove(Dev.Wakes.begin(), Dev.Wakes.end(), Wake), Dev.Wakes.end());
        ::close(Wake);
    }
    if (--Dev.InFlight == 0)
        Dev.Idle.notify_all();
}

int TSerDevice::Open(const std::string& Path)
{
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Fd >= 0)
            return EBUSY;
    }
    int fd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    if (!isatty(fd))
        err = ENOTTY;
    // The lock keeps out every opener that asks for it, root included; TIOCEXCL keeps out the rest.
    else if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        err = errno == EWOULDBLOCK ? EBUSY : errno;
    if (err) {
        ::close(fd);
        return err;
    }
    ioctl(fd, TIOCEXCL);
    std::lock_guard<std::mutex> g(Lock);
    Fd = fd;
    return 0;
}

bool TSerDevice::IsOpen() const
{
    std::lock_guard<std::mutex> g(Lock);
    return Fd >= 0 && !Closing;
}

void TSerDevice::AbortAll()
{
    std::lock_guard<std::mutex> g(Lock);
    uint64_t one = 1;
    for (int w : Wakes)
        (void)!::write(w, &one, sizeof(one));
}

void TSerDevice::Close()
{
    std::unique_lock<std::mutex> g(Lock);
    if (Fd < 0 || Closing)
        return;
    Closing = true;
    uint64_t one = 1;
    for (int w : Wakes)
        (void)!::write(w, &one, sizeof(one));
    Idle.wait(g, [this] { return InFlight == 0; });
    ioctl(Fd, TIOCNXCL);
    ::close(Fd);
    Fd = -1;
    Closing = false;
}

int TSerDevice::waitFor(const TCall& Call, short Events, int TimeoutMs)
{
    pollfd p[2] = {{Fd, Events, 0}, {Call.Wake, POLLIN, 0}};
    for (;;) {
        int n = poll(p, 2, TimeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -errno;
        if (n == 0)
            return 0;
        if (p[1].revents)
            return -ECANCELED;
        return 1;
    }
}

ssize_t TSerDevice::Read(void* Buffer, size_t Count, const TSerReadLimit& Limit)
{
    if (Count == 0)
        return 0;
    TCall call(*this, true);
    if (!call.Ok)
        return -EBADF;
    auto* out = static_cast<unsigned char*>(Buffer);
    size_t got = 0;
    const auto start = TClock::now();
    auto lastByte = start;
    for (;;) {
        ssize_t n = ::read(Fd, out + got, Count - got);
        if (n > 0) {
            got += size_t(n);
            lastByte = TClock::now();
            if (got == Count || Limit.FirstByteEnds)
                return ssize_t(got);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            int err = errno;
            return got ? ssize_t(got) : -err;
        }
        // A terminal whose other side has gone reads as end of file: that is a hang-up, not silence.
        if (n == 0 && (Limit.AtOnce || LineHungUp(Fd)))
            return got ? ssize_t(got) : (Limit.AtOnce ? 0 : -EIO);
        if (Limit.AtOnce)
            return ssize_t(got);
        int timeout = -1;
        if (Limit.TotalMs >= 0)
            timeout = remainingMs(start + std::chrono::milliseconds(Limit.TotalMs));
        if (got && Limit.IntervalMs >= 0) {
            int interval = remainingMs(lastByte + std::chrono::milliseconds(Limit.IntervalMs));
            timeout = timeout < 0 ? interval : std::min(timeout, interval);
        }
        if (timeout == 0)
            return ssize_t(got);
        int w = waitFor(call, POLLIN, timeout);
        if (w == 0)
            return ssize_t(got);
        if (w < 0)
            return got ? ssize_t(got) : w;
    }
}

ssize_t TSerDevice::Write(const void* Buffer, size_t Count, int TotalMs)
{
    if (Count == 0)
        return 0;
    TCall call(*this, true);
    if (!call.Ok)
        return -EBADF;
    auto* in = static_cast<const unsigned char*>(Buffer);
    size_t done = 0;
    const auto deadline = TClock::now() + std::chrono::milliseconds(TotalMs < 0 ? 0 : TotalMs);
    while (done < Count) {
        ssize_t n = ::write(Fd, in + done, Count - done);
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return -errno;
        int timeout = TotalMs < 0 ? -1 : remainingMs(deadline);
        if (timeout == 0)
            return ssize_t(done);
        int w = waitFor(call, POLLOUT, timeout);
        if (w == 0)
            return ssize_t(done);
        if (w < 0)
            return w;
    }
    return ssize_t(done);
}
