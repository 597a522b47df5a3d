// The one road from a worker thread to the main thread. The core talks to this interface only; the Qt layer
// installs TQtMainThread (platform/ui) and tests install TQueueMainThread or TInlineMainThread.
//
// invoke(fn, cancel): runs fn in the main thread and waits for it. Called in the main thread it runs fn at once.
//   When *cancel becomes true before fn has started, fn is dropped and invoke returns false; once fn has started,
//   invoke always waits for its end (fn may refer to the caller's stack). Returns false too when the dispatcher
//   is shutting down, or when the calling thread's standing cancel (TInvokeAbandonScope) is set before fn has
//   started. An exception thrown by fn is caught in the main thread and re-thrown in the caller.
// post(fn): runs fn in the main thread later; never waits. Posts after shutdown are dropped.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class TMainThread {
public:
    virtual ~TMainThread() = default;
    virtual bool invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel = nullptr) = 0;
    virtual void post(std::function<void()> fn) = 0;
    virtual bool isMainThread() const = 0;

    // The dispatcher in force; never null (a TInlineMainThread serves until one is installed).
    static TMainThread& instance();
    // Installs d (not owned; nullptr puts the default back). Returns the previous one.
    static TMainThread* setInstance(TMainThread* d);

protected:
    // The common body of invoke for queue-based dispatchers: runs fn at once in the main thread, otherwise gives
    // a new call to enqueue (which answers false when it refuses, e.g. after shutdown) and waits for it.
    bool invokeVia(const std::function<void()>& fn, const std::atomic<bool>* cancel,
        const std::function<bool(const std::shared_ptr<struct TInvokeCall>&)>& enqueue);
};

// Shared state of one invoke call between the waiting caller and the main thread.
struct TInvokeCall {
    enum State { csPending, csRunning, csDone, csDropped };
    std::mutex Lock;
    std::condition_variable Changed;
    State Current = csPending;
    std::function<void()> Body;
    std::exception_ptr Error;

    // Main-thread side: runs the body unless the caller gave up first.
    void run();
    // Caller side: waits for the end, or for a cancel before the start. False when dropped.
    bool wait(const std::atomic<bool>* cancel);
    // Drops a call that has not started (shutdown).
    void drop();
};

// Runs everything at once in the calling thread: for single-threaded tools and tests.
class TInlineMainThread : public TMainThread {
public:
    bool invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel = nullptr) override;
    void post(std::function<void()> fn) override;
    bool isMainThread() const override { return true; }
};

// A queue that the thread which created it drains with processEvents(): lets a test play the main thread
// without Qt.
class TQueueMainThread : public TMainThread {
public:
    TQueueMainThread();
    ~TQueueMainThread() override;
    bool invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel = nullptr) override;
    void post(std::function<void()> fn) override;
    bool isMainThread() const override { return std::this_thread::get_id() == Owner; }
    // Runs what is queued; returns the number of bodies run.
    int processEvents();
    // Runs queued bodies until pred() holds or the timeout (ms) passes; true when pred() held.
    bool processUntil(const std::function<bool()>& pred, int timeoutMs = 10000);
    void shutdown();

private:
    std::thread::id Owner;
    std::mutex Lock;
    std::condition_variable Queued;
    struct TItem {
        std::function<void()> Body;          // a post
        std::shared_ptr<TInvokeCall> Call;   // or an invoke
    };
    std::deque<TItem> Queue;
    bool Closed = false;
};
