// The byte line a file transfer (TXYmodem) runs over, and its implementation on a POSIX descriptor (a serial
// device, a pseudo-terminal, a socket). The transfer needs only three things: read with a deadline, write
// everything, and drop what has arrived but not been read. A read never waits longer than it is told.
#pragma once

#include <cstddef>
#include <cstdint>

class TCustomSerPort;

class TXYChannel {
public:
    virtual ~TXYChannel() = default;
    // Reads up to Size bytes, waiting at most TimeoutMs (0: only what is there) for the first one; returns how
    // many were read, 0 after the time-out. Throws (EXYChannel) when the line fails or is hung up.
    virtual size_t Read(uint8_t* Buffer, size_t Size, int TimeoutMs) = 0;
    // Writes all bytes or throws (EXYChannel); never waits forever for a line that takes nothing.
    virtual void Write(const uint8_t* Data, size_t Size) = 0;
    // Drops received bytes not yet read.
    virtual void PurgeInput() = 0;
};

// A descriptor opened by the caller (not owned). It is switched to non-blocking mode.
class TXYFdChannel : public TXYChannel {
public:
    explicit TXYFdChannel(int Fd, int WriteTimeoutMs = 10000);
    size_t Read(uint8_t* Buffer, size_t Size, int TimeoutMs) override;
    void Write(const uint8_t* Data, size_t Size) override;
    void PurgeInput() override;

    // Opens a terminal device (or the link of a pseudo-terminal) for reading and writing in raw 8-bit mode, no
    // echo, not as the controlling terminal. Returns the descriptor; throws EXYChannel on failure.
    static int OpenRaw(const char* Path);

private:
    int Fd;
    int WriteTimeoutMs;
};

// The program's port (not owned), open, with no terminal linked to it, so that no reader thread takes the bytes.
// Port errors (a hang-up, a write that ends short) come through as exceptions and fail the transfer.
class TXYSerPortChannel : public TXYChannel {
public:
    explicit TXYSerPortChannel(TCustomSerPort& Port) : Port(Port) {}
    size_t Read(uint8_t* Buffer, size_t Size, int TimeoutMs) override;
    void Write(const uint8_t* Data, size_t Size) override;
    void PurgeInput() override;

private:
    TCustomSerPort& Port;
};
