// The process-wide handle registry behind THandleObject: one map under one lock.
#include "xml/HandleObject.h"

#include "platform/Exception.h"

#include <mutex>
#include <unordered_map>

namespace {
struct TRegistry {
    std::mutex Lock;
    std::unordered_map<int32_t, THandleObject*> Objects;
    int32_t Last = 0;
};

TRegistry& registry()
{
    // Never destroyed: objects with handles may die during static destruction.
    static TRegistry* r = new TRegistry;
    return *r;
}
}

void THandleObject::Unregister() noexcept
{
    int32_t h = Handle.load(std::memory_order_acquire);
    TRegistry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    r.Objects.erase(h);
}

int32_t THandleObject::GetHandle() const
{
    int32_t h = Handle.load(std::memory_order_acquire);
    if (h != 0)
        return h;
    TRegistry& r = registry();
    {
        std::lock_guard<std::mutex> guard(r.Lock);
        h = Handle.load(std::memory_order_relaxed);
        if (h != 0)
            return h;
        if (r.Last == INT32_MAX)
            throw Exception("Out of object handles");
        h = ++r.Last;
        r.Objects.emplace(h, const_cast<THandleObject*>(this));
        Handle.store(h, std::memory_order_release);
    }
    HandleGiven();
    return h;
}

THandleObject* THandleObject::FromHandle(int32_t h)
{
    if (h <= 0)
        return nullptr;
    TRegistry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    auto it = r.Objects.find(h);
    return it == r.Objects.end() ? nullptr : it->second;
}

size_t THandleObject::RegisteredCount()
{
    TRegistry& r = registry();
    std::lock_guard<std::mutex> guard(r.Lock);
    return r.Objects.size();
}
