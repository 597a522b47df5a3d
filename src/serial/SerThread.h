// The reader thread of an open port with events: it waits on the port's descriptor and a wake-up descriptor,
// samples the modem lines where the device has them, and hands each batch of events to the port's handlers
// through the main-thread dispatcher, in one fixed order. Received characters are signalled once per arrival,
// not again while bytes stay unread. A handler's exception is shown and the thread goes on. Stop() may be called
// from any thread; a stopped thread calls no handler any more and never touches the descriptor again.
#pragma once

#include "serial/SerLineStatus.h"
#include "serial/SerPort.h"

#include <atomic>
#include <cstdint>
#include <thread>

// The classic event-mask values of each event, both ways (EV_RXCHAR 1, EV_RXFLAG 2, EV_TXEMPTY 4, EV_CTS 8,
// EV_DSR 16, EV_RLSD 32, EV_BREAK 64, EV_ERR 128, EV_RING 256, EV_RX80FULL 1024).
uint32_t EventsToMask(TSerEvents Events);
TSerEvents MaskToEvents(uint32_t Mask);
// The order in which a batch is dispatched.
extern const TSerEvent SerEventOrder[10];

class TSerThread {
public:
    // Starts the thread for Port (which must be open) watching Events. Raises ESerPort 20 when no thread or
    // wake-up descriptor can be made.
    TSerThread(TCustomSerPort& Port, TSerEvents Events);
    ~TSerThread();   // Stop, then wait for the thread unless called from it
    TSerThread(const TSerThread&) = delete;
    TSerThread& operator=(const TSerThread&) = delete;

    void Stop();
    // Wakes the wait so that the thread looks at the port again (a write finished).
    void Poke();
    uint32_t Mask() const { return EventsToMask(Events); }
    std::thread::id Id() const { return Thread.get_id(); }

private:
    TCustomSerPort& ComPort;
    TSerEvents Events;
    int Fd = -1;
    int WakeFd = -1;
    TLineStatus StartLines;
    TLineCounters StartCounts;
    std::atomic<bool> Stopping{false};
    std::thread Thread;

    void Execute();
    void Dispatch(TSerEvents Batch);
};
