// A worker's standing cancel for its calls into the main thread. While a scope is open in a thread, every invoke
// that thread makes is dropped (returns false) once the scope's flag is set before the call has started, whether
// or not the caller passed a cancel flag of its own. The job runner opens one around each job, so code deep inside
// a job (the XML library's error box, the transfer engine's messages) never keeps a runner that is being destroyed
// waiting for a main thread that no longer serves it.
#pragma once

#include <atomic>

class TInvokeAbandonScope {
public:
    explicit TInvokeAbandonScope(const std::atomic<bool>* Flag);
    ~TInvokeAbandonScope();
    TInvokeAbandonScope(const TInvokeAbandonScope&) = delete;
    TInvokeAbandonScope& operator=(const TInvokeAbandonScope&) = delete;

    // The flag of the innermost scope open in the calling thread, or null.
    static const std::atomic<bool>* Current();

private:
    const std::atomic<bool>* Previous;
};
