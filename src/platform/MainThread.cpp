#include "platform/MainThread.h"
#include "platform/InvokeAbandon.h"

#include <chrono>

namespace {
TInlineMainThread& defaultDispatcher()
{
    static TInlineMainThread d;
    return d;
}
std::atomic<TMainThread*> current{nullptr};
thread_local const std::atomic<bool>* abandonFlag = nullptr;
}

TInvokeAbandonScope::TInvokeAbandonScope(const std::atomic<bool>* Flag) : Previous(abandonFlag) { abandonFlag = Flag; }
TInvokeAbandonScope::~TInvokeAbandonScope() { abandonFlag = Previous; }
const std::atomic<bool>* TInvokeAbandonScope::Current() { return abandonFlag; }

TMainThread& TMainThread::instance()
{
    TMainThread* d = current.load();
    return d ? *d : defaultDispatcher();
}

TMainThread* TMainThread::setInstance(TMainThread* d) { return current.exchange(d); }

bool TMainThread::invokeVia(const std::function<void()>& fn, const std::atomic<bool>* cancel,
    const std::function<bool(const std::shared_ptr<TInvokeCall>&)>& enqueue)
{
    if (isMainThread()) {
        if (cancel && cancel->load())
            return false;
        fn();
        return true;
    }
    auto call = std::make_shared<TInvokeCall>();
    call->Body = fn;
    if (!enqueue(call))
        return false;
    return call->wait(cancel);
}

void TInvokeCall::run()
{
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Current != csPending)
            return;
        Current = csRunning;
    }
    try {
        Body();
    } catch (...) {
        Error = std::current_exception();
    }
    {
        std::lock_guard<std::mutex> g(Lock);
        Current = csDone;
    }
    Changed.notify_all();
}

bool TInvokeCall::wait(const std::atomic<bool>* cancel)
{
    // wait runs in the calling thread, so this is the caller's standing cancel.
    const std::atomic<bool>* abandon = TInvokeAbandonScope::Current();
    std::unique_lock<std::mutex> g(Lock);
    for (;;) {
        if (Current == csDone) {
            if (Error)
                std::rethrow_exception(Error);
            return true;
        }
        if (Current == csDropped)
            return false;
        if (Current == csPending && ((cancel && cancel->load()) || (abandon && abandon->load()))) {
            Current = csDropped;
            return false;
        }
        // The cancel flag is set without notifying us, so look at it now and then.
        Changed.wait_for(g, std::chrono::milliseconds(20));
    }
}

void TInvokeCall::drop()
{
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Current == csPending)
            Current = csDropped;
    }
    Changed.notify_all();
}

bool TInlineMainThread::invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel)
{
    if (cancel && cancel->load())
        return false;
    fn();
    return true;
}

void TInlineMainThread::post(std::function<void()> fn) { fn(); }

TQueueMainThread::TQueueMainThread() : Owner(std::this_thread::get_id()) {}

TQueueMainThread::~TQueueMainThread() { shutdown(); }

bool TQueueMainThread::invoke(const std::function<void()>& fn, const std::atomic<bool>* cancel)
{
    return invokeVia(fn, cancel, [this](const std::shared_ptr<TInvokeCall>& call) {
        {
            std::lock_guard<std::mutex> g(Lock);
            if (Closed)
                return false;
            Queue.push_back(TItem{nullptr, call});
        }
        Queued.notify_all();
        return true;
    });
}

void TQueueMainThread::post(std::function<void()> fn)
{
    {
        std::lock_guard<std::mutex> g(Lock);
        if (Closed)
            return;
        Queue.push_back(TItem{std::move(fn), nullptr});
    }
    Queued.notify_all();
}

int TQueueMainThread::processEvents()
{
    int n = 0;
    for (;;) {
        TItem item;
        {
            std::lock_guard<std::mutex> g(Lock);
            if (Queue.empty())
                return n;
            item = std::move(Queue.front());
            Queue.pop_front();
        }
        if (item.Call)
            item.Call->run();
        else if (item.Body)
            item.Body();
        ++n;
    }
}

bool TQueueMainThread::processUntil(const std::function<bool()>& pred, int timeoutMs)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        processEvents();
        if (pred())
            return true;
        std::unique_lock<std::mutex> g(Lock);
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        Queued.wait_for(g, std::chrono::milliseconds(5), [this] { return !Queue.empty(); });
    }
}

void TQueueMainThread::shutdown()
{
    std::deque<TItem> left;
    {
        std::lock_guard<std::mutex> g(Lock);
        Closed = true;
        left.swap(Queue);
    }
    // Waiting callers must not hang on a main thread that is gone.
    for (TItem& item : left)
        if (item.Call)
            item.Call->drop();
}
