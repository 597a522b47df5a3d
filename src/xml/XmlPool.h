// Internal to the library: a free-list allocator for the small pieces a document is made of (nodes, attribute and
// child lists, long strings), which a load creates by the hundred thousand and a clear frees again. Each thread
// keeps its own list of free blocks, of at most two chunks' worth: a thread whose list is full moves the older half
// to a shared list, a thread whose list is empty takes a chunk's worth from there before it makes a new chunk, and
// a thread that ends hands its whole list over. A block taken on one thread and freed on another (a device job
// builds a section's nodes on its own thread, the main thread drops them) is thus used again by whichever thread
// needs one next, instead of piling up with the thread that freed it while the other makes ever more.
// Blocks are never handed back to the system, so memory stays at the peak of what documents once used, plus what
// the threads' lists hold.
// Child lists have pools of their own (see TXmlListAllocator), attribute lists pools by their count.
// While a load builds a tree, the loading thread's blocks come from its document's arena instead (XmlArena.h); a
// block freed here goes back to the arena it came from.
// Sanitizer builds use plain new and delete, so that every node stays visible to the checks.
#pragma once

#include "xml/XmlArena.h"

#include <cstddef>
#include <mutex>
#include <new>

// Pools is the family a pool belongs to: blocks of one size in two families are never handed from one to the other.
template <size_t Size, int Pools = 0>
class TXmlPool {
public:
    static void* Allocate()
    {
        if (TXmlArena* a = tXmlArena)
            return a->Allocate(BlockSize);
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        return ::operator new(Size);
#else
        TStack& s = tFree;
        if (s.Count <= Ahead) [[unlikely]]
            return takeLast();
        // The block taken a few allocations from now is asked for ahead: blocks come back in the order their
        // documents were freed, often out of the cache, and the one who takes a block writes it at once.
        char* ahead = static_cast<char*>(s.Items[s.Count - 1 - Ahead]);
        __builtin_prefetch(ahead, 1);
        if constexpr (BlockSize > 64)
            __builtin_prefetch(ahead + 64, 1);
        return s.Items[--s.Count];
#endif
    }

    static void Release(void* p) noexcept
    {
        if (TXmlArena* a = TXmlArena::Of(p)) {
            a->Release(p, BlockSize);
            return;
        }
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        ::operator delete(p);
#else
        TStack& s = tFree;
        if (s.Count == s.Capacity) [[unlikely]] {
            if (!makeRoom())
                return;   // no memory even for the list of free blocks: this block stays unused
        }
        s.Items[s.Count++] = p;
#endif
    }

private:
    static constexpr size_t BlockSize = (Size + alignof(std::max_align_t) - 1) / alignof(std::max_align_t) *
        alignof(std::max_align_t);
    static_assert(BlockSize <= XmlChunkBlockMax);
    // A chunk's blocks follow its header.
    static constexpr size_t ChunkBlocks = (XmlChunkBytes - sizeof(TXmlChunkHeader)) / BlockSize;
    static constexpr size_t Ahead = 2;
    // A thread's list holds at most Keep blocks and moves Batch at a time to and from the shared list; a new
    // chunk's blocks fill an empty list to Batch.
    static constexpr size_t Batch = ChunkBlocks;
    static constexpr size_t Keep = 2 * Batch;

    // The free blocks' addresses, kept apart from the blocks: freeing a block writes nothing into it and taking
    // one reads nothing from it, so freeing a document reads only what its destructors need, and a block whose
    // contents need no destructor (an attribute list of short strings) is never touched again until it is reused.
    struct TStack {
        void** Items;
        size_t Count, Capacity;
    };
    // A thread's list at its full size, once; false when there is no memory for it.
    static bool makeList(TStack& T) noexcept
    {
        if (T.Capacity == 0) {
            T.Items = static_cast<void**>(::operator new(Keep * sizeof(void*), std::nothrow));
            if (!T.Items)
                return false;
            T.Capacity = Keep;
        }
        return true;
    }
    // Room for N addresses in S (the shared list); false when there is no memory for it.
    static bool reserve(TStack& S, size_t N) noexcept
    {
        if (N <= S.Capacity)
            return true;
        size_t cap = S.Capacity ? S.Capacity : 1024;
        while (cap < N)
            cap *= 2;
        auto** items = static_cast<void**>(::operator new(cap * sizeof(void*), std::nothrow));
        if (!items)
            return false;
        for (size_t i = 0; i < S.Count; ++i)
            items[i] = S.Items[i];
        ::operator delete(S.Items);
        S.Items = items;
        S.Capacity = cap;
        return true;
    }

    struct TShared {
        std::mutex Lock;
        TStack Free{nullptr, 0, 0};
    };
    static TShared& shared()
    {
        static TShared* s = new TShared;   // outlives every thread's list
        return *s;
    }

    // This thread's free blocks. A plain aggregate, which a thread reaches without a check: a thread-local object
    // with a destructor is asked for through a test of whether it has been set up yet, on every call.
    static inline thread_local TStack tFree{nullptr, 0, 0};
    // Hands the thread's blocks to the shared list when the thread ends. It is set up before the thread's list
    // first holds a block, whether the thread took blocks first or only gave some back.
    struct TAtExit {
        ~TAtExit()
        {
            TStack& t = tFree;
            if (t.Count > 0) {
                TShared& s = shared();
                std::lock_guard<std::mutex> guard(s.Lock);
                if (reserve(s.Free, s.Free.Count + t.Count))
                    for (size_t i = 0; i < t.Count; ++i)
                        s.Free.Items[s.Free.Count++] = t.Items[i];
            }
            ::operator delete(t.Items);
            t = TStack{nullptr, 0, 0};
        }
    };
    static void keepAtExit() noexcept
    {
        static thread_local TAtExit atExit;
        (void)atExit;
    }

    // Room for one more block in a full list: its older half goes to the shared list (the blocks freed last, most
    // likely still in the cache, stay), or a list not yet made is made at its full size.
    [[gnu::noinline]] static bool makeRoom() noexcept
    {
        keepAtExit();
        TStack& t = tFree;
        if (t.Capacity == 0)
            return makeList(t);
        {
            TShared& s = shared();
            std::lock_guard<std::mutex> guard(s.Lock);
            if (!reserve(s.Free, s.Free.Count + Batch))
                return false;
            for (size_t i = 0; i < Batch; ++i)
                s.Free.Items[s.Free.Count++] = t.Items[i];
        }
        for (size_t i = Batch; i < t.Count; ++i)
            t.Items[i - Batch] = t.Items[i];
        t.Count -= Batch;
        return true;
    }
    [[gnu::noinline]] static void* takeLast()
    {
        if (tFree.Count == 0)
            refill();
        return tFree.Items[--tFree.Count];
    }
    // Fills the empty list with the blocks freed last into the shared list, or with a new chunk's.
    static void refill()
    {
        keepAtExit();
        TStack& t = tFree;
        if (!makeList(t))
            throw std::bad_alloc();
        {
            TShared& s = shared();
            std::lock_guard<std::mutex> guard(s.Lock);
            if (s.Free.Count > 0) {
                const size_t n = s.Free.Count < Batch ? s.Free.Count : Batch;
                s.Free.Count -= n;
                for (size_t i = 0; i < n; ++i)
                    t.Items[i] = s.Free.Items[s.Free.Count + i];
                t.Count = n;
                return;
            }
        }
        // Blocks start at a cache line, after the header's.
        char* chunk = XmlChunkTake() + sizeof(TXmlChunkHeader);
        for (size_t i = ChunkBlocks; i-- > 0;)
            t.Items[t.Count++] = chunk + i * BlockSize;
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

// Blocks of a size known only at run time, from the pool of the next size up to 512 bytes and from the heap beyond
// (with a head that ties it to the arena of the load that made it, if any).
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
    return XmlLargeAllocate(Bytes);
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
        XmlLargeRelease(P);
}

// Storage of N items of Size bytes each (attribute lists): up to eight items from a pool of exactly that many
// bytes, so that a list's items lie side by side with the next list's and a load writes no gaps; more by size.
template <size_t Size>
inline void* XmlPoolAllocateItems(size_t N)
{
    switch (N) {
    case 1: return TXmlPool<1 * Size>::Allocate();
    case 2: return TXmlPool<2 * Size>::Allocate();
    case 3: return TXmlPool<3 * Size>::Allocate();
    case 4: return TXmlPool<4 * Size>::Allocate();
    case 5: return TXmlPool<5 * Size>::Allocate();
    case 6: return TXmlPool<6 * Size>::Allocate();
    case 7: return TXmlPool<7 * Size>::Allocate();
    case 8: return TXmlPool<8 * Size>::Allocate();
    default: return XmlPoolAllocate(N * Size);
    }
}
template <size_t Size>
inline void XmlPoolReleaseItems(void* P, size_t N) noexcept
{
    switch (N) {
    case 1: TXmlPool<1 * Size>::Release(P); break;
    case 2: TXmlPool<2 * Size>::Release(P); break;
    case 3: TXmlPool<3 * Size>::Release(P); break;
    case 4: TXmlPool<4 * Size>::Release(P); break;
    case 5: TXmlPool<5 * Size>::Release(P); break;
    case 6: TXmlPool<6 * Size>::Release(P); break;
    case 7: TXmlPool<7 * Size>::Release(P); break;
    case 8: TXmlPool<8 * Size>::Release(P); break;
    default: XmlPoolRelease(P, N * Size);
    }
}

// Storage of the child lists: lists of up to 512 bytes (nearly all of them) come from the pools, a family of
// their own. The text reader grows a child list as it finds the children,
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
