// The chunks behind the pools and the arenas, and the arenas' bookkeeping.
#include "xml/XmlArena.h"

#include <mutex>
#include <new>

#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
#include <cstdlib>
#include <sanitizer/asan_interface.h>
#include <unordered_set>
#else
#include <sys/mman.h>
#endif

namespace {
struct TChunks {
    std::mutex Lock;
    std::vector<char*> Free;
    size_t Made = 0;
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
    std::unordered_set<uintptr_t> Known;   // every chunk ever made: a plain block is known by not lying in one
#endif
};
TChunks& chunks()
{
    static TChunks* c = new TChunks;   // outlives every document
    return *c;
}
std::atomic<size_t> gLiveArenas{0};

TXmlChunkHeader& headerOf(char* Chunk) { return *reinterpret_cast<TXmlChunkHeader*>(Chunk); }

#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
// A chunk's room for blocks, unusable until a block is handed out.
void poisonBody(char* Chunk)
{
    ASAN_POISON_MEMORY_REGION(Chunk + sizeof(TXmlChunkHeader), XmlChunkBytes - sizeof(TXmlChunkHeader));
}
#endif
}

char* XmlChunkTake()
{
    TChunks& c = chunks();
    std::lock_guard<std::mutex> guard(c.Lock);
    if (c.Free.empty()) {
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
        c.Free.reserve(c.Made + 1);   // room for every chunk: giving one back never needs memory
        // From the heap, one by one: the leak check looks into heap blocks for what they still point to.
        auto* chunk = static_cast<char*>(std::aligned_alloc(XmlChunkBytes, XmlChunkBytes));
        if (!chunk)
            throw std::bad_alloc();
        c.Known.insert(uintptr_t(chunk));
        ++c.Made;
        poisonBody(chunk);
        c.Free.push_back(chunk);
#else
        // Mapped 2 MiB at a time, past the general heap, so that a document's memory never sits between blocks
        // the heap would otherwise give back to the system; aligned to its size and asked for as one huge page
        // where the system has them, as a load writes its chunks from end to end (a refusal changes nothing).
        constexpr size_t Count = 32;
        constexpr size_t Huge = Count * XmlChunkBytes;
        c.Free.reserve(c.Made + Count);
        void* m = mmap(nullptr, 2 * Huge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED)
            throw std::bad_alloc();
        auto* first = reinterpret_cast<char*>((uintptr_t(m) + Huge - 1) & ~(Huge - 1));
        if (first > m)
            munmap(m, size_t(first - static_cast<char*>(m)));
        if (char* end = static_cast<char*>(m) + 2 * Huge; end > first + Huge)
            munmap(first + Huge, size_t(end - (first + Huge)));
        madvise(first, Huge, MADV_HUGEPAGE);
        for (size_t i = Count; i-- > 0;)
            c.Free.push_back(first + i * XmlChunkBytes);
        c.Made += Count;
#endif
    }
    char* chunk = c.Free.back();
    c.Free.pop_back();
    headerOf(chunk).Arena = nullptr;
    return chunk;
}

void XmlChunkGive(char* const* Chunks, size_t Count) noexcept
{
    // The headers are left as they are (a chunk taken again gets a new one): a document with many chunks would
    // otherwise read each of them back into the cache only to let go of it.
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
    for (size_t i = 0; i < Count; ++i)
        poisonBody(Chunks[i]);
#endif
    TChunks& c = chunks();
    std::lock_guard<std::mutex> guard(c.Lock);
    c.Free.insert(c.Free.end(), Chunks, Chunks + Count);   // room was reserved when the chunks were made
}

size_t XmlChunksMade() noexcept
{
    TChunks& c = chunks();
    std::lock_guard<std::mutex> guard(c.Lock);
    return c.Made;
}

// Ahead of every large block: the arena it belongs to (or none) and its neighbours in that arena's list.
struct alignas(16) TXmlLargeHead {
    TXmlArena* Arena;
    TXmlLargeHead* Prev;
    TXmlLargeHead* Next;
};

void* XmlLargeAllocate(size_t Bytes)
{
    auto* head = static_cast<TXmlLargeHead*>(::operator new(sizeof(TXmlLargeHead) + Bytes));
    head->Arena = nullptr;
    if (TXmlArena* a = tXmlArena)
        a->AdoptLarge(head);
    return head + 1;
}

void XmlLargeRelease(void* Block) noexcept
{
    TXmlLargeHead* head = static_cast<TXmlLargeHead*>(Block) - 1;
    if (TXmlArena* a = head->Arena)
        a->ReleaseLarge(head);   // may be the arena's last block
    else
        ::operator delete(head);
}

void TXmlArena::AdoptLarge(TXmlLargeHead* Head)
{
    std::lock_guard<std::mutex> guard(FLargeLock);
    Head->Arena = this;
    Head->Prev = nullptr;
    Head->Next = FLarge;
    if (FLarge)
        FLarge->Prev = Head;
    FLarge = Head;
    ++FUnsettled;
}

void TXmlArena::ReleaseLarge(TXmlLargeHead* Head) noexcept
{
    {
        std::lock_guard<std::mutex> guard(FLargeLock);
        (Head->Prev ? Head->Prev->Next : FLarge) = Head->Next;
        if (Head->Next)
            Head->Next->Prev = Head->Prev;
    }
    ::operator delete(Head);
    dropBlock();
}

TXmlArena* TXmlArena::Create()
{
    auto* a = new TXmlArena;
    gLiveArenas.fetch_add(1, std::memory_order_relaxed);
    return a;
}

void TXmlArena::grow()
{
    FChunks.reserve(FChunks.size() + 1);   // before the chunk is taken: a failure then loses nothing
    char* chunk = XmlChunkTake();
    headerOf(chunk).Arena = this;
    FChunks.push_back(chunk);
    FAt = chunk + sizeof(TXmlChunkHeader);
    FEnd = chunk + XmlChunkBytes;
}

void TXmlArena::Release(void* Block, size_t Bytes) noexcept
{
#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
    ASAN_POISON_MEMORY_REGION(Block, Bytes);
#else
    (void)Block;
    (void)Bytes;
#endif
    dropBlock();
}

void TXmlArena::dropBlock() noexcept
{
    if (FHeld.fetch_sub(1, std::memory_order_acq_rel) == 1)
        destroy();
}

void TXmlArena::Settle() noexcept
{
    FHeld.fetch_add(FUnsettled, std::memory_order_relaxed);
    FUnsettled = 0;
}

void TXmlArena::LetGo() noexcept
{
    Settle();
    if (FHeld.fetch_sub(DocumentHold, std::memory_order_acq_rel) == DocumentHold)
        destroy();
}

void TXmlArena::Recycle() noexcept { destroy(); }

void TXmlArena::destroy() noexcept
{
    // Large blocks are left only when the tree is dropped whole.
    for (TXmlLargeHead* head = FLarge; head;) {
        TXmlLargeHead* next = head->Next;
        ::operator delete(head);
        head = next;
    }
    XmlChunkGive(FChunks.data(), FChunks.size());
    gLiveArenas.fetch_sub(1, std::memory_order_relaxed);
    delete this;
}

size_t TXmlArena::LiveCount() noexcept { return gLiveArenas.load(std::memory_order_relaxed); }

#ifdef ORLANTIS_XML_PLAIN_ALLOCATION
TXmlArena* TXmlArena::ofListed(const void* Block) noexcept
{
    const uintptr_t base = uintptr_t(Block) & ~(XmlChunkBytes - 1);
    TChunks& c = chunks();
    std::lock_guard<std::mutex> guard(c.Lock);
    if (!c.Known.count(base))
        return nullptr;
    return reinterpret_cast<const TXmlChunkHeader*>(base)->Arena;
}

void TXmlArena::unpoison(void* P, size_t Bytes) noexcept { ASAN_UNPOISON_MEMORY_REGION(P, Bytes); }
#endif
