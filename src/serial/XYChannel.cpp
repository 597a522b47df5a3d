// The POSIX-descriptor line of a file transfer; see XYChannel.h.
#include "serial/XYChannel.h"

#include "serial/SerPort.h"
#include "serial/XYmodem.h"

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

int Remaining(std::chrono::steady_clock::time_point Deadline)
{
    auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
    return Left.count() < 0 ? 0 : int(Left.count());
}

}  // namespace

TXYFdChannel::TXYFdChannel(int Fd, int WriteTimeoutMs) : Fd(Fd), WriteTimeoutMs(WriteTimeoutMs)
{
    int Flags = fcntl(Fd, F_GETFL);
    if (Flags != -1)
        fcntl(Fd, F_SETFL, Flags | O_NONBLOCK);
}

size_t TXYFdChannel::Read(uint8_t* Buffer, size_t Size, int TimeoutMs)
{
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(TimeoutMs);
    for (;;) {
        ssize_t n = ::read(Fd, Buffer, Size);
        if (n > 0)
            return size_t(n);
        if (n == 0)
            throw EXYChannel("The line was closed");
        if (errno == EIO)
            throw EXYChannel("The line was hung up");
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw EXYChannel(std::string("Cannot read from the line: ") + std::strerror(errno));
        int Left = Remaining(Deadline);
        if (Left <= 0)
            return 0;
        pollfd P{Fd, POLLIN, 0};
        int r = ::poll(&P, 1, Left);
        if (r == 0)
            return 0;
        if (r < 0 && errno != EINTR)
            throw EXYChannel(std::string("Cannot wait for the line: ") + std::strerror(errno));
        // POLLHUP with data still queued is read first; the next read reports the hang-up.
    }
}

void TXYFdChannel::Write(const uint8_t* Data, size_t Size)
{
    auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WriteTimeoutMs);
    while (Size > 0) {
        ssize_t n = ::write(Fd, Data, Size);
        if (n > 0) {
            Data += n;
            Size -= size_t(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw EXYChannel(std::string("Cannot write to the line: ") + std::strerror(errno));
        int Left = Remaining(Deadline);
        if (Left <= 0)
            throw EXYChannel("The line takes no more data");
        pollfd P{Fd, POLLOUT, 0};
        if (::poll(&P, 1, Left) < 0 && errno != EINTR)
            throw EXYChannel(std::string("Cannot wait for the line: ") + std::strerror(errno));
    }
}

void TXYFdChannel::PurgeInput()
{
    ::tcflush(Fd, TCIFLUSH);
    // Not every descriptor is a terminal: drop whatever is readable right now as well.
    uint8_t Junk[512];
    while (::read(Fd, Junk, sizeof Junk) > 0) {
    }
}

int TXYFdChannel::OpenRaw(const char* Path)
{
    int Fd = ::open(Path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0)
        throw EXYChannel(std::string("Cannot open ") + Path + ": " + std::strerror(errno));
    termios T;
    if (::tcgetattr(Fd, &T) == 0) {
        ::cfmakeraw(&T);
        T.c_cflag |= CLOCAL | CREAD;
        ::tcsetattr(Fd, TCSANOW, &T);
    }
    return Fd;
}

size_t TXYSerPortChannel::Read(uint8_t* Buffer, size_t Size, int TimeoutMs)
{
    if (Size == 0)
        return 0;
    // The port's timed read waits for every byte asked for: ask for what is there, or for one byte.
    int Waiting = Port.InputCount();
    if (Waiting > 0)
        return size_t(Port.ReadFor(Buffer, int(std::min<size_t>(Size, size_t(Waiting))), 0));
    int n = Port.ReadFor(Buffer, 1, std::max(TimeoutMs, 0));
    if (n <= 0)
        return 0;
    Waiting = Port.InputCount();
    if (Waiting > 0 && Size > 1)
        n += Port.ReadFor(Buffer + 1, int(std::min<size_t>(Size - 1, size_t(Waiting))), 0);
    return size_t(n);
}

void TXYSerPortChannel::Write(const uint8_t* Data, size_t Size)
{
    if (Size > 0 && Port.Write(Data, int(Size)) != int(Size))
        throw EXYChannel("The line takes no more data");
}

void TXYSerPortChannel::PurgeInput() { Port.ClearBuffer(true, false); }
