#include "serial/SerThread.h"

#include "platform/Dialogs.h"
#include "platform/MainThread.h"
#include "serial/SerLineStatus.h"

#include <cerrno>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

const TSerEvent SerEventOrder[10] = {evError, evRxChar, evTxEmpty, evBreak, evRing, evCTS, evDSR, evRxFlag, evRLSD,
    evRx80Full};

namespace {
// Event, classic mask value; in the order of the event's ordinal.
const uint32_t MaskValues[10] = {1, 4, 2, 256, 64, 8, 16, 128, 32, 1024};

// How often lines, errors and the transmit queue are looked at while there is something to look at.
constexpr int SampleMs = 50;

std::string messageOf(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const Exception& x) {
        return x.Message;
    } catch (const std::exception& x) {
        return x.what();
    } catch (...) {
        return "Unknown error";
    }
}

void showLater(const std::string& message)
{
    TMainThread::instance().post([message] { ShowError(message); });
}
}

uint32_t EventsToMask(TSerEvents Events)
{
    uint32_t m = 0;
    for (int i = 0; i < 10; ++i)
        if (Events.contains(TSerEvent(i)))
            m |= MaskValues[i];
    return m;
}

TSerEvents MaskToEvents(uint32_t Mask)
{
    TSerEvents e;
    for (int i = 0; i < 10; ++i)
        if (Mask & MaskValues[i])
            e.include(TSerEvent(i));
    return e;
}

TSerThread::TSerThread(TCustomSerPort& Port, TSerEvents Events_) : ComPort(Port), Events(Events_)
{
    // The descriptor stays valid while this thread runs: Close stops and joins us before it closes it. Only a
    // thread stopped from its own handler outlives the descriptor, and it leaves at once without using it.
    Fd = ComPort.WithHandle([](int f) { return f; });
    if (Fd < 0)
        throw ESerPort::CreateWin(secThreadCreated, EBADF);
    // The lines as the open reports them are the base line: a change from here on is an event, even one that
    // comes before the thread first runs.
    ReadLineStatus(Fd, StartLines);
    ReadLineCounters(Fd, StartCounts);
    WakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (WakeFd < 0)
        throw ESerPort::CreateWin(secThreadCreated, errno);
    try {
        Thread = std::thread([this] { Execute(); });
    } catch (const std::system_error& e) {
        ::close(WakeFd);
        throw ESerPort::CreateWin(secThreadCreated, e.code().value());
    }
}

TSerThread::~TSerThread()
{
    Stop();
    if (Thread.joinable()) {
        if (Thread.get_id() == std::this_thread::get_id())
            Thread.detach();
        else
            Thread.join();
    }
    ::close(WakeFd);
}

void TSerThread::Stop()
{
    Stopping = true;
    Poke();
}

void TSerThread::Poke()
{
    uint64_t one = 1;
    (void)!::write(WakeFd, &one, sizeof(one));
}

void TSerThread::Execute()
{
    const bool wantRx = Events.contains(evRxChar) || Events.contains(evRx80Full);
    const bool wantLines = Events.contains(evCTS) || Events.contains(evDSR) || Events.contains(evRLSD) ||
        Events.contains(evRing);
    const bool wantErrors = Events.contains(evError) || Events.contains(evBreak);
    const bool wantTx = Events.contains(evTxEmpty);

    const int fd = Fd;
    TLineStatus prev = StartLines;
    TLineCounters prevCounts = StartCounts;
    // Bytes already waiting at the start count as an arrival.
    uint64_t lastArrived = ComPort.Consumed.load();
    bool above80 = false;
    bool hungUp = prev.HungUp;

    while (!Stopping) {
        int unread = 0;
        if (!hungUp && ioctl(fd, FIONREAD, &unread) != 0)
            unread = 0;
        pollfd p[2] = {{WakeFd, POLLIN, 0}, {hungUp ? -1 : fd, 0, 0}};
        // With nothing unread the descriptor wakes us on arrival; with bytes waiting it would wake us at once,
        // again and again, so then we look at the queue's fill now and then instead. POLLHUP comes either way.
        if (wantRx && unread == 0)
            p[1].events = POLLIN;
        int timeout = -1;
        if (((wantLines || wantErrors) && prev.ModemLines && !hungUp) || (wantRx && unread > 0) ||
            (wantTx && ComPort.TxPending.load()))
            timeout = SampleMs;
        int n = poll(p, 2, timeout);
        if (Stopping)
            break;
        if (n < 0 && errno != EINTR)
            break;
        if (p[0].revents) {
            uint64_t v;
            (void)!::read(WakeFd, &v, sizeof(v));
        }
        if (p[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            hungUp = true;

        TSerEvents batch;
        if (wantRx && !hungUp) {
            if (ioctl(fd, FIONREAD, &unread) != 0)
                unread = 0;
            uint64_t arrived = ComPort.Consumed.load() + uint64_t(unread);
            if (arrived > lastArrived && unread > 0)
                batch.include(evRxChar);
            if (arrived > lastArrived)
                lastArrived = arrived;
            bool full = int64_t(unread) * 10 >= int64_t(ComPort.AppliedInputSize.load()) * 8;
            if (full && !above80)
                batch.include(evRx80Full);
            above80 = full;
        }
        if (wantLines) {
            TLineStatus now;
            if (ReadLineStatus(fd, now) == 0) {
                if (now.HungUp)
                    hungUp = true;
                if (now.CTS != prev.CTS)
                    batch.include(evCTS);
                if (now.DSR != prev.DSR)
                    batch.include(evDSR);
                if (now.RLSD != prev.RLSD)
                    batch.include(evRLSD);
                if (now.Ring && !prev.Ring)
                    batch.include(evRing);
                prev = now;
            }
        }
        if (wantErrors && !hungUp) {
            TLineCounters c;
            ReadLineCounters(fd, c);
            if (c.Frame != prevCounts.Frame || c.Parity != prevCounts.Parity || c.Overrun != prevCounts.Overrun ||
                c.BufOverrun != prevCounts.BufOverrun)
                batch.include(evError);
            if (c.Break != prevCounts.Break)
                batch.include(evBreak);
            prevCounts = c;
        }
        if (wantTx && ComPort.TxPending.load()) {
            int outq = 0;
            if (hungUp || ioctl(fd, TIOCOUTQ, &outq) != 0 || outq == 0) {
                ComPort.TxPending = false;
                batch.include(evTxEmpty);
            }
        }
        batch = batch & Events;
        if (!batch.empty())
            Dispatch(batch);
    }
}

void TSerThread::Dispatch(TSerEvents Batch)
{
    // A failing handler must not cost the program its line events: its error is shown and the loop goes on.
    // The message is taken where the handler ran, so no exception object crosses threads.
    auto guarded = [this](TSerEvents Events) {
        std::optional<std::string> failure;
        auto run = [&] {
            try {
                ComPort.DoEvents(Events);
            } catch (...) {
                failure = messageOf(std::current_exception());
            }
        };
        if (ComPort.SyncMethod() == smNone)
            run();
        else
            TMainThread::instance().invoke(run, &Stopping);
        if (failure)
            showLater(*failure);
    };
    if (ComPort.SyncMethod() != smWindowSync) {
        guarded(Batch);
        return;
    }
    for (TSerEvent e : SerEventOrder)
        if (Batch.contains(e) && !Stopping)
            guarded(TSerEvents{e});
}
