// A pseudo-terminal pair for the port tests: the port opens the slave path, the test plays the device on the
// master side.
#pragma once

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

struct TPtyPair {
    int Master = -1;
    std::string SlavePath;

    TPtyPair()
    {
        Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        SlavePath = ptsname(Master);
    }
    ~TPtyPair() { hangUp(); }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    void hangUp()
    {
        if (Master >= 0)
            ::close(Master);
        Master = -1;
    }

    void write(const std::string& data) const
    {
        size_t done = 0;
        while (done < data.size()) {
            ssize_t n = ::write(Master, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::runtime_error("master write failed");
            done += size_t(n);
        }
    }

    // Reads until Count bytes came or TimeoutMs passed without a byte.
    std::string read(size_t Count, int TimeoutMs = 5000) const
    {
        std::string out;
        char buf[4096];
        while (out.size() < Count) {
            pollfd p{Master, POLLIN, 0};
            if (poll(&p, 1, TimeoutMs) <= 0)
                break;
            ssize_t n = ::read(Master, buf, std::min(sizeof(buf), Count - out.size()));
            if (n <= 0)
                break;
            out.append(buf, size_t(n));
        }
        return out;
    }
};

inline std::string allBytes(size_t size)
{
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i)
        s[i] = char((i * 7 + i / 256) & 0xFF);
    return s;
}
