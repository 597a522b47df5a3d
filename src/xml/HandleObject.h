// Handles for objects hung on XML attributes ("TemplateID" -> a description node, "FormInfo" -> a form record).
// An attribute holds the decimal text of a handle, never an address: an object gets a handle the first time one
// is asked for and leaves the registry in its destructor, so a stale handle resolves to nothing rather than to
// freed memory. Handles are positive, never reused within a run; 0 and negative numbers resolve to nothing.
// The registry is thread-safe; keeping a resolved object alive while it is used is the caller's business.
#pragma once

#include <atomic>
#include <cstdint>

class THandleObject {
public:
    THandleObject() = default;
    // A copy is a different object: it gets a handle of its own when one is asked for.
    THandleObject(const THandleObject&) {}
    THandleObject& operator=(const THandleObject&) { return *this; }
    // Most objects never give out a handle and leave without touching the registry; freeing a document frees
    // thousands of them.
    virtual ~THandleObject()
    {
        if (Handle.load(std::memory_order_acquire) != 0)
            Unregister();
    }

    // This object's handle; registers it on the first call.
    int32_t GetHandle() const;
    // Whether a handle has been given out (no registration happens).
    bool HasHandle() const { return Handle.load(std::memory_order_acquire) != 0; }

    // The live object behind a handle, or nullptr for 0, a negative number, an unknown or a stale handle.
    static THandleObject* FromHandle(int32_t Handle);
    // The number of registered objects (for tests of the registry's bookkeeping).
    static size_t RegisteredCount();

protected:
    // Called once, after the object got its handle.
    virtual void HandleGiven() const {}

private:
    void Unregister() noexcept;
    mutable std::atomic<int32_t> Handle{0};
};
