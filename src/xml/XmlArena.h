// Internal to the library: where a loaded document's nodes live. A load takes everything it builds below the root
// (nodes, attribute and child lists, long strings) from an arena of its document by bumping a pointer, so the
// tree lies in load order, and freeing the document gives the arena's chunks back whole instead of visiting every
// node, as long as nothing since the load could have hung other memory on the tree or taken a piece out of it:
// anything that changes a node of the arena, hands out an attribute a caller could change, takes a node out or
// gives one a handle marks the arena touched, and a touched arena's tree is freed node by node as any other.
// A block freed on its own leaves its room unused until the whole arena goes, which happens when its document
// has let go of it and the last of its blocks (a node taken out of the tree, say) is freed.
//
// All of the library's small blocks, the pools' too, lie in chunks of XmlChunkBytes aligned to their size and
// headed by the arena they belong to (none for a pool's), which is how a freed block finds its way back. Sanitizer
// builds, whose pools are plain new and delete, keep arenas all the same (their chunks from the heap, known by a
// table) and mark every block that is not handed out as unusable, so that the checks see a block used after its
// arena went, and a tree dropped whole that still held memory of its own shows as a leak.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define ORLANTIS_XML_PLAIN_ALLOCATION 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define ORLANTIS_XML_PLAIN_ALLOCATION 1
#endif
#endif

constexpr size_t XmlChunkBytes = size_t(64) << 10;
// Blocks of more than this many bytes come from the general heap, never from a chunk. Those that a load makes
// are listed by its arena, which frees them when it drops its tree whole.
constexpr size_t XmlChunkBlockMax = 512;
struct TXmlLargeHead;
void* XmlLargeAllocate(size_t Bytes);
void XmlLargeRelease(void* Block) noexcept;

class TXmlArena;
struct alignas(64) TXmlChunkHeader {
    TXmlArena* Arena;   // nullptr for a pool's chunk and for one waiting to be used
};

// A chunk, its header cleared; chunks are kept for reuse and never given back to the system.
char* XmlChunkTake();
void XmlChunkGive(char* const* Chunks, size_t Count) noexcept;
// Chunks made since the program started, whether in use or waiting (for tests of the pools' bookkeeping; sanitizer
// builds make chunks for arenas only).
size_t XmlChunksMade() noexcept;

class TXmlArena {
public:
    static TXmlArena* Create();
    TXmlArena(const TXmlArena&) = delete;
    TXmlArena& operator=(const TXmlArena&) = delete;

    // The arena a block of at most XmlChunkBlockMax bytes came from; nullptr for a pool's block.
    static TXmlArena* Of(const void* Block) noexcept
    {
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        return ofListed(Block);
#else
        return reinterpret_cast<const TXmlChunkHeader*>(uintptr_t(Block) & ~(XmlChunkBytes - 1))->Arena;
#endif
    }

    // Bytes is a multiple of 16 and at most XmlChunkBlockMax.
    [[gnu::always_inline]] void* Allocate(size_t Bytes)
    {
        if (size_t(FEnd - FAt) < Bytes) [[unlikely]]
            grow();
        char* p = FAt;
        // A load writes its arena from end to end, faster than the memory it has not written for a while (another
        // document's, long ago) comes in by itself: what it will write a little later is asked for now.
        __builtin_prefetch(p + 2048, 1);
        FAt += Bytes;
        ++FUnsettled;
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        unpoison(p, Bytes);
#endif
        return p;
    }
    // A block of Bytes is freed on its own.
    void Release(void* Block, size_t Bytes) noexcept;
    // A large block made while the arena was the loading thread's joins it, and leaves it when freed on its own.
    void AdoptLarge(TXmlLargeHead* Head);
    void ReleaseLarge(TXmlLargeHead* Head) noexcept;
    // Counts the blocks handed out since the last call as held: until then the document's own hold covers them.
    void Settle() noexcept;

    // Something since the load could have changed what the tree holds.
    void Touch() noexcept
    {
        if (!FTouched.load(std::memory_order_relaxed))
            FTouched.store(true, std::memory_order_relaxed);
    }
    bool Touched() const noexcept { return FTouched.load(std::memory_order_relaxed); }

    // The document is done with the arena: its tree was freed node by node, and the arena goes with its last block.
    void LetGo() noexcept;
    // The document is done with the arena and dropped its untouched tree without freeing a node: every block
    // still held lies in that tree, so the arena goes at once.
    void Recycle() noexcept;

    // Arenas not yet gone (for tests of their bookkeeping).
    static size_t LiveCount() noexcept;

private:
    TXmlArena() = default;
    ~TXmlArena() = default;
    [[gnu::noinline]] void grow();
    // One block fewer held; the arena goes with the last one once its document has let go.
    void dropBlock() noexcept;
    void destroy() noexcept;
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
    static TXmlArena* ofListed(const void* Block) noexcept;
    static void unpoison(void* P, size_t Bytes) noexcept;
#endif
    // The document's hold, far above any count of blocks: released blocks bring the count down from it while
    // the load has not yet settled those it handed out.
    static constexpr int64_t DocumentHold = int64_t(1) << 60;
    char* FAt = nullptr;
    char* FEnd = nullptr;
    int64_t FUnsettled = 0;
    std::atomic<int64_t> FHeld{DocumentHold};
    std::atomic<bool> FTouched{false};
    std::vector<char*> FChunks;
    std::mutex FLargeLock;   // large blocks leave from any thread
    TXmlLargeHead* FLarge = nullptr;
};

// The arena that this thread's pool allocations come from while a load builds a tree; nullptr otherwise.
inline thread_local TXmlArena* tXmlArena = nullptr;

// The loading thread's allocations come from Arena for the scope's lifetime.
class TXmlArenaScope {
public:
    explicit TXmlArenaScope(TXmlArena* Arena) : FArena(Arena), FOuter(tXmlArena) { tXmlArena = Arena; }
    ~TXmlArenaScope()
    {
        tXmlArena = FOuter;
        FArena->Settle();
    }
    TXmlArenaScope(const TXmlArenaScope&) = delete;
    TXmlArenaScope& operator=(const TXmlArenaScope&) = delete;

private:
    TXmlArena* FArena;
    TXmlArena* FOuter;
};

// Around a call out of the reader (progress, template lookups): what it allocates is not the tree's.
class TXmlArenaPause {
public:
    TXmlArenaPause() : FOuter(tXmlArena) { tXmlArena = nullptr; }
    ~TXmlArenaPause() { tXmlArena = FOuter; }
    TXmlArenaPause(const TXmlArenaPause&) = delete;
    TXmlArenaPause& operator=(const TXmlArenaPause&) = delete;

private:
    TXmlArena* FOuter;
};

// Object, which lies in a block of an arena, is about to change (or to leave its tree, or to get a handle). The
// load that builds the tree changes it freely.
inline void XmlArenaTouch(const void* Object) noexcept
{
    TXmlArena* a = TXmlArena::Of(Object);
    if (a && a != tXmlArena)
        a->Touch();
}
