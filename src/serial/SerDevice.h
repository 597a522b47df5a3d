// The open serial device behind a port: one descriptor, opened exclusively, with reads and writes that wait on
// deadlines and can be woken. Any thread may read, write or query while another waits; AbortAll() ends every
// wait in flight (they return what they had, or -ECANCELED), and Close() aborts the waits, then waits for every
// call in flight to leave before the descriptor is closed, so no call ever uses a closed or reused descriptor.
// Results are byte counts or a negated system error number; nothing here throws.
#pragma once

#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

// When a read ends, besides having all the bytes asked for.
struct TSerReadLimit {
    int TotalMs = -1;           // whole read; -1: no limit
    int IntervalMs = -1;        // between two bytes once one has arrived; -1: no limit
    bool AtOnce = false;        // return what is waiting, never wait
    bool FirstByteEnds = false; // return as soon as anything has arrived
};

class TSerDevice {
public:
    TSerDevice() = default;
    ~TSerDevice() { Close(); }
    TSerDevice(const TSerDevice&) = delete;
    TSerDevice& operator=(const TSerDevice&) = delete;

    // Opens Path for reading and writing, non-blocking, not as controlling terminal, and takes it exclusively:
    // a second open of the same device (by us or another program using the same lock) fails with EBUSY.
    // A path that is no terminal fails with ENOTTY. Returns 0 or the error; on failure nothing stays open.
    int Open(const std::string& Path);
    void Close();
    void AbortAll();
    bool IsOpen() const;

    ssize_t Read(void* Buffer, size_t Count, const TSerReadLimit& Limit);
    // TotalMs -1: no limit. A deadline that passes returns the bytes written so far.
    ssize_t Write(const void* Buffer, size_t Count, int TotalMs);

    // Runs Fn(fd) as a call in flight; returns -EBADF without calling it when the device is closed or closing.
    template <class F>
    int WithFd(F&& Fn)
    {
        TCall call(*this, false);
        if (!call.Ok)
            return -EBADF;
        return Fn(Fd);
    }

private:
    struct TCall {
        TCall(TSerDevice& Device, bool Wakeable);
        ~TCall();
        TSerDevice& Dev;
        bool Ok = false;
        int Wake = -1;
    };
    mutable std::mutex Lock;
    std::condition_variable Idle;
    int Fd = -1;
    bool Closing = false;
    int InFlight = 0;
    std::vector<int> Wakes;   // one eventfd per wait in flight

    // Waits until Fd is ready for Events, the wake descriptor fires, or TimeoutMs passes (-1: no limit).
    // Returns 1 ready (or hung up), 0 timed out, -ECANCELED woken.
    int waitFor(const TCall& Call, short Events, int TimeoutMs);
};
