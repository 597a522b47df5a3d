// The serial line and the clock as the dialogue engine sees them. The engine needs little of a port: a read that
// waits for received bytes up to a deadline, a write, a purge, the DSR line and a notification for every received
// chunk (which restarts the engine's inactivity deadline). Production wraps the program's serial port
// (SerPortVmu.h); tests use a scripted port on a fake clock, or a pseudo-terminal.
#pragma once

#include <chrono>
#include <functional>
#include <string>

class TVmuPort {
public:
    using TChunkEvent = std::function<void()>;
    virtual ~TVmuPort() = default;
    // Waits at most TimeoutMs (0: not at all) for received bytes and reads up to Count of those that are there.
    // Returns the number read, 0 when none came in time. Raises the port's error when the line fails.
    virtual int Read(char* Buffer, int Count, int TimeoutMs) = 0;
    virtual void WriteStr(const std::string& Text) = 0;
    virtual void ClearBuffer(bool Input, bool Output) = 0;
    virtual bool DSR() = 0;
    // Installs the handler called (in any thread) whenever bytes have arrived; returns the one it replaces.
    virtual TChunkEvent SetOnChunk(TChunkEvent Handler) = 0;
};

// The engine's time source: std::chrono::steady_clock in production, a fake one that tests move by hand.
class TEngineClock {
public:
    using TTime = std::chrono::steady_clock::time_point;
    virtual ~TEngineClock() = default;
    virtual TTime Now() = 0;
    virtual void Sleep(int Ms) = 0;
    // The real clock; shared, stateless.
    static TEngineClock& Steady();
};
