// Internal to the library: a free-list allocator for the small pieces a document is made of (nodes, attribute and
// child lists, long strings), which a load creates by the hundred thousand and a clear frees again. Each thread
// keeps its own free list; a thread that ends hands its list to a shared one, which the next one short adopts.
// Blocks are never handed back to the system, so memory stays at the peak of what documents once used.
// Child lists have pools of their own (see TXmlListAllocator).
// Sanitizer builds use plain new and delete, so that every node stays visible to the checks.
#pragma once

#include <cstddef>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define ORLANTIS_XML_PLAIN_ALLOCATION 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ORLANTIS_XML_PLAIN_ALLOCATION 1
#endif
#endif

// Pools is the family a pool belongs to: blocks of one size in two families are never handed from one to the other.
template <size_t Size, int Pools = 0>
class TXmlPool {
public:
    static void* Allocate()
    {
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        return ::operator new(Size);
#else
        TFree* f = tHead;
        if (!f) [[unlikely]]
            f = Refill();
        tHead = f->Next;
        // The next block's link is read by the next allocation, which would otherwise wait for it: blocks come
        // back in the order their documents were freed, often far apart and out of the cache.
        __builtin_prefetch(tHead);
        return f;
#endif
    }

    static void Release(void* p) noexcept
    {
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        ::operator delete(p);
#else
        auto* f = static_cast<TFree*>(p);
        f->Next = tHead;
        if (!f->Next) [[unlikely]]
            keepAtExit();
        tHead = f;
#endif
    }

private:
    struct TFree {
        TFree* Next;
    };
    static constexpr size_t BlockSize = (Size + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
        alignof(std::max_align_t);
    static constexpr size_t ChunkBlocks = 512;

    struct TShared {
        std::mutex Lock;
        TFree* Head = nullptr;
    };
    static TShared& shared()
    {
        static TShared* s = new TShared;   // outlives every thread's list
        return *s;
    }

    // This thread's free list. It is a plain pointer, which a thread reaches without a check: a thread-local
    // object with a destructor is asked for through a test of whether it has been set up yet, on every call.
    static inline thread_local TFree* tHead = nullptr;
    // Hands the thread's list to the shared one when the thread ends. It is set up before the list first holds a
    // block, whether the thread took blocks first or only gave some back.
    struct TAtExit {
        ~TAtExit()
        {
            if (!tHead)
                return;
            TFree* tail = tHead;
            while (tail->Next)
                tail = tail->Next;
            TShared& s = shared();
            std::lock_guard<std::mutex> guard(s.Lock);
            tail->Next = s.Head;
            s.Head = tHead;
            tHead = nullptr;
        }
    };
    [[gnu::noinline]] static void keepAtExit() noexcept
    {
        static thread_local TAtExit atExit;
        (void)atExit;
    }

    [[gnu::noinline]] static TFree* Refill()
    {
        keepAtExit();
        {
            TShared& s = shared();
            std::lock_guard<std::mutex> guard(s.Lock);
            if (s.Head) {
                tHead = s.Head;
                s.Head = nullptr;
                return tHead;
            }
        }
        auto* chunk = static_cast<char*>(::operator new(BlockSize * ChunkBlocks));
        for (size_t i = ChunkBlocks; i-- > 0;) {
            auto* f = reinterpret_cast<TFree*>(chunk + i * BlockSize);
            f->Next = tHead;
            tHead = f;
        }
        return tHead;
    }
};

// Class-level operators that route exact-size allocations through the pool (a derived class of another size
// takes the plain road).
#define ORLANTIS_XML_POOLED(Class)                                                       \
    static void* operator new(size_t n)                                                  \
    {                                                                                    \
        return n == sizeof(Class) ? TXmlPool<sizeof(Class)>::Allocate() : ::operator new(n); \
    }                                                                                    \
    static void operator delete(void* p, size_t n) noexcept                              \
    {                                                                                    \
        if (n == sizeof(Class))                                                          \
            TXmlPool<sizeof(Class)>::Release(p);                                         \
        else                                                                             \
            ::operator delete(p);                                                        \
    }

// The families of pools.
constexpr int XmlPoolsShared = 0;       // nodes, attribute lists, long strings
constexpr int XmlPoolsChildLists = 1;

// Blocks of a size known only at run time, from the pool of the next size up to 512 bytes and from the heap beyond.
// A block goes back with the size it was asked for, to the family it came from.
template <int Pools = XmlPoolsShared>
inline void* XmlPoolAllocate(size_t Bytes)
{
    if (Bytes <= 32)
        return TXmlPool<32, Pools>::Allocate();
    if (Bytes <= 64)
        return TXmlPool<64, Pools>::Allocate();
    if (Bytes <= 128)
        return TXmlPool<128, Pools>::Allocate();
    if (Bytes <= 256)
        return TXmlPool<256, Pools>::Allocate();
    if (Bytes <= 512)
        return TXmlPool<512, Pools>::Allocate();
    return ::operator new(Bytes);
}
template <int Pools = XmlPoolsShared>
inline void XmlPoolRelease(void* P, size_t Bytes) noexcept
{
    if (Bytes <= 32)
        TXmlPool<32, Pools>::Release(P);
    else if (Bytes <= 64)
        TXmlPool<64, Pools>::Release(P);
    else if (Bytes <= 128)
        TXmlPool<128, Pools>::Release(P);
    else if (Bytes <= 256)
        TXmlPool<256, Pools>::Release(P);
    else if (Bytes <= 512)
        TXmlPool<512, Pools>::Release(P);
    else
        ::operator delete(P);
}

// Storage of the child and attribute lists: lists of up to 512 bytes (nearly all of them) come from the pools.
// Child lists take theirs from a family of their own. The text reader grows a child list as it finds the children,
// giving back the smaller storage each time, where the binary reader takes storage of the exact size at once; kept
// apart, those lists leave the order in which nodes and attribute lists take their blocks alike for both readers
// (see the text reader).
template <class T, int Pools = XmlPoolsShared>
struct TXmlListAllocator {
    using value_type = T;
    template <class U>
    struct rebind {
        using other = TXmlListAllocator<U, Pools>;
    };
    static constexpr size_t Small = 64;
    TXmlListAllocator() = default;
    template <class U>
    TXmlListAllocator(const TXmlListAllocator<U, Pools>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(XmlPoolAllocate<Pools>(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { XmlPoolRelease<Pools>(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const TXmlListAllocator<U, Pools>&) const noexcept { return true; }
};
